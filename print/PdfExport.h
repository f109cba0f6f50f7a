// The print view written as a PDF file: the page painter of the preview and
// the printer draws each page of the layout onto a QPdfWriter.
#pragma once

#include "print/PageModel.h"

#include <QString>

class QPagedPaintDevice;

// Resolution of the PDF pages (dots per inch).
inline constexpr int kPdfResolution = 600;

// Paints pages first..last (0-based, -1 the last page) of the layout on a
// paged device whose page is A4 with no margins.
enum class PaintResult { Done, NotStarted, Broken };
PaintResult PaintPages(QPagedPaintDevice& device, const DocumentLayout& layout, int firstPage = 0,
                       int lastPage = -1);
// Writes the PDF through a temporary file; `error` receives the reason of a
// failure and nothing is left at `path` then.
bool WritePdf(const QString& path, const DocumentLayout& layout, QString* error = nullptr);
