// The print format: the layout choices stored in every row of jyx_format,
// how the settings dialog turns list selections into stored values and back,
// and the process-wide current format the editor re-lays out its text with.
#pragma once

#include <QString>
#include <QStringList>

class Database;

struct PrintFormat {
    QString font = QStringLiteral("宋体");
    int fontSize = 12;
    int distance = 10; // millimetres
    int isBlank = 1;   // 1 keep blank lines
    int pageNumPosition = 0;
    int pageNumFormat = 0;
    int indent = 0; // indentation code 0..3
    int askTimes = 0;
    int askTimesFormat = 0;
    int endName = 0;
    int lineStyle = 0;
    int nameTime = 0; // 0 print the signing date, 1 do not
    int qr = 0;       // 1 show the QR code

    // The defaults the print view starts from before it reads the table.
    static PrintFormat viewDefaults();

    bool operator==(const PrintFormat&) const = default;
};

// The column values of one row (positions 2..14 of jyx_format) as stored text.
QStringList StoredFormatValues(const PrintFormat& f);

// "select * from jyx_format": every row overwrites the previous values (the
// last row wins); with an empty table the 社区矫正笔录 row is tried. Columns
// 2..14 are read; `start` holds the values when nothing is found.
PrintFormat LoadPrintFormat(Database& db, const PrintFormat& start = PrintFormat());
// The row of one transcript type, or the 社区矫正笔录 row; columns 3..14
// replace those of `start` (the font stays, the view draws in 宋体 anyway).
PrintFormat LoadPrintFormatForType(Database& db, const QString& type,
                                   const PrintFormat& start = PrintFormat::viewDefaults());
// One statement updating every row (no WHERE); true when it ran.
bool SavePrintFormat(Database& db, const PrintFormat& f);

// A decimal text as the settings dialog reads it: empty or non-numeric is 0,
// leading digits count ("12abc" is 12).
int StoredInt(const QString& text);

// The dialog's lists, their choices in order and how a selection maps to the
// stored value and back.
namespace format_lists {
QStringList sizes();      // "12 (小四)" ...
QStringList distances();  // "8 mm" ...
QStringList printOrNot(); // "打印", "不打印"
QStringList pageNumPositions();
QStringList numerals();
QStringList indents();
QStringList endNames();
QStringList lineStyles();
QStringList qrChoices();
QStringList tabTypes(); // the eleven community-correction types of the tab strip

int sizeFromIndex(int index);           // 0..3 -> 12, 14, 15, 16
int sizeIndex(int size);                // 12/14/15/16 -> 0..3 (others 0)
int sizeFromText(const QString& entry); // "小四" -> 12 ... by substring
int distanceFromIndex(int index);       // 0..2 -> 8, 10, 12
int distanceIndex(int distance);        // 8/10/12 -> 0..2 (others 1)
// 空白行, 询问次数 and 二维码: the first entry is stored as 1, the second as 0.
int yesNoFromIndex(int index);
int yesNoIndex(int stored); // 1 -> 0, anything else -> 1
// The tab chosen for a type name given on opening (substring match in a
// fixed order; anything else selects the last tab, 社区矫正笔录).
int tabForType(const QString& typeName);
} // namespace format_lists

// The current print format of the running program: set when the user
// confirms the settings dialog, read when the editor re-lays out its text.
struct CurrentFormatValues {
    QString font = QStringLiteral("宋体");
    int indent = 0;
    int isBlank = 1;
};
CurrentFormatValues& CurrentPrintFormat();
