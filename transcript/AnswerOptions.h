// Answer options and the insertion rules of the question and answer lists.
// Plain logic (no widgets): the grids, the answer picker and the text area
// call these, so the rules are tested without a window.
//
// An answer text holds alternative answers separated by "~D", "被询问人：" or
// "被询问人:". The piece before the first separator is never an option.
#pragma once

#include <QString>
#include <QStringList>

namespace answers {

// Every piece in order, empty ones included: the three separators become "*",
// then the text is cut at every "*".
QStringList SplitPieces(const QString& answerText);
// The options offered to the user: the non-empty pieces from piece 1 on.
QStringList Options(const QString& answerText);
// Row height of an option in the answer list, by its GBK length after
// trimming: up to 79 bytes 45 pixels, 80 to 159 bytes 90, longer 135.
int OptionRowHeight(const QString& option);

// A question line asks for an answer marker after it: it contains
// "询问人：" or "询问人:" and neither "被询问人：" nor "被询问人:".
bool IsMarkedQuestion(const QString& question);
// The identification question, which is always followed by an answer marker.
bool IsRecordQuestion(const QString& question);
// Whether a question row opens the answer picker after its insertion
// (questions about "要求回避" never do).
bool OpensPicker(const QString& question, const QString& answerText);

// The text inserted for a double-clicked question `q`. `caretParagraph` is the
// paragraph holding the caret; `atParagraphStart` says the caret stands at the
// start of a non-empty paragraph (the new question then goes in front of it).
// The result always ends with a line break.
QString QuestionInsertion(const QString& q, const QString& caretParagraph, bool atParagraphStart);

// The chosen answer as it is inserted after the answer marker: when the
// answer paragraph already holds "答：" or "答:", those are removed from it.
QString ChosenAnswerText(const QString& chosen, const QString& answerParagraph);

// The paragraph a common answer becomes: "被询问人:" + the answer.
QString CommonAnswerParagraph(const QString& answer);
// Whether a paragraph may be replaced by a common answer: it is empty or
// holds only an answer marker (anything else is kept and the answer goes
// into a new paragraph after it).
bool IsReplaceableAnswerParagraph(const QString& paragraph);

} // namespace answers
