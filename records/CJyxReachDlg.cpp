#include "records/CJyxReachDlg.h"

#include "app/Clock.h"
#include "app/Prompt.h"
#include "records/RecordListModel.h"

#include <QComboBox>
#include <QCursor>
#include <QDateEdit>
#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

using namespace records;

namespace {
const QColor kBottomBand(228, 238, 250);
}

CJyxReachDlg::CJyxReachDlg(ReachHooks hooks, QWidget* parent, CDBConnection& connection)
    : FramedDialog(parent, AllPieces), m_hooks(std::move(hooks)), m_db(connection) {
    setObjectName("CJyxReachDlg");
    setTitleText(QStringLiteral("笔录查询"));
    buildForm();
    buildList();
    buildButtons();
    resize(1260, 720);
    // Without the index the list still works, only slower.
    for (const std::string& sql : ListIndexSql())
        m_db.exec(sql);
    refreshList();
}

CJyxReachDlg::~CJyxReachDlg() {
    // The editor goes with the browser; it must not call back into it then.
    if (m_editor)
        m_editor->disconnect(this);
}

void CJyxReachDlg::buildForm() {
    auto* form = new QWidget(body());
    auto* grid = new QGridLayout(form);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(8);
    auto label = [&](const QString& text, QWidget* buddy, int row, int column) {
        auto* l = new QLabel(text, form);
        l->setBuddy(buddy);
        grid->addWidget(l, row, column, Qt::AlignRight);
        grid->addWidget(buddy, row, column + 1);
    };
    auto edit = [&](const char* name) {
        auto* e = new QLineEdit(form);
        e->setObjectName(name);
        return e;
    };
    m_sex = new QComboBox(form);
    m_sex->setObjectName("sexCombo");
    m_sex->addItems({QString::fromUtf8(kAllSexes), QStringLiteral("男"), QStringLiteral("女")});
    m_name = edit("nameEdit");
    m_case = edit("caseEdit");
    m_unit = edit("unitEdit");
    const QDate today = CurrentClock().now().date();
    auto date = [&](const char* name) {
        auto* d = new QDateEdit(today, form);
        d->setObjectName(name);
        d->setDisplayFormat("yyyy-MM-dd");
        d->setCalendarPopup(true);
        return d;
    };
    m_from = date("fromDate");
    m_to = date("toDate");
    m_rowCount = edit("rowCountEdit");
    m_rowCount->setMaximumWidth(70);

    label(QStringLiteral("性别："), m_sex, 0, 0);
    label(QStringLiteral("被询问人姓名："), m_name, 0, 2);
    label(QStringLiteral("案件名称："), m_case, 0, 4);
    label(QStringLiteral("单位名称："), m_unit, 0, 6);
    label(QStringLiteral("询问日期（起）："), m_from, 1, 0);
    label(QStringLiteral("至"), m_to, 1, 2);
    auto* count = new QWidget(form);
    auto* countRow = new QHBoxLayout(count);
    countRow->setContentsMargins(0, 0, 0, 0);
    auto* before = new QLabel(QStringLiteral("显示前"), count);
    before->setBuddy(m_rowCount);
    countRow->addWidget(before);
    countRow->addWidget(m_rowCount);
    countRow->addWidget(new QLabel(QStringLiteral("条数据"), count));
    countRow->addStretch();
    grid->addWidget(count, 1, 4, 1, 2);
    auto* search = new QPushButton(QStringLiteral("查询"), form);
    search->setObjectName("searchButton");
    search->setAutoDefault(false);
    search->setMinimumWidth(90);
    connect(search, &QPushButton::clicked, this, &CJyxReachDlg::onSearch);
    grid->addWidget(search, 1, 7, Qt::AlignRight);
    bodyLayout()->addWidget(form);
}

void CJyxReachDlg::buildList() {
    m_model = new RecordListModel(m_db, this);
    m_list = new QTableView(body());
    m_list->setObjectName("recordList");
    m_list->setModel(m_model);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setShowGrid(true);
    m_list->setWordWrap(false);
    m_list->verticalHeader()->hide();
    m_list->verticalHeader()->setDefaultSectionSize(24);
    QHeaderView* header = m_list->horizontalHeader();
    header->setHighlightSections(false);
    header->setStretchLastSection(false);
    for (int c = 0; c < kColumnCount; ++c)
        m_list->setColumnWidth(c, ListColumns()[std::size_t(c)].width);
    // The id column carries the record's key; a hidden section cannot be
    // dragged open.
    m_list->setColumnHidden(kId, true);
    // A click below the last row keeps the chosen row.
    m_list->viewport()->installEventFilter(this);
    bodyLayout()->addWidget(m_list, 1);
}

bool CJyxReachDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_list->viewport() && (event->type() == QEvent::MouseButtonPress ||
                                          event->type() == QEvent::MouseButtonDblClick)) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (!m_list->indexAt(mouse->position().toPoint()).isValid())
            return true;
    }
    return FramedDialog::eventFilter(watched, event);
}

QPushButton* CJyxReachDlg::addButton(const char* objectName, const QString& text, bool visible) {
    auto* b = new QPushButton(text, m_buttonBar);
    b->setObjectName(objectName);
    b->setAutoDefault(false);
    b->setMinimumWidth(90);
    b->setVisible(visible);
    m_buttonBar->layout()->addWidget(b);
    return b;
}

void CJyxReachDlg::buildButtons() {
    m_buttonBar = new QWidget(body());
    m_buttonBar->setObjectName("bottomBand");
    m_buttonBar->setAutoFillBackground(true);
    QPalette p = m_buttonBar->palette();
    p.setColor(QPalette::Window, kBottomBand);
    m_buttonBar->setPalette(p);
    auto* row = new QHBoxLayout(m_buttonBar);
    // The band starts 10 pixels above the buttons.
    row->setContentsMargins(10, 10, 10, 10);
    m_newButton = addButton("newButton", QStringLiteral("新建"), true);
    QPushButton* modify = addButton("modifyButton", QStringLiteral("修改"), true);
    QPushButton* again = addButton("askAgainButton", QStringLiteral("再次询问"), false);
    QPushButton* remove = addButton("deleteButton", QStringLiteral("删除"), true);
    QPushButton* print = addButton("printButton", QStringLiteral("打印"), false);
    // Started by the synchronisation with the record server.
    addButton("uploadButton", QStringLiteral("上传"), false);
    addButton("cloudSyncButton", QStringLiteral("数据云同步"), false);
    // Commands of the layout that carry no action.
    addButton("exportWordButton", QStringLiteral("导出WORD文件"), false)->setEnabled(false);
    addButton("exportFileButton", QStringLiteral("导出笔录文件"), false)->setEnabled(false);
    addButton("importFileButton", QStringLiteral("导入笔录文件"), false);
    addButton("browseExportButton", QStringLiteral("浏览导出文件"), false)->setEnabled(false);
    addButton("allRecordsButton", QStringLiteral("全部笔录"), false);
    static_cast<QHBoxLayout*>(m_buttonBar->layout())->addStretch();
    QPushButton* menu = addButton("menuButton", QStringLiteral("菜单"), true);
    QPushButton* exit = addButton("exitButton", QStringLiteral("退出"), true);

    m_newButton->setEnabled(bool(m_hooks.newEditor));
    modify->setEnabled(bool(m_hooks.openEditor));
    again->setEnabled(bool(m_hooks.openEditor));
    print->setEnabled(bool(m_hooks.printRecord));
    connect(m_newButton, &QPushButton::clicked, this, &CJyxReachDlg::onNew);
    connect(modify, &QPushButton::clicked, this, &CJyxReachDlg::onModify);
    connect(again, &QPushButton::clicked, this, &CJyxReachDlg::onAskAgain);
    connect(remove, &QPushButton::clicked, this, &CJyxReachDlg::onDelete);
    connect(print, &QPushButton::clicked, this, &CJyxReachDlg::onPrint);
    connect(menu, &QPushButton::clicked, this, &CJyxReachDlg::showMenu);
    connect(exit, &QPushButton::clicked, this, &QDialog::reject);
    bodyLayout()->addWidget(m_buttonBar);
}

int CJyxReachDlg::selectedRow() const {
    const QModelIndexList rows = m_list->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void CJyxReachDlg::selectRow(int row) {
    if (row < 0)
        m_list->clearSelection();
    else
        m_list->selectRow(row);
}

SearchForm CJyxReachDlg::searchForm() const {
    SearchForm f;
    f.sex = m_sex->currentText();
    f.name = m_name->text();
    f.caseName = m_case->text();
    f.unit = m_unit->text();
    f.from = m_from->date();
    f.to = m_to->date();
    f.rowCount = m_rowCount->text();
    return f;
}

ListedRecord CJyxReachDlg::listed(int row) const {
    return {m_model->text(row, kId), m_model->text(row, kFormat), m_model->text(row, kName),
            m_model->text(row, kUploaded)};
}

int CJyxReachDlg::requireSelection() {
    const int row = selectedRow();
    if (row < 0)
        Messages().show(this, QString::fromUtf8(kChooseRecord), Prompt::Icon::Warning);
    return row;
}

// Refilling resets the model, which clears the selection: a command after a
// refill never acts on whatever record moved into the chosen row.
void CJyxReachDlg::refreshList() {
    if (!m_model->fillAll())
        Messages().show(this, QStringLiteral("笔录读取失败：") + m_model->error(),
                        Prompt::Icon::Warning);
}

void CJyxReachDlg::onSearch() {
    const SearchQuery q = BuildSearch(searchForm());
    if (!q.ok()) {
        Messages().show(this, q.error, Prompt::Icon::Warning);
        m_rowCount->setFocus();
        return;
    }
    if (!m_model->fill(q.sql, q.values))
        Messages().show(this, QStringLiteral("查询失败：") + m_model->error(),
                        Prompt::Icon::Warning);
}

void CJyxReachDlg::onNew() {
    if (!m_hooks.newEditor)
        return;
    if (QWidget* w = m_hooks.newEditor(this); w && !w->isVisible())
        w->show();
}

void CJyxReachDlg::onModify() {
    openRecord(EditorMode::Modify);
}

void CJyxReachDlg::onAskAgain() {
    openRecord(EditorMode::AskAgain);
}

void CJyxReachDlg::openRecord(EditorMode mode) {
    const int row = requireSelection();
    if (row < 0 || !m_hooks.openEditor)
        return;
    const auto request = PrepareOpen(m_db, Session(), m_model->text(row, kId), mode);
    if (!request)
        return;
    if (m_editor) {
        m_editor->disconnect(this);
        delete m_editor.data();
    }
    hideDuringChild();
    QWidget* w = m_hooks.openEditor(this, *request);
    if (!w) {
        show();
        return;
    }
    m_editor = w;
    // The browser comes back when its editor is closed or destroyed.
    if (auto* dialog = qobject_cast<QDialog*>(w))
        connect(dialog, &QDialog::finished, this, &QWidget::show);
    connect(w, &QObject::destroyed, this, [this] { show(); });
    if (!w->isVisible())
        w->show();
}

void CJyxReachDlg::onDelete() {
    const int row = requireSelection();
    if (row < 0)
        return;
    const ListedRecord r = listed(row);
    if (!Messages().okCancel(this, DeleteQuestion(r)))
        return;
    m_model->release();
    const SessionValues& s = Session();
    const DeleteOutcome out =
        DeleteRecord(m_db, r, QString::fromStdString(s.loginName),
                     QString::fromStdString(s.officerName), CurrentClock().now());
    Messages().show(this, out.message,
                    out.deleted ? Prompt::Icon::Information : Prompt::Icon::Warning);
    refreshList();
}

void CJyxReachDlg::onPrint() {
    const int row = requireSelection();
    if (row < 0 || !m_hooks.printRecord)
        return;
    if (const auto request =
            PrepareOpen(m_db, Session(), m_model->text(row, kId), EditorMode::Modify))
        m_hooks.printRecord(this, *request);
}

std::unique_ptr<QMenu> CJyxReachDlg::createMenu() {
    auto menu = std::make_unique<QMenu>(this);
    auto add = [&](const QString& text, const std::function<void(QWidget*)>& run) {
        QAction* a = menu->addAction(text);
        a->setEnabled(bool(run));
        connect(a, &QAction::triggered, this, [this, run] {
            if (run)
                run(this);
        });
    };
    add(QStringLiteral("法规查询"), m_hooks.lawLookup);
    add(QStringLiteral("笔录地址管理"), m_hooks.addressManager);
    add(QStringLiteral("询问人管理"), m_hooks.userManager);
    add(QStringLiteral("打印设置"), m_hooks.printSettings);
    return menu;
}

void CJyxReachDlg::showMenu() {
    std::unique_ptr<QMenu> menu = createMenu();
    menu->exec(QCursor::pos());
}
