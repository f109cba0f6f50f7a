// Line breaking of the transcript text into printable lines of a fixed
// capacity, the process-wide line list the preview, the Word export and the
// PDF writer read, and the page count estimated from it.
#pragma once

#include <QString>
#include <QStringList>

// Capacity of a line in full-width characters for a font size and family.
int LineCapacity(int fontSize, const QString& family);
// The spaces put before narrative lines for an indentation code (0..3).
QString IndentPrefix(int indentCode);

struct LineBreakOptions {
    QString family = QStringLiteral("宋体");
    bool keepBlankLines = true;
    int indentCode = 0;
    int fontSize = 12;
};

// Steps 1-2 only: the lines as broken, before the blank-line filter (the
// notice paragraphs of the first page are broken this way).
QStringList BreakLines(const QString& text, const LineBreakOptions& options);
// The whole layout: breaking, the blank-line filter (with its exceptions for
// the space left for a handwritten signature) and the removal of trailing
// blank lines.
QStringList LayOutPrintLines(const QString& text, const LineBreakOptions& options);

// The process-wide line list, rebuilt by every BuildPrintLines call.
QStringList& PrintLines();
// Clears PrintLines and fills it from the text.
void BuildPrintLines(const QString& text, const QString& family, int keepBlankLines, int indentCode,
                     int fontSize);

// max(1, ceil((N + 16) / 23)): the estimate for a first page whose notice
// paragraphs take 7 rows. The page model computes the actual count.
int PageCount(int lineCount);

// Length of a text in GBK bytes (ASCII one byte, everything else two).
int GbkBytes(QStringView text);
