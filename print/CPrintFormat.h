// The print format dialog: the lists of the format, a tab strip of the
// community-correction types, "确定" writing every row of jyx_format.
#pragma once

#include "print/PrintFormat.h"
#include "text/FramedDialog.h"

#include <functional>

class Database;
class QComboBox;
class QTabBar;

// The editor learns of a confirmed format through this call: code 2 and the
// font size (it then re-lays out its text with the current print format).
using EditorLink = std::function<void(int code, int value)>;

class CPrintFormat : public FramedDialog {
    Q_OBJECT
public:
    CPrintFormat(QWidget* parent, Database& db,
                 const QString& typeName = QStringLiteral("询问笔录"), EditorLink toEditor = {});

    // The format the lists show, as it would be stored.
    PrintFormat shownFormat() const;
    QTabBar* tabs() const { return m_tabs; }

public slots:
    void confirm();

private:
    QComboBox* addList(const char* name, const QString& label, const QStringList& entries, int row,
                       int column);
    void fillFonts();
    void load();
    void display(const PrintFormat& f);

    Database& m_db;
    EditorLink m_toEditor;
    QTabBar* m_tabs = nullptr;
    QWidget* m_grid = nullptr;
    QComboBox *m_font = nullptr, *m_size = nullptr, *m_distance = nullptr, *m_blank = nullptr,
              *m_position = nullptr, *m_numerals = nullptr, *m_indent = nullptr,
              *m_askTimes = nullptr, *m_askTimesFormat = nullptr, *m_endName = nullptr,
              *m_lineStyle = nullptr, *m_nameTime = nullptr, *m_qr = nullptr;
};
