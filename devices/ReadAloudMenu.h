// The read-aloud commands of a text area and the "语音朗读" menu that offers
// all of them.
#pragma once

class QMenu;
class QTextEdit;
class QWidget;
class ReadAloud;

namespace readaloud {

void ReadWholeText(ReadAloud& reader, const QTextEdit& text);
void ReadSelection(ReadAloud& reader, const QTextEdit& text);
// From the caret to the end of the text; the text area gets the focus back.
void ReadFromCaret(ReadAloud& reader, QTextEdit& text);

// "全文朗读", "选取指定内容朗读", "光标位置开始朗读", the three speeds,
// "暂停朗读", "继续朗读", "停止朗读". The caller owns the menu.
QMenu* CreateMenu(QWidget* parent, ReadAloud& reader, QTextEdit& text);

} // namespace readaloud
