#include "transcript/SpeakerHighlighter.h"

#include <QTextBlock>

using textrules::Speaker;

namespace {

// Block states: -1 (not yet coloured) and 0 count as question, 1 as answer.
constexpr int kQuestionState = 0;
constexpr int kAnswerState = 1;

Speaker FromState(int state) {
    return state == kAnswerState ? Speaker::Answer : Speaker::Question;
}

} // namespace

SpeakerHighlighter::SpeakerHighlighter(QTextDocument* document) : QSyntaxHighlighter(document) {}

void SpeakerHighlighter::setColouring(bool on) {
    if (on == m_colouring)
        return;
    m_colouring = on;
    rehighlight();
}

Speaker SpeakerHighlighter::speakerOf(const QTextBlock& block) {
    return FromState(block.userState());
}

void SpeakerHighlighter::highlightBlock(const QString& text) {
    const Speaker speaker = textrules::SpeakerOf(text, FromState(previousBlockState()));
    // The state carries the speaker to the next block: only when it changes
    // does QSyntaxHighlighter go on to re-colour the following paragraphs.
    setCurrentBlockState(speaker == Speaker::Answer ? kAnswerState : kQuestionState);
    if (!m_colouring || text.isEmpty())
        return;
    setFormat(0, int(text.size()), speaker == Speaker::Answer ? kAnswerColour : kQuestionColour);
}
