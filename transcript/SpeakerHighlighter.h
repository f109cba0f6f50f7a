// Colours the paragraphs of the transcript by speaker: questions dark red,
// answers dark blue, or all black when colouring is off. The block state
// carries the speaker, so an edit re-colours only the changed paragraph and
// the following ones whose speaker changes with it.
//
// Attach it to the document before the text is set (as TranscriptTextEdit
// does): setting the text then colours every paragraph at once, while a
// highlighter attached to a document that already holds text defers its
// first pass to the event loop and ignores edits until that pass has run.
#pragma once

#include "transcript/TextRules.h"

#include <QColor>
#include <QSyntaxHighlighter>

class SpeakerHighlighter : public QSyntaxHighlighter {
    Q_OBJECT
public:
    static inline const QColor kQuestionColour{128, 0, 0};
    static inline const QColor kAnswerColour{0, 0, 128};

    explicit SpeakerHighlighter(QTextDocument* document);

    // Switching re-colours the whole text once.
    void setColouring(bool on);
    bool colouring() const { return m_colouring; }

    // The speaker recorded for a block (question for a block not yet coloured).
    static textrules::Speaker speakerOf(const QTextBlock& block);

protected:
    void highlightBlock(const QString& text) override;

private:
    bool m_colouring = true;
};
