// What the print dialog works with besides the page model: the particulars
// taken from a transcript, the paging of the preview and its messages, the
// zoom choices and the default name of an exported document.
#pragma once

#include "print/PageModel.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

struct TranscriptRecord;

namespace print_text {
inline constexpr const char* kFirstPage = "已到首页！";
inline constexpr const char* kLastPage = "已到末页！";
inline constexpr const char* kPrinterFailed = "连接到打印机失败！";
inline constexpr const char* kPrintSubmitted = "已提交打印，请耐心等待！";
inline constexpr const char* kPrintBroken = "打印失败，打印机未能完成打印任务！";
inline constexpr const char* kExportQuestion = "word文档已导出，是否打开导出文档目录？";
inline constexpr const char* kExportFailed = "文档导出失败，无法写入文件：";
inline constexpr const char* kChooseKind = "请选择笔录类型!";
inline constexpr const char* kFormatSaved = "笔录格式设置成功!";
inline constexpr const char* kFormatFailed = "笔录格式设置失败，打印格式未保存！";
inline constexpr const char* kExportDir = "导出文档";
inline constexpr const char* kFallbackKind = "询问笔录";
} // namespace print_text

// The first page's particulars of a transcript. The home address is the
// current address, or the registered one when that is empty; the business
// address is the work unit.
PrintParticulars ParticularsOf(const TranscriptRecord& r, const QString& recordId,
                               const QString& unitName, const QString& kindName);

// The paging of the preview: the current page and the message a move past
// either end shows.
class PageNavigator {
public:
    explicit PageNavigator(int pageCount = 1) { setPageCount(pageCount); }
    void setPageCount(int count);
    int pageCount() const { return m_count; }
    int current() const { return m_current; }
    void setCurrent(int page); // clamped to 1..pageCount

    // Each answers the message to show, empty when the move was possible.
    QString first();
    QString previous();
    QString next();
    QString last();
    // The page field's text after Enter: a number from 1 to the page count
    // becomes current; true when it did (otherwise the field is restored).
    bool goTo(const QString& text);

private:
    int m_count = 1;
    int m_current = 1;
};

// The zoom list: "25%" ... "200%" and their factors.
QStringList ZoomChoices();
double ZoomFactor(int index); // 3 ("100%") for anything out of range
inline constexpr int kDefaultZoomIndex = 3;

// "<name>_<kind>_<yyyymmddhhmmss>" (empty parts left out), for the save dialog.
QString ExportBaseName(const PrintParticulars& p, const QDateTime& now);
// The file the export writes: a name ending in ".pdf" stays a PDF, anything
// else becomes a ".docx" document.
enum class ExportKind { Docx, Pdf };
ExportKind ExportKindOf(const QString& fileName);
QString NormalisedExportName(const QString& fileName);
