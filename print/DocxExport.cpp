#include "print/DocxExport.h"

#include "print/PrintLines.h"

#include <QSaveFile>

#include <zip.h>

#include <cmath>
#include <memory>

namespace pg = page_geometry;

namespace {

// Twentieths of a point per millimetre.
constexpr double kTwipsPerMm = 1440.0 / 25.4;
int twips(double mm) {
    return int(std::lround(mm * kTwipsPerMm));
}

// The document keeps the top margin 10 mm smaller than the printed page and
// fills that band with the page mark (or an empty spacer on the first page),
// so the mark of a continuation page lies where the printed page has it.
constexpr double kMarkBand = 10;
constexpr double kDocTop = pg::kTop - kMarkBand;
constexpr double kDocBottom = 15; // the page-number row must fit in the body
constexpr double kLeft = 26, kRight = 22;

QString esc(const QString& s) {
    return s.toHtmlEscaped();
}

struct RunStyle {
    QString family = QStringLiteral("宋体");
    int points = 12;
    bool bold = false;
    bool underline = false;
};

QString run(const QString& text, const RunStyle& st) {
    QString x = QStringLiteral("<w:r><w:rPr><w:rFonts w:ascii=\"%1\" w:hAnsi=\"%1\" "
                               "w:eastAsia=\"%1\" w:cs=\"%1\"/>")
                    .arg(esc(st.family));
    if (st.bold)
        x += QStringLiteral("<w:b/>");
    if (st.underline)
        x += QStringLiteral("<w:u w:val=\"single\"/>");
    x += QStringLiteral("<w:sz w:val=\"%1\"/><w:szCs w:val=\"%1\"/></w:rPr>").arg(st.points * 2);
    // Tabs inside the text become tab elements (heading-form positions).
    const QStringList parts = text.split(u'\t');
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i)
            x += QStringLiteral("<w:tab/>");
        if (!parts[i].isEmpty())
            x += QStringLiteral("<w:t xml:space=\"preserve\">%1</w:t>").arg(esc(parts[i]));
    }
    return x + QStringLiteral("</w:r>");
}

struct ParaStyle {
    double heightMm = 9;
    QString align = QStringLiteral("left");
    bool pageBreak = false;
    int ruleSize = 0; // eighths of a point; 0 no ruled line
    QString tabs;     // <w:tab .../> elements
};

QString para(const QString& runs, const ParaStyle& st) {
    QString x = QStringLiteral("<w:p><w:pPr>");
    if (st.pageBreak)
        x += QStringLiteral("<w:pageBreakBefore/>");
    x += QStringLiteral("<w:widowControl w:val=\"0\"/>");
    if (st.ruleSize)
        x += QStringLiteral("<w:pBdr><w:bottom w:val=\"single\" w:sz=\"%1\" w:space=\"0\" "
                            "w:color=\"000000\"/><w:between w:val=\"single\" w:sz=\"%1\" "
                            "w:space=\"0\" w:color=\"000000\"/></w:pBdr>")
                 .arg(st.ruleSize);
    if (!st.tabs.isEmpty())
        x += QStringLiteral("<w:tabs>") + st.tabs + QStringLiteral("</w:tabs>");
    x += QStringLiteral("<w:spacing w:before=\"0\" w:after=\"0\" w:line=\"%1\" "
                        "w:lineRule=\"exact\"/><w:ind w:left=\"0\" w:right=\"0\"/>"
                        "<w:jc w:val=\"%2\"/></w:pPr>")
             .arg(twips(st.heightMm))
             .arg(st.align);
    return x + runs + QStringLiteral("</w:p>");
}

double rowMm(const PageLayout& page) {
    return (pg::kHeight - pg::kTop - pg::kBottom) / page.rowCount;
}

// A heading row: labels at their positions, values centred on underlined
// stretches that end where the next label begins.
QString headingPara(const HeadingRow& row, double height) {
    QString tabs, runs;
    double at = 0; // where the text stands, as far as known
    for (const HeadingItem& item : row.items) {
        if (!item.value) {
            if (item.x0 > at + 0.1) {
                tabs += QStringLiteral("<w:tab w:val=\"left\" w:pos=\"%1\"/>").arg(twips(item.x0));
                runs += run(QStringLiteral("\t"), {});
            }
            runs += run(item.text, {});
            at = item.x1;
            continue;
        }
        const double mid = (item.x0 + item.x1) / 2;
        tabs += QStringLiteral("<w:tab w:val=\"center\" w:pos=\"%1\"/>").arg(twips(mid));
        tabs += QStringLiteral("<w:tab w:val=\"left\" w:pos=\"%1\"/>").arg(twips(item.x1));
        RunStyle st;
        st.underline = true;
        st.points = item.points;
        runs += run(QStringLiteral("\t") + item.text + QStringLiteral("\t"), st);
        at = item.x1;
    }
    ParaStyle ps;
    ps.heightMm = height;
    ps.tabs = tabs;
    return para(runs, ps);
}

// A footer row: its text with the signature and date gaps underlined.
QString footerPara(const FooterRow& row, double height) {
    QString runs;
    int col = 0;
    QString chunk;
    bool chunkUnderlined = false;
    auto flush = [&] {
        if (chunk.isEmpty())
            return;
        RunStyle st;
        st.underline = chunkUnderlined;
        runs += run(chunk, st);
        chunk.clear();
    };
    for (QChar c : row.text) {
        bool under = false;
        for (auto [from, to] : row.underlines)
            under = under || (col >= from && col < to);
        if (under != chunkUnderlined) {
            flush();
            chunkUnderlined = under;
        }
        chunk += c;
        col += c.unicode() < 0x80 ? 1 : 2;
    }
    flush();
    ParaStyle ps;
    ps.heightMm = height;
    return para(runs, ps);
}

QString bodyPara(const BodyRow& row, double height, bool blankForm) {
    QString runs;
    if (!row.text.before.isEmpty())
        runs += run(row.text.before, {});
    if (!row.text.bold.isEmpty()) {
        RunStyle bold;
        bold.bold = true;
        runs += run(row.text.bold, bold);
    }
    if (!row.text.after.isEmpty())
        runs += run(row.text.after, {});
    ParaStyle ps;
    ps.heightMm = height;
    ps.ruleSize = blankForm ? 4 : 12;
    return para(runs, ps);
}

QString pageXml(const DocumentLayout& layout, const PageLayout& page, int count) {
    const double h = rowMm(page);
    QString x;
    ParaStyle band;
    band.heightMm = kMarkBand;
    band.pageBreak = page.number > 1;
    band.align = QStringLiteral("right");
    const QString mark = DocxMark(page);
    x += para(mark.isEmpty() ? QString() : run(mark, {}), band);
    if (page.number == 1) {
        ParaStyle title;
        title.heightMm = 1.5 * h;
        title.align = QStringLiteral("center");
        x +=
            para(run(layout.unitName, {QStringLiteral("方正小标宋简体"), 22, false, false}), title);
        x += para(run(layout.typeTitle, {QStringLiteral("黑体"), 18, false, false}), title);
        for (const HeadingRow& row : layout.heading)
            x += headingPara(row, h);
    }
    for (const BodyRow& row : page.body)
        x += bodyPara(row, h, layout.blankForm);
    for (const FooterRow& row : page.footer)
        x += footerPara(row, h);
    ParaStyle number;
    number.heightMm = h;
    number.align = QStringLiteral("center");
    x += para(run(DocxPageNumber(page.number, count), {}), number);
    return x;
}

class ZipSource {
public:
    ZipSource() {
        zip_error_init(&m_error);
        m_source = zip_source_buffer_create(nullptr, 0, 0, &m_error);
    }
    ~ZipSource() {
        if (m_source)
            zip_source_free(m_source);
        zip_error_fini(&m_error);
    }
    zip_source_t* get() { return m_source; }
    zip_error_t* error() { return &m_error; }

private:
    zip_source_t* m_source = nullptr;
    zip_error_t m_error;
};

QByteArray readAll(zip_source_t* source) {
    if (zip_source_open(source) < 0)
        return {};
    QByteArray out;
    char buffer[65536];
    zip_int64_t n;
    while ((n = zip_source_read(source, buffer, sizeof buffer)) > 0)
        out.append(buffer, qsizetype(n));
    zip_source_close(source);
    return n < 0 ? QByteArray() : out;
}

const char* const kContentTypes =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
    "<Default Extension=\"rels\" "
    "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
    "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
    "<Override PartName=\"/word/document.xml\" "
    "ContentType=\"application/"
    "vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/>"
    "</Types>";

const char* const kRels =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId1\" "
    "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
    "Target=\"word/document.xml\"/></Relationships>";

} // namespace

QString DocxMark(const PageLayout& page) {
    if (page.mark.isEmpty())
        return {};
    return page.mark.contains(QStringLiteral("尾")) ? QStringLiteral("(尾页)")
                                                    : QStringLiteral("(续页)");
}

QString DocxPageNumber(int page, int count) {
    return QStringLiteral("第 %1 页 共 %2 页").arg(page).arg(count);
}

QByteArray DocxDocumentXml(const DocumentLayout& layout) {
    QString x = QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
        "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
        "<w:body>");
    const int count = int(layout.pages.size());
    for (const PageLayout& page : layout.pages)
        x += pageXml(layout, page, count);
    x += QStringLiteral("<w:sectPr><w:pgSz w:w=\"%1\" w:h=\"%2\"/><w:pgMar w:top=\"%3\" "
                        "w:right=\"%4\" w:bottom=\"%5\" w:left=\"%6\" w:header=\"0\" "
                        "w:footer=\"0\" w:gutter=\"0\"/></w:sectPr></w:body></w:document>")
             .arg(twips(pg::kWidth))
             .arg(twips(pg::kHeight))
             .arg(twips(kDocTop))
             .arg(twips(kRight))
             .arg(twips(kDocBottom))
             .arg(twips(kLeft));
    return x.toUtf8();
}

QByteArray DocxPackage(const DocumentLayout& layout) {
    const QByteArray document = DocxDocumentXml(layout);
    ZipSource buffer;
    if (!buffer.get())
        return {};
    zip_source_keep(buffer.get());
    zip_t* archive = zip_open_from_source(buffer.get(), ZIP_TRUNCATE, buffer.error());
    if (!archive)
        return {};
    const std::pair<const char*, QByteArray> parts[] = {
        {"[Content_Types].xml", QByteArray(kContentTypes)},
        {"_rels/.rels", QByteArray(kRels)},
        {"word/document.xml", document}};
    for (const auto& [name, bytes] : parts) {
        zip_source_t* s =
            zip_source_buffer(archive, bytes.constData(), zip_uint64_t(bytes.size()), 0);
        if (!s || zip_file_add(archive, name, s, ZIP_FL_ENC_UTF_8) < 0) {
            if (s)
                zip_source_free(s);
            zip_discard(archive);
            return {};
        }
    }
    if (zip_close(archive) < 0) {
        zip_discard(archive);
        return {};
    }
    return readAll(buffer.get());
}

bool WriteDocx(const QString& path, const DocumentLayout& layout, QString* error) {
    const QByteArray bytes = DocxPackage(layout);
    if (bytes.isEmpty()) {
        if (error)
            *error = QStringLiteral("document package could not be built");
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}
