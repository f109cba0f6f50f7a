// The transcript as a Word document (.docx, Office Open XML) with the pages
// of the page model: every page starts with an explicit page break, and rows
// have the exact heights of the printed rows, so the page marks and the page
// numbers stay right whatever program opens the file.
#pragma once

#include "print/PageModel.h"

#include <QByteArray>
#include <QString>

// word/document.xml of the layout.
QByteArray DocxDocumentXml(const DocumentLayout& layout);
// The whole package (zip) in memory; empty when it could not be built.
QByteArray DocxPackage(const DocumentLayout& layout);
// Writes the package to `path` through a temporary file: an existing file is
// replaced only when the new one is complete. `error` receives the reason of
// a failure.
bool WriteDocx(const QString& path, const DocumentLayout& layout, QString* error = nullptr);

// The marks and the page number as the Word document writes them.
QString DocxMark(const PageLayout& page);    // "(续页)", "(尾页)" or empty
QString DocxPageNumber(int page, int count); // "第 %d 页 共 %d 页"
