#include "app/CModifyPasswordDlg.h"

#include "app/Prompt.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CModifyPasswordDlg::CModifyPasswordDlg(QWidget* parent, CDBConnection& connection)
    : FramedDialog(parent, RoundCorners | DragBand | TitleText | CloseButton), m_db(connection),
      m_account(m_db) {
    setObjectName("CModifyPasswordDlg");
    setTitleText(QStringLiteral("修改密码"));

    m_fields = new QWidget(body());
    auto* grid = new QFormLayout(m_fields);
    grid->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(12);
    m_old = addField("oldPasswordEdit", "旧密码：");
    m_new = addField("newPasswordEdit", "密码：");
    m_repeat = addField("repeatPasswordEdit", "重复密码：");
    auto* note = new QLabel(QStringLiteral("密码长度：6-64字符"), m_fields);
    note->setObjectName("lengthNote");
    note->setStyleSheet("color: rgb(100,100,100);");
    grid->addRow(QString(), note);

    QWidget* buttons = okCancelRow([this] { onOk(); });

    QVBoxLayout* layout = bodyLayout();
    layout->setContentsMargins(30, 20, 30, 16);
    layout->setSpacing(16);
    layout->addWidget(m_fields);
    layout->addStretch();
    layout->addWidget(buttons);
    m_old->setFocus();
    resize(400, 270);
}

QLineEdit* CModifyPasswordDlg::addField(const char* objectName, const char* label) {
    auto* edit = new QLineEdit(m_fields);
    edit->setObjectName(objectName);
    edit->setEchoMode(QLineEdit::Password);
    edit->setMinimumWidth(220);
    static_cast<QFormLayout*>(m_fields->layout())->addRow(QString::fromUtf8(label), edit);
    return edit;
}

void CModifyPasswordDlg::onOk() {
    Outcome out = m_account.changePassword(Session().loginName, m_old->text(), m_new->text(),
                                           m_repeat->text());
    for (const QString& text : out.messages)
        Messages().show(this, text, out.failed ? Prompt::Icon::Warning : Prompt::Icon::Information);
    if (out.changed)
        accept();
}
