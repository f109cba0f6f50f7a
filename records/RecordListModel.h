// The records browser's list: the rows of one statement over jyx_content,
// read a batch at a time as the view scrolls, so a database of many years
// shows its first rows at once. Only the shown columns are read.
#pragma once

#include "app/Schema.h"
#include "records/RecordSearch.h"
#include "storage/Kavra.h"

#include <QAbstractTableModel>
#include <QByteArray>
#include <QHash>
#include <QString>

#include <array>
#include <string>
#include <vector>

class Database;

namespace records {

class RecordListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kBatch = 256;

    explicit RecordListModel(Database& db, QObject* parent = nullptr);

    // Replaces the rows by those of a statement over the shown columns (see
    // RecordSearch.h) with its `?` values; reads the first batch. False when
    // the statement failed (the list is empty then, see error()).
    bool fill(const std::string& sql, const std::vector<std::string>& values = {});
    bool fillAll() { return fill(AllRecordsSql()); }
    QString error() const { return m_error; }
    // Reads the rows not read yet (tests and benchmarks).
    void fetchAll();
    // Lets go of the statement of the rows not read yet; the rows read stay.
    // Run before writing, so no read of this list is open during the write.
    void release() { m_set.FreeRecordSet(); }

    // The text a list cell shows; empty outside the rows read so far.
    QString text(int row, int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& parent = {}) const override;
    void fetchMore(const QModelIndex& parent = {}) override;

private:
    // Where each stored column of a row starts in m_cells, in list order
    // without the running number; every cell ends with a zero byte. Cells are
    // decoded only when shown, so filling costs little more than stepping the
    // statement.
    using Row = std::array<quint32, kColumnCount - 1>;
    void readBatch(std::vector<Row>& out);
    QString decode(const char* bytes, ColumnEncoding encoding) const;

    Database& m_db;
    mutable CDBRecordSet m_set;
    std::vector<Row> m_rows;
    std::string m_cells;
    QString m_error;
    // Decoded GBK cells: the kinds and types repeat on every row.
    mutable QHash<QByteArray, QString> m_gbk;
};

} // namespace records
