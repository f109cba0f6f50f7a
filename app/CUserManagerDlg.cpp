#include "app/CUserManagerDlg.h"

#include "app/CModifyPasswordDlg.h"
#include "app/CUserAddDlg.h"
#include "app/Prompt.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTabBar>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
constexpr int kColumnWidths[] = {100, 100, 100, 80, 80};
const char* const kColumnTitles[] = {"用户类型", "用户名", "姓名", "执法证号", "职务"};
const char* const kTabTitles[] = {"询问人", "记录人", "所有人"};

void ShowAll(QWidget* parent, const Outcome& out) {
    for (const QString& text : out.messages)
        Messages().show(parent, text,
                        out.failed ? Prompt::Icon::Warning : Prompt::Icon::Information);
}
} // namespace

CUserManagerDlg::CUserManagerDlg(QWidget* parent, CDBConnection& connection)
    : FramedDialog(parent, RoundCorners | DragBand | CloseButton | BandPaint), m_db(connection),
      m_store(m_db) {
    setObjectName("CUserManagerDlg");
    setWindowTitle(QStringLiteral("询问人管理"));

    m_tabs = new QTabBar(body());
    m_tabs->setObjectName("officerTabs");
    for (const char* title : kTabTitles)
        m_tabs->addTab(QString::fromUtf8(title));
    m_tabs->setExpanding(false);

    m_list = new QTreeWidget(body());
    m_list->setObjectName("officerList");
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QStringList headers;
    for (const char* title : kColumnTitles)
        headers << QString::fromUtf8(title);
    m_list->setHeaderLabels(headers);
    m_list->header()->setStretchLastSection(false);
    for (int i = 0; i < int(std::size(kColumnWidths)); ++i)
        m_list->setColumnWidth(i, kColumnWidths[i]);

    auto* note = new QLabel(QStringLiteral("注：只有管理员才能登录系统"), body());
    note->setObjectName("noteLabel");
    note->setStyleSheet("color: rgb(220,40,40);");

    m_buttons = new QWidget(body());
    auto* row = new QHBoxLayout(m_buttons);
    row->setContentsMargins(0, 0, 0, 0);
    row->addStretch();
    connect(addButton("addButton", "增加"), &QPushButton::clicked, this, &CUserManagerDlg::onAdd);
    connect(addButton("editButton", "修改"), &QPushButton::clicked, this, &CUserManagerDlg::onEdit);
    connect(addButton("deleteButton", "删除"), &QPushButton::clicked, this,
            &CUserManagerDlg::onDelete);
    connect(addButton("passwordButton", "修改密码"), &QPushButton::clicked, this,
            &CUserManagerDlg::onChangePassword);
    connect(addButton("exitButton", "退出"), &QPushButton::clicked, this, &QDialog::reject);

    QVBoxLayout* layout = bodyLayout();
    layout->setSpacing(8);
    layout->addWidget(m_tabs);
    layout->addWidget(m_list, 1);
    layout->addWidget(note);
    layout->addWidget(m_buttons);

    connect(m_tabs, &QTabBar::currentChanged, this, &CUserManagerDlg::refill);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, &CUserManagerDlg::onEdit);
    resize(560, 460);
    refill();
}

QPushButton* CUserManagerDlg::addButton(const char* objectName, const char* text) {
    auto* button = new QPushButton(QString::fromUtf8(text), m_buttons);
    button->setObjectName(objectName);
    button->setAutoDefault(false);
    button->setMinimumWidth(80);
    m_buttons->layout()->addWidget(button);
    return button;
}

void CUserManagerDlg::paintBand(QPainter& painter) {
    FramedDialog::paintBand(painter);
    QFont font(QStringLiteral("微软雅黑"));
    font.setPixelSize(18);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(48, 0, width() - 96, bandHeight()), Qt::AlignVCenter | Qt::AlignLeft,
                     windowTitle());
}

void CUserManagerDlg::refill() {
    m_rows = m_store.list(OfficerTab(std::max(0, m_tabs->currentIndex())));
    m_list->clear();
    for (const OfficerRow& r : m_rows) {
        auto* item = new QTreeWidgetItem(m_list);
        item->setText(TypeColumn, QString::fromStdString(r.type));
        item->setText(UserNameColumn, QString::fromStdString(r.loginId));
        item->setText(NameColumn, QString::fromStdString(r.name));
        item->setText(CertificateColumn, QString::fromStdString(r.certificate));
        item->setText(JobColumn, QString::fromStdString(r.job));
    }
}

const OfficerRow* CUserManagerDlg::selectedRow() const {
    QTreeWidgetItem* item = m_list->currentItem();
    if (!item || !item->isSelected())
        return nullptr;
    int i = m_list->indexOfTopLevelItem(item);
    return i >= 0 && i < int(m_rows.size()) ? &m_rows[i] : nullptr;
}

void CUserManagerDlg::onAdd() {
    CUserAddDlg form(this, m_store, CUserAddDlg::AddMode);
    form.exec();
    refill();
}

void CUserManagerDlg::onEdit() {
    const OfficerRow* row = selectedRow();
    if (!row || row->name.empty())
        return;
    CUserAddDlg form(this, m_store, CUserAddDlg::EditMode, *row);
    form.exec();
    refill();
}

void CUserManagerDlg::onDelete() {
    const OfficerRow* row = selectedRow();
    if (!row)
        return;
    OfficerRow selected = *row;
    QString refusal = OfficerStore::deleteRefusal(selected, Session().accountIdNumber);
    if (!refusal.isEmpty()) {
        Messages().show(this, refusal, Prompt::Icon::Warning);
        return;
    }
    if (selected.name.empty() || !Messages().okCancel(this, OfficerStore::deleteQuestion(selected)))
        return;
    Outcome out = m_store.remove(selected);
    ShowAll(this, out);
    refill();
}

void CUserManagerDlg::onChangePassword() {
    CModifyPasswordDlg dlg(this, m_db.connection());
    dlg.exec();
}
