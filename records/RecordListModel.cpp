#include "records/RecordListModel.h"

#include "app/Database.h"
#include "text/TextCodec.h"

#include <algorithm>
#include <cstring>

namespace records {

namespace {

// Storage encoding of each selected column, in select order.
const std::array<ColumnEncoding, kColumnCount - 1>& SelectedEncodings() {
    static const auto encodings = [] {
        std::array<ColumnEncoding, kColumnCount - 1> e{};
        int i = 0;
        for (const ListColumn& c : ListColumns())
            if (c.source)
                e[i++] = schema::jyx_content.column(c.source).encoding;
        return e;
    }();
    return encodings;
}

// Position of a list column in a stored row (the running number is not stored).
int StoredIndex(int column) {
    return column < kNumber ? column : column - 1;
}

} // namespace

RecordListModel::RecordListModel(Database& db, QObject* parent)
    : QAbstractTableModel(parent), m_db(db) {}

bool RecordListModel::fill(const std::string& sql, const std::vector<std::string>& values) {
    beginResetModel();
    m_set.FreeRecordSet();
    m_rows.clear();
    m_rows.shrink_to_fit();
    m_cells.clear();
    m_cells.shrink_to_fit();
    SqlArgs args;
    for (const std::string& v : values)
        args.text(v);
    m_set = m_db.query(sql, args);
    const bool ok = m_db.connection().LastSucceeded();
    m_error = ok ? QString() : QString::fromStdString(m_db.lastError());
    if (ok)
        readBatch(m_rows);
    else
        m_set.FreeRecordSet();
    endResetModel();
    return ok;
}

void RecordListModel::readBatch(std::vector<Row>& out) {
    for (int n = 0; n < kBatch && m_set.IsOpen() && !m_set.IsEof(); ++n) {
        Row row;
        for (std::size_t i = 0; i < row.size(); ++i) {
            row[i] = quint32(m_cells.size());
            m_cells += m_set.GetStringValue(int(i));
            m_cells += '\0';
        }
        out.push_back(row);
        m_set.MoveNext();
    }
    // The statement is let go as soon as its last row is read, so no read
    // stays open on the connection while the list is only shown.
    if (m_set.IsOpen() && m_set.IsEof())
        m_set.FreeRecordSet();
}

void RecordListModel::fetchAll() {
    while (canFetchMore())
        fetchMore();
}

QString RecordListModel::text(int row, int column) const {
    if (row < 0 || row >= int(m_rows.size()) || column < 0 || column >= kColumnCount)
        return {};
    if (column == kNumber)
        return QString::number(row + 1);
    const std::size_t i = std::size_t(StoredIndex(column));
    const char* stored = m_cells.data() + m_rows[std::size_t(row)][i];
    if (column == kUploaded)
        return std::strcmp(stored, "1") == 0 ? QStringLiteral("是") : QStringLiteral("否");
    return decode(stored, SelectedEncodings()[i]);
}

QString RecordListModel::decode(const char* bytes, ColumnEncoding encoding) const {
    const char* p = bytes;
    while (*p && static_cast<unsigned char>(*p) < 0x80)
        ++p;
    if (!*p) // ASCII reads the same in GBK and UTF-8
        return QString::fromLatin1(bytes, p - bytes);
    if (encoding != ColumnEncoding::Gbk)
        return QString::fromUtf8(bytes);
    const QByteArray key(bytes);
    auto found = m_gbk.constFind(key);
    if (found != m_gbk.constEnd())
        return *found;
    const QString text = QString::fromStdString(AnsiToUtf8(bytes));
    if (m_gbk.size() < 4096)
        m_gbk.insert(key, text);
    return text;
}

int RecordListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int RecordListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant RecordListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    return text(index.row(), index.column());
}

QVariant RecordListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 ||
        section >= kColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    return QString::fromUtf8(ListColumns()[std::size_t(section)].caption);
}

bool RecordListModel::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && m_set.IsOpen() && !m_set.IsEof();
}

void RecordListModel::fetchMore(const QModelIndex& parent) {
    if (!canFetchMore(parent))
        return;
    std::vector<Row> batch;
    readBatch(batch);
    if (batch.empty())
        return;
    const int first = int(m_rows.size());
    beginInsertRows({}, first, first + int(batch.size()) - 1);
    m_rows.insert(m_rows.end(), batch.begin(), batch.end());
    endInsertRows();
}

} // namespace records
