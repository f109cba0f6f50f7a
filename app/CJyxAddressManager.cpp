#include "app/CJyxAddressManager.h"

#include "app/Prompt.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
void ShowAll(QWidget* parent, const Outcome& out) {
    for (const QString& text : out.messages)
        Messages().show(parent, text,
                        out.failed ? Prompt::Icon::Warning : Prompt::Icon::Information);
}
} // namespace

CJyxAddressManager::CJyxAddressManager(QWidget* parent, CDBConnection& connection)
    : FramedDialog(parent, AllPieces), m_db(connection), m_store(m_db) {
    setObjectName("CJyxAddressManager");
    setTitleText(QStringLiteral("笔录地址管理"));

    m_list = new QListWidget(body());
    m_list->setObjectName("placeList");
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);

    auto* editRow = new QWidget(body());
    auto* row = new QHBoxLayout(editRow);
    row->setContentsMargins(0, 0, 0, 0);
    auto* label = new QLabel(QStringLiteral("笔录地址："), editRow);
    m_edit = new QLineEdit(editRow);
    m_edit->setObjectName("placeEdit");
    label->setBuddy(m_edit);
    row->addWidget(label);
    row->addWidget(m_edit, 1);

    auto* buttons = new QWidget(body());
    auto* buttonRow = new QHBoxLayout(buttons);
    buttonRow->setContentsMargins(0, 0, 0, 0);
    buttonRow->addStretch();
    auto makeButton = [&](const char* name, const QString& text) {
        auto* b = new QPushButton(text, buttons);
        b->setObjectName(name);
        b->setAutoDefault(false);
        b->setMinimumWidth(80);
        buttonRow->addWidget(b);
        return b;
    };
    connect(makeButton("addButton", QStringLiteral("增加")), &QPushButton::clicked, this,
            &CJyxAddressManager::onAdd);
    connect(makeButton("deleteButton", QStringLiteral("删除")), &QPushButton::clicked, this,
            &CJyxAddressManager::onDelete);
    QPushButton* exit = makeButton("exitButton", QStringLiteral("退出"));
    connect(exit, &QPushButton::clicked, this, &QDialog::reject);
    setClosingButton(exit);

    QVBoxLayout* layout = bodyLayout();
    layout->setSpacing(10);
    layout->addWidget(m_list, 1);
    layout->addWidget(editRow);
    layout->addWidget(buttons);

    connect(m_list, &QListWidget::currentTextChanged, this, [this](const QString& text) {
        if (m_list->currentItem())
            m_selected = text.toStdString();
    });
    resize(440, 420);
    refill();
}

void CJyxAddressManager::refill() {
    // A refill moves the current row; the remembered text must not follow it.
    QSignalBlocker block(m_list);
    m_list->clear();
    for (const std::string& name : m_store.names())
        m_list->addItem(QString::fromStdString(name));
}

void CJyxAddressManager::onAdd() {
    Outcome out = m_store.add(m_edit->text().toStdString(), Session().unitName);
    if (out.changed)
        refill();
    ShowAll(this, out);
}

void CJyxAddressManager::onDelete() {
    Outcome out = m_store.remove(m_selected);
    if (out.changed)
        refill();
    ShowAll(this, out);
}
