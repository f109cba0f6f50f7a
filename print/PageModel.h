// The printed inquiry form as data: which rows of which page hold the
// heading form, the notice paragraphs, the transcript lines, the footer and
// the page number. The page painter draws this model on the screen, the
// printer and PDF; the Word export writes the same model.
#pragma once

#include "print/PrintFormat.h"

#include <QString>
#include <QStringList>

#include <vector>

// A date-time broken up by position ("yyyy/mm/dd hh:mi[:ss]", missing parts
// 0); all parts -1 when the text does not form a date-time.
struct DateParts {
    int year = -1, month = -1, day = -1, hour = -1, minute = -1, second = -1;
};
DateParts BreakUpDateTime(const QString& text);

// The transcript values the first page shows.
struct PrintParticulars {
    QString recordId;
    QString typeName = QStringLiteral("询问笔录");
    QString unitName;
    QString start, end; // "%4d/%02d/%02d %02d:%02d"
    QString place;
    QString officer1, officer1Cert, officer2, officer2Cert, recorder;
    QString name, sex, age, nation, idNumber, homeAddress, businessAddress, telephone;
    QString times; // interview count
};

// Everything a page layout is made from.
struct PrintDocument {
    PrintParticulars particulars;
    PrintFormat format = PrintFormat::viewDefaults();
    QStringList lines;      // PrintLines at the time the view was made
    bool blankForm = false; // a form for handwriting
    int blankPages = 1;     // the page count a blank form asks for
};

// A line drawn as up to three runs: regular, bold, regular.
struct RowText {
    QString before;
    QString bold;
    QString after;
    QString plain() const { return before + bold + after; }
    bool isEmpty() const { return before.isEmpty() && bold.isEmpty() && after.isEmpty(); }
};

struct BodyRow {
    enum Kind { Paragraph, Text, Empty };
    int row = 0;
    Kind kind = Empty;
    RowText text;
};

// One label or value of the heading form; positions in millimetres from the
// left edge of the text area.
struct HeadingItem {
    QString text;
    bool value = false; // a value is centred on an underline from x0 to x1
    double x0 = 0, x1 = 0;
    int points = 12;
};
struct HeadingRow {
    int row = 0;
    std::vector<HeadingItem> items;
};

// A footer row: text laid on a grid of half-width columns, with underlines
// over column ranges [from, to).
struct FooterRow {
    int row = 0;
    QString text;
    std::vector<std::pair<int, int>> underlines;
};

struct PageLayout {
    int number = 1;            // 1-based
    int rowCount = 28;         // rows of the text area: 28 on the first page, 27 after
    QString mark;              // "（续页）", "（尾页）" or empty (first page)
    std::vector<BodyRow> body; // every row of the text part, empty ones too
    std::vector<FooterRow> footer;
    int pageNumberRow = 28;
    QString pageNumber; // "第 1 页 共 3 页 "
    // Where the body starts, so it can be laid out for this page alone: the
    // index of its first transcript line in PrintDocument::lines, and
    // whether notice paragraph rows come first.
    qsizetype firstLine = 0;
    bool opensWithNotice = false;
};

struct DocumentLayout {
    QString unitName;
    QString typeTitle; // letter-spaced when shorter than 11 bytes
    std::vector<HeadingRow> heading;
    bool blankForm = false;
    std::vector<PageLayout> pages;
};

// Geometry shared by every device (millimetres).
namespace page_geometry {
inline constexpr double kWidth = 210, kHeight = 297;
inline constexpr double kTop = 28, kBottom = 26;
inline constexpr double kTextWidth = 162; // 210 - 26 - 22
inline constexpr int kFirstPageRows = 28, kOtherPageRows = 27;
inline constexpr int kFirstBodyRow = 10, kFirstFooterRow = 24; // first page
inline constexpr int kOtherBodyRows = 23;                      // continuation pages
} // namespace page_geometry

// The two notice paragraphs of the first page, as texts.
QString NoticeIdentity(const PrintParticulars& p);
QString NoticeRights();
// The paragraphs broken into lines (宋体, 12 pt, the format's indentation).
QStringList NoticeLines(const PrintParticulars& p, int indentCode);

// The type name as the first page shows it: a blank after every character
// when shorter than 11 GBK bytes.
QString SpacedTypeName(const QString& type);

// Splits a line into regular and bold runs: "被询问人：" (or ":") and then
// "询问人：" (or ":") are drawn bold as "被询问人：" / "询问人：".
RowText SplitSpeakerLabel(const QString& line);

// The lines as drawn: line breaks removed, and outside blank-form mode the
// lines that are empty or "\r" alone dropped.
QStringList CleanLines(const QStringList& lines, bool blankForm);

// The whole layout. The page count follows from the rows actually used, so
// no line is dropped, whatever the notice paragraphs take.
DocumentLayout LayOutDocument(const PrintDocument& doc);
// The layout with its pages' contents left out (each page has only its
// number, row count and where its lines start): one counting pass over the
// lines, so a preview can show its first page without laying out the others.
DocumentLayout LayOutFrame(const PrintDocument& doc);
// Fills the mark, body rows, footer and page number of one page of
// LayOutFrame(doc), whose page count is `pageCount`.
void LayOutPage(const PrintDocument& doc, int pageCount, PageLayout& page);
