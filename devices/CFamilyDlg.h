// 主要家庭成员: the interviewee's family members of one transcript in a grid,
// added, deleted, filled from an ID card and saved with the transcript.
#pragma once

#include "app/AppContext.h"
#include "app/Database.h"
#include "devices/CardReader.h"
#include "devices/FamilyStore.h"
#include "text/FramedDialog.h"

#include <QPoint>
#include <QString>

#include <vector>

class QTableWidget;

class CFamilyDlg : public FramedDialog {
    Q_OBJECT
public:
    enum Column {
        ReadCard,
        Notify,
        Name,
        IdNumber,
        Relation,
        Age,
        Telephone,
        Unit,
        Address,
        ColumnCount
    };

    // `recordId` is the transcript's id ("" before its first save); the
    // dialog opens with its top left corner at `position`.
    CFamilyDlg(QString recordId, QPoint position, QWidget* parent = nullptr,
               CDBConnection& connection = SystemDb(), CardDevice& device = SharedCardDevice());

    QTableWidget* grid() const { return m_grid; }
    QString recordId() const { return m_recordId; }
    int rememberedRow() const { return m_row; }
    // The member a grid row shows.
    FamilyMember memberAt(int row) const;
    void setMember(int row, const FamilyMember& member);
    bool reading() const { return m_reading; }

public slots:
    void onAdd();
    void onDelete();
    void onSave();
    void onCellClicked(int row, int column);
    void onCellDoubleClicked(int row, int column);
    // Reads an ID card into a row on a worker; false when a read is running.
    bool readCardInto(int row);

signals:
    // A card read of this dialog ended (filled or not).
    void cardReadFinished();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void fill();
    void addRow();
    QString cell(int row, int column) const;
    void setCell(int row, int column, const QString& text);

    QString m_recordId;
    QPoint m_position;
    Database m_db;
    FamilyStore m_store;
    CardDevice& m_device;
    QTableWidget* m_grid = nullptr;
    int m_row = -1;
    bool m_reading = false;
    bool m_placed = false;
};

// The editor's "家庭": the members of `recordId` in a modal dialog at the
// mouse position. The editor runs its silent save first when it has no id.
void RunFamilyDialog(QWidget* parent, const QString& recordId);
