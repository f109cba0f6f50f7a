#include "transcript/CInputDlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CInputDlg::CInputDlg(QWidget* parent, const QString& title, const QString& label)
    : FramedDialog(parent, AllPieces) {
    setObjectName("CInputDlg");
    setTitleText(title);

    m_label = new QLabel(label, body());
    m_label->setObjectName("inputLabel");
    m_label->setVisible(!label.isEmpty());
    m_edit = new QLineEdit(body());
    m_edit->setObjectName("inputEdit");
    m_label->setBuddy(m_edit);

    auto* buttons = new QWidget(body());
    auto* row = new QHBoxLayout(buttons);
    row->setContentsMargins(0, 0, 0, 0);
    row->addStretch();
    auto* ok = new QPushButton(QStringLiteral("确定"), buttons);
    ok->setObjectName("okButton");
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("取消"), buttons);
    cancel->setObjectName("cancelButton");
    cancel->setAutoDefault(false);
    row->addWidget(ok);
    row->addWidget(cancel);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    QVBoxLayout* layout = bodyLayout();
    layout->setSpacing(10);
    layout->addWidget(m_label);
    layout->addWidget(m_edit);
    layout->addWidget(buttons);
    resize(360, 170);
}

void CInputDlg::setText(const QString& text) {
    m_edit->setText(text);
}

QString CInputDlg::text() const {
    return m_edit->text();
}

QString CInputDlg::ask(QWidget* parent, const QString& title, const QString& label) {
    CInputDlg dlg(parent, title, label);
    return dlg.exec() == QDialog::Accepted ? dlg.text() : QString();
}
