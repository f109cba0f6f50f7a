#include "devices/CFamilyDlg.h"

#include "app/Clock.h"
#include "app/Prompt.h"
#include "net/Worker.h"

#include <QComboBox>
#include <QCursor>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPersistentModelIndex>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

struct ColumnSpec {
    const char* header;
    int width;
};
constexpr ColumnSpec kColumns[CFamilyDlg::ColumnCount] = {
    {"读卡", 45}, {"通知", 60},  {"姓名", 100}, {"身份证", 180}, {"关系", 100},
    {"年龄", 60}, {"电话", 100}, {"单位", 150}, {"住址", 250},
};

// The relationship cell edits through a drop-down of the fixed relations.
class RelationDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex&) const override {
        auto* box = new QComboBox(parent);
        box->setObjectName("relationBox");
        box->addItems(FamilyRelations());
        return box;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        auto* box = static_cast<QComboBox*>(editor);
        const QString text = index.data().toString();
        if (!text.isEmpty() && box->findText(text) < 0)
            box->addItem(text); // a relation stored by hand stays selectable
        box->setCurrentIndex(std::max(0, box->findText(text)));
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override {
        model->setData(index, static_cast<QComboBox*>(editor)->currentText());
    }
};

} // namespace

CFamilyDlg::CFamilyDlg(QString recordId, QPoint position, QWidget* parent,
                       CDBConnection& connection, CardDevice& device)
    : FramedDialog(parent, AllPieces), m_recordId(std::move(recordId)), m_position(position),
      m_db(connection), m_store(m_db), m_device(device) {
    setObjectName("CFamilyDlg");
    setTitleText(QStringLiteral("主要家庭成员"));
    setWindowFlag(Qt::WindowStaysOnTopHint);

    m_grid = new QTableWidget(0, ColumnCount, body());
    m_grid->setObjectName("familyGrid");
    QStringList headers;
    for (const ColumnSpec& c : kColumns)
        headers << QString::fromUtf8(c.header);
    m_grid->setHorizontalHeaderLabels(headers);
    for (int i = 0; i < ColumnCount; ++i)
        m_grid->setColumnWidth(i, kColumns[i].width);
    m_grid->verticalHeader()->setVisible(false);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                            QAbstractItemView::AnyKeyPressed);
    m_grid->setItemDelegateForColumn(Relation, new RelationDelegate(m_grid));
    connect(m_grid, &QTableWidget::cellClicked, this, &CFamilyDlg::onCellClicked);
    connect(m_grid, &QTableWidget::cellDoubleClicked, this, &CFamilyDlg::onCellDoubleClicked);

    auto* buttons = new QWidget(body());
    auto* row = new QHBoxLayout(buttons);
    row->setContentsMargins(0, 0, 0, 0);
    row->addStretch();
    auto makeButton = [&](const char* name, const QString& text, auto slot) {
        auto* b = new QPushButton(text, buttons);
        b->setObjectName(name);
        b->setAutoDefault(false);
        b->setMinimumWidth(80);
        row->addWidget(b);
        connect(b, &QPushButton::clicked, this, slot);
    };
    makeButton("addButton", QStringLiteral("增加"), &CFamilyDlg::onAdd);
    makeButton("deleteButton", QStringLiteral("删除"), &CFamilyDlg::onDelete);
    makeButton("saveButton", QStringLiteral("保存"), &CFamilyDlg::onSave);
    makeButton("exitButton", QStringLiteral("退出"), &QDialog::reject);

    QVBoxLayout* layout = bodyLayout();
    layout->setSpacing(10);
    layout->addWidget(m_grid, 1);
    layout->addWidget(buttons);
    resize(1090, 420);
    fill();
}

void CFamilyDlg::showEvent(QShowEvent* event) {
    if (!m_placed) {
        m_placed = true;
        move(m_position);
    }
    FramedDialog::showEvent(event);
}

void CFamilyDlg::fill() {
    const std::vector<FamilyMember> members = m_store.load(m_recordId);
    m_grid->setRowCount(0);
    for (const FamilyMember& m : members) {
        addRow();
        setMember(m_grid->rowCount() - 1, m);
    }
    if (members.empty())
        addRow();
}

void CFamilyDlg::addRow() {
    const int row = m_grid->rowCount();
    m_grid->insertRow(row);
    auto* card = new QTableWidgetItem(QStringLiteral("读卡"));
    card->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable); // never edited
    card->setTextAlignment(Qt::AlignCenter);
    card->setForeground(kFrameBlue);
    card->setToolTip(QStringLiteral("双击读取身份证"));
    m_grid->setItem(row, ReadCard, card);
    auto* notify = new QTableWidgetItem;
    notify->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    notify->setCheckState(Qt::Unchecked);
    m_grid->setItem(row, Notify, notify);
    for (int c = Name; c < ColumnCount; ++c)
        m_grid->setItem(row, c, new QTableWidgetItem);
}

QString CFamilyDlg::cell(int row, int column) const {
    const QTableWidgetItem* item = m_grid->item(row, column);
    return item ? item->text() : QString();
}

void CFamilyDlg::setCell(int row, int column, const QString& text) {
    if (QTableWidgetItem* item = m_grid->item(row, column))
        item->setText(text);
    else
        m_grid->setItem(row, column, new QTableWidgetItem(text));
}

FamilyMember CFamilyDlg::memberAt(int row) const {
    FamilyMember m;
    const QTableWidgetItem* notify = m_grid->item(row, Notify);
    m.notify = notify && notify->checkState() == Qt::Checked;
    m.name = cell(row, Name);
    m.idNumber = cell(row, IdNumber);
    m.relation = cell(row, Relation);
    m.age = cell(row, Age);
    m.telephone = cell(row, Telephone);
    m.unit = cell(row, Unit);
    m.address = cell(row, Address);
    return m;
}

void CFamilyDlg::setMember(int row, const FamilyMember& m) {
    if (QTableWidgetItem* notify = m_grid->item(row, Notify))
        notify->setCheckState(m.notify ? Qt::Checked : Qt::Unchecked);
    setCell(row, Name, m.name);
    setCell(row, IdNumber, m.idNumber);
    setCell(row, Relation, m.relation);
    setCell(row, Age, m.age);
    setCell(row, Telephone, m.telephone);
    setCell(row, Unit, m.unit);
    setCell(row, Address, m.address);
}

void CFamilyDlg::onAdd() {
    addRow();
}

void CFamilyDlg::onDelete() {
    if (m_row < 0 || m_row >= m_grid->rowCount())
        return;
    const FamilyMember member = memberAt(m_row);
    if (!Messages().okCancel(this,
                             QStringLiteral("确定要删除") + member.name + QStringLiteral("?")))
        return;
    m_grid->removeRow(m_row);
    m_row = -1;
    if (!member.isEmpty() && !m_store.remove(m_recordId, member))
        Messages().show(this, QStringLiteral("删除失败！"), Prompt::Icon::Warning);
}

void CFamilyDlg::onSave() {
    std::vector<FamilyMember> members;
    for (int row = 0; row < m_grid->rowCount(); ++row)
        members.push_back(memberAt(row));
    if (m_store.save(m_recordId, members))
        Messages().show(this, QStringLiteral("已保存！"));
    else
        Messages().show(this, QStringLiteral("保存失败！"), Prompt::Icon::Warning);
}

void CFamilyDlg::onCellClicked(int row, int column) {
    m_row = row;
    if (column == Relation)
        m_grid->editItem(m_grid->item(row, column));
}

void CFamilyDlg::onCellDoubleClicked(int row, int column) {
    m_row = row;
    if (column == ReadCard)
        readCardInto(row);
}

bool CFamilyDlg::readCardInto(int row) {
    if (m_reading || row < 0 || row >= m_grid->rowCount())
        return false;
    m_reading = true;
    // The row may move or go while the reader works; the index follows it.
    const QPersistentModelIndex target(m_grid->model()->index(row, 0));
    const CardReadRequest request{CurrentClock().now().date(), false, {}};
    CardDevice* device = &m_device;
    RunWorker<CardReadResult>(
        this, [device, request] { return device->read(request); },
        [this, target](CardReadResult& result) {
            m_reading = false;
            for (const QString& text : result.messages)
                Messages().show(this, text, Prompt::Icon::Warning);
            if (result.card && target.isValid()) {
                const int r = target.row();
                setCell(r, Name, result.card->name);
                setCell(r, IdNumber, result.card->idNumber.value_or(QString()));
                setCell(r, Address, result.card->address);
                setCell(r, Age, QString::number(result.card->age));
            }
            emit cardReadFinished();
        });
    return true;
}

void RunFamilyDialog(QWidget* parent, const QString& recordId) {
    CFamilyDlg dlg(recordId, QCursor::pos(), parent);
    dlg.exec();
}
