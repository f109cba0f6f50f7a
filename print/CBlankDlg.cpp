#include "print/CBlankDlg.h"

#include "app/AppContext.h"
#include "app/Prompt.h"
#include "print/PrintJob.h"
#include "print/PrintLines.h"
#include "transcript/TranscriptKinds.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace {
// The captions of the radio buttons (full-width parentheses as shown).
const char* const kCaptions[] = {"询问笔录",
                                 "违规调查笔录（矫正对象）",
                                 "违规询问笔录（旁证）",
                                 "训诫笔录",
                                 "奖励调查笔录（矫正对象）",
                                 "奖励询问笔录（旁证）",
                                 "调查评估笔录",
                                 "解矫宣告笔录",
                                 "入矫宣告笔录",
                                 "合议笔录",
                                 "调查笔录"};
} // namespace

QStringList CBlankDlg::kindNames() {
    return {"询问笔录",
            "违规调查笔录(矫正对象)",
            "违规询问笔录(旁证)",
            "训诫笔录",
            "奖励调查笔录(矫正对象)",
            "奖励询问笔录(旁证)",
            "调查评估笔录",
            "解矫宣告笔录",
            "入矫宣告笔录",
            "合议笔录",
            "调查笔录"};
}

CBlankDlg::CBlankDlg(QWidget* parent, Database& db) : FramedDialog(parent, AllPieces), m_db(db) {
    setObjectName("CBlankDlg");
    setTitleText(QStringLiteral("空白笔录"));
    m_runPrint = [](CPrintDlg& dialog) { dialog.exec(); };

    auto* group = new QGroupBox(QStringLiteral("笔录格式"), body());
    group->setObjectName("kindGroup");
    auto* groupLayout = new QVBoxLayout(group);
    for (int i = 0; i < 11; ++i) {
        auto* radio = new QRadioButton(QString::fromUtf8(kCaptions[i]), group);
        radio->setObjectName(QStringLiteral("kind%1").arg(i));
        radio->setVisible(i == 0);
        groupLayout->addWidget(radio);
        m_kinds << radio;
    }

    auto* pagesRow = new QHBoxLayout;
    pagesRow->addWidget(new QLabel(QStringLiteral("空白笔录页数："), body()));
    m_pages = new QLineEdit(QStringLiteral("1"), body());
    m_pages->setObjectName("pageCountEdit");
    m_pages->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,4}")), m_pages));
    m_pages->setFixedWidth(80);
    pagesRow->addWidget(m_pages);
    pagesRow->addWidget(new QLabel(QStringLiteral("页"), body()));
    pagesRow->addStretch();

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* print = new QPushButton(QStringLiteral("打印"), body());
    print->setObjectName("printButton");
    auto* quit = new QPushButton(QStringLiteral("退出"), body());
    quit->setObjectName("exitButton");
    for (QPushButton* b : {print, quit}) {
        b->setAutoDefault(false);
        b->setMinimumWidth(80);
        buttons->addWidget(b);
    }
    connect(print, &QPushButton::clicked, this, &CBlankDlg::printBlank);
    connect(quit, &QPushButton::clicked, this, &QDialog::reject);

    QVBoxLayout* layout = bodyLayout();
    layout->setSpacing(12);
    layout->addWidget(group);
    layout->addLayout(pagesRow);
    layout->addStretch();
    layout->addLayout(buttons);
    resize(380, 300);
}

void CBlankDlg::printBlank() {
    const int pages = m_pages->text().toInt();
    PrintLines() = QStringList{QStringLiteral("被询问人：")};
    int checked = -1;
    for (int i = 0; i < m_kinds.size(); ++i)
        if (m_kinds[i]->isChecked())
            checked = i;
    if (checked < 0) {
        Messages().show(this, QString::fromUtf8(print_text::kChooseKind));
        return;
    }
    const QString kind = kindNames()[checked];
    PrintDlgInput input;
    input.particulars.typeName = kind;
    input.particulars.unitName = QString::fromStdString(Session().unitName);
    input.blankForm = true;
    // No page field value means one form rather than none.
    input.blankPages = std::max(1, pages);
    LoadHeadingTemplate(m_db, QStringLiteral("社区矫正笔录"), kind);
    CPrintDlg dialog(this, m_db, std::move(input));
    m_runPrint(dialog);
}
