// The transcript text area: the question-and-answer text of the editor.
//
// The content is plain text; face, size and the speaker colours are applied by
// code and never stored. Colouring runs through SpeakerHighlighter, which
// re-colours only the paragraphs an edit touches. F1/F2 start question/answer
// paragraphs, the context menu offers the editing commands and read-aloud.
//
// How CJyxMakeDlg uses it:
//   auto* text = new TranscriptTextEdit(this);                 // placed in the layout
//   auto* tools = new TextToolbar(this); tools->attach(text);   // lists, boxes, buttons
//   text->setTranscriptText(initialText);   // coloured, caret at the end
//   ... text->transcriptText() when saving;
//   connect(text, &TranscriptTextEdit::transcriptChanged, ...);  // any change of the text
//   connect(text, &TranscriptTextEdit::readAloudRequested, voice, &...::speak);
//   questionList->attach(text, answerList); answerList->attach(text);
//   text->hideAnswerPicker() before printing;
//   text->insertDictatedText(t) for dictation, text->paste() for law excerpts;
//   print face/size: text->face(), text->pointSize() (nominal points, 12.0 at
//   start); coming back from printing: tools->selectFace/selectPointSize, then
//   text->applyColours().
#pragma once

#include "transcript/TextRules.h"

#include <QPointer>
#include <QTextCursor>
#include <QTextEdit>

class SpeakerHighlighter;
class CJyxAnswerDlg;
class FindTextDialog;
class QDialog;
class QMenu;

// The ruled lines ("下划线"): a dashed line at the top of every text line in
// view. Called from a text area's paintEvent after the text is painted.
void PaintRuledLines(QTextEdit& edit);

class TranscriptTextEdit : public QTextEdit {
    Q_OBJECT
public:
    explicit TranscriptTextEdit(QWidget* parent = nullptr);
    ~TranscriptTextEdit() override;

    // The whole transcript: replaces the text (plain, never read as HTML),
    // colours it and puts the caret at the end (at 0 for an empty text).
    void setTranscriptText(const QString& text);
    // The text as stored: paragraphs separated by "\n".
    QString transcriptText() const;

    // "颜色区分": speaker colours on, or every paragraph black.
    void setColouring(bool on);
    bool colouring() const;
    // Colours the whole text again. Edits keep the colours current by
    // themselves; this is for a caller that wants one full pass (for example
    // after the print dialog hands the editor back).
    void applyColours();
    // "下划线": the dashed ruled lines at the top of every text line.
    void setRuledLines(bool on);
    bool ruledLines() const { return m_ruledLines; }
    // Face and nominal point size of the text (the size list's points; the
    // text is shown at 22/20 of it). Also the print face and size.
    void setFace(const QString& face);
    QString face() const { return m_face; }
    void setPointSize(double points);
    double pointSize() const { return m_points; }

    // Insert text at the caret, replacing the selection. Recorded for undo.
    void insertAtCaret(const QString& text);
    // Dictated text goes in at the caret; a selection is collapsed first, so
    // a recognised phrase never deletes selected text. Recorded for undo.
    void insertDictatedText(const QString& text);
    // F1 / F2: a question / answer paragraph after the caret paragraph.
    void insertMarker(textrules::MarkerKey key);

    // A double-clicked question (keywords already filled). Inserts it at the
    // caret paragraph, with an answer marker paragraph when it asks for one,
    // and remembers where a chosen answer goes (answerAnchor). Returns false
    // when nothing was inserted (empty question).
    bool insertQuestion(const QString& question);
    // Opens the answer picker beside the caret paragraph with `options`.
    void openAnswerPicker(const QStringList& options);
    // Inserts a chosen answer at the remembered answer position (the end of
    // the answer marker paragraph of the last inserted question). The position
    // follows later edits, so typing before choosing does not misplace it.
    void insertChosenAnswer(const QString& answer);
    // A double-clicked common answer: "被询问人:" + answer replaces the caret
    // paragraph when that is empty or only an answer marker (or the empty last
    // line below a bare marker); otherwise it goes into a new paragraph after.
    void insertCommonAnswer(const QString& answer);

    CJyxAnswerDlg* answerPicker(); // created on first use
    void hideAnswerPicker();

    // Find: the dialog (find only; down and match case preset), and one
    // find-next step as the dialog runs it. findNext selects a hit and
    // returns true; when the whole text was searched in vain it shows
    // "没有找到匹配的字符串".
    void showFindDialog();
    bool findNext(const QString& needle, const textrules::FindOptions& options);
    int findPosition() const { return m_findPosition; }
    QDialog* findDialog() const; // null until first shown

    SpeakerHighlighter* highlighter() const { return m_highlighter; }

    // The right-button menu: undo, cut, copy, paste, delete, select all and
    // the three read-aloud items. The caller owns (and usually execs) it.
    QMenu* createTextMenu(QWidget* parent);
    // "删除": removes the selected text (the toolbar and the menu).
    void deleteSelection();

signals:
    // Read-aloud requests from the context menu: the whole text, the
    // selection, or the text from the caret to the end.
    void readAloudRequested(const QString& text);
    // The text changed (typing, insertions, commands).
    void transcriptChanged();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void applyFont();
    void paintRuledLines();
    QTextCursor paragraphCursor(int position) const;
    void placeAnswerPicker();
    QString textFromCaret() const;

    SpeakerHighlighter* m_highlighter = nullptr;
    QPointer<CJyxAnswerDlg> m_picker;
    QPointer<FindTextDialog> m_findDialog;
    QTextCursor m_answerAnchor; // end of the answer marker paragraph
    QString m_face = textrules::kDefaultFace;
    double m_points = 12.0;
    bool m_ruledLines = true;
    int m_findPosition = 0;
};
