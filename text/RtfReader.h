// Plain text out of the RTF files offices keep their laws in. It reads what
// such files hold: groups, control words and symbols, "\'hh" bytes in the
// document's ANSI code page (GBK unless the file says otherwise), "\uN"
// characters with their "\ucN" fallbacks, and paragraph and line breaks.
// Formatting is dropped; pictures, font and colour tables, style sheets and
// other destinations are skipped.
#pragma once

#include <QByteArray>
#include <QString>

namespace rtf {

// Paragraphs end with "\n". A text that does not start with "{\rtf" is not
// RTF: it is returned decoded as UTF-8 so plain-text law files read alike.
QString ToPlainText(const QByteArray& document);

} // namespace rtf
