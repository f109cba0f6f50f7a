#include "devices/ReadAloudMenu.h"

#include "devices/ReadAloud.h"

#include <QMenu>
#include <QTextCursor>
#include <QTextEdit>

namespace readaloud {

void ReadWholeText(ReadAloud& reader, const QTextEdit& text) {
    reader.read(text.toPlainText());
}

void ReadSelection(ReadAloud& reader, const QTextEdit& text) {
    QString selected = text.textCursor().selectedText();
    reader.read(selected.replace(QChar::ParagraphSeparator, '\n'));
}

void ReadFromCaret(ReadAloud& reader, QTextEdit& text) {
    const QString all = text.toPlainText();
    reader.read(all.mid(text.textCursor().position()));
    text.setFocus();
}

QMenu* CreateMenu(QWidget* parent, ReadAloud& reader, QTextEdit& text) {
    auto* menu = new QMenu(QStringLiteral("语音朗读"), parent);
    menu->setObjectName("readAloudMenu");
    auto add = [&](const char* caption, auto action) {
        QObject::connect(menu->addAction(QString::fromUtf8(caption)), &QAction::triggered, menu,
                         action);
    };
    add("全文朗读", [&reader, &text] { ReadWholeText(reader, text); });
    add("选取指定内容朗读", [&reader, &text] { ReadSelection(reader, text); });
    add("光标位置开始朗读", [&reader, &text] { ReadFromCaret(reader, text); });
    menu->addSeparator();
    add("朗读速度-快", [&reader] { reader.setSpeed(ReadSpeed::Fast); });
    add("朗读速度-标准", [&reader] { reader.setSpeed(ReadSpeed::Standard); });
    add("朗读速度-慢", [&reader] { reader.setSpeed(ReadSpeed::Slow); });
    menu->addSeparator();
    add("暂停朗读", [&reader] { reader.pause(); });
    add("继续朗读", [&reader] { reader.resume(); });
    add("停止朗读", [&reader] { reader.stop(); });
    return menu;
}

} // namespace readaloud
