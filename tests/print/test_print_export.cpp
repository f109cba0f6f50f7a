// The QR bitmap bytes, the Word document (unzipped) and the PDF (read back
// with pdftotext) of the page model.
#include "PrintTestSupport.h"

#include "print/DocxExport.h"
#include "print/PdfExport.h"
#include "print/QrBmp.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>
#include <zip.h>

namespace {

quint32 le32(const QByteArray& b, int at) {
    return qFromLittleEndian<quint32>(reinterpret_cast<const uchar*>(b.constData()) + at);
}
quint16 le16(const QByteArray& b, int at) {
    return qFromLittleEndian<quint16>(reinterpret_cast<const uchar*>(b.constData()) + at);
}

TEST(QrBmp, HeaderAndPixels) {
    const QByteArray bmp = QrBmp(QStringLiteral("abc"));
    ASSERT_FALSE(bmp.isEmpty());
    // "abc" needs a version 1 symbol: 21 modules, 4 of quiet zone each side,
    // 4 pixels per module.
    const int side = (21 + 8) * 4;
    const int stride = (side + 31) / 32 * 4;
    EXPECT_EQ(bmp.left(2), QByteArray("BM"));
    EXPECT_EQ(le32(bmp, 2), quint32(bmp.size()));
    EXPECT_EQ(bmp.size(), 62 + stride * side);
    EXPECT_EQ(le32(bmp, 10), 62u); // pixel data offset
    EXPECT_EQ(le32(bmp, 14), 40u); // info header
    EXPECT_EQ(le32(bmp, 18), quint32(side));
    EXPECT_EQ(le32(bmp, 22), quint32(side));
    EXPECT_EQ(le16(bmp, 26), 1);
    EXPECT_EQ(le16(bmp, 28), 1); // bits per pixel
    EXPECT_EQ(le32(bmp, 30), 0u);
    EXPECT_EQ(le32(bmp, 34), quint32(stride * side));
    EXPECT_EQ(le32(bmp, 38), 3780u);
    EXPECT_EQ(le32(bmp, 42), 3780u);
    EXPECT_EQ(le32(bmp, 46), 2u);
    EXPECT_EQ(le32(bmp, 54), 0x00000000u); // index 0 black
    EXPECT_EQ(le32(bmp, 58), 0x00ffffffu); // index 1 white

    // Rows are stored bottom up; a set bit is white.
    auto white = [&](int x, int y) {
        const int row = side - 1 - y;
        return (uchar(bmp[62 + row * stride + x / 8]) >> (7 - x % 8)) & 1;
    };
    EXPECT_TRUE(white(0, 0));           // quiet zone
    EXPECT_TRUE(white(15, 15));         // still quiet zone
    EXPECT_FALSE(white(16, 16));        // top-left finder pattern
    EXPECT_FALSE(white(19, 19));        // the same module, enlarged
    EXPECT_TRUE(white(20, 20));         // the finder's white ring
    EXPECT_FALSE(white(side - 17, 16)); // top-right finder
}

TEST(QrBmp, TextOfTheTranscript) {
    EXPECT_EQ(QrText(SampleParticulars()),
              QStringLiteral("110101199001011234_20260102030405_张三_询问笔录_第1次笔录"));
    QTemporaryDir dir;
    EXPECT_TRUE(WriteQrBmp(dir.filePath("2wm.bmp"), QStringLiteral("x")));
    EXPECT_FALSE(WriteQrBmp(dir.filePath("missing/2wm.bmp"), QStringLiteral("x")));
}

QByteArray unzipEntry(const QByteArray& zipBytes, const char* name) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* src =
        zip_source_buffer_create(zipBytes.constData(), zip_uint64_t(zipBytes.size()), 0, &error);
    zip_t* archive = zip_open_from_source(src, ZIP_RDONLY, &error);
    if (!archive) {
        zip_source_free(src);
        return {};
    }
    QByteArray out;
    if (zip_file_t* f = zip_fopen(archive, name, 0)) {
        char buffer[65536];
        zip_int64_t n;
        while ((n = zip_fread(f, buffer, sizeof buffer)) > 0)
            out.append(buffer, qsizetype(n));
        zip_fclose(f);
    }
    zip_close(archive);
    return out;
}

DocumentLayout TwoPages() {
    return LayOutDocument(SampleDocument(QuestionsAndAnswers(10)));
}

TEST(Docx, PagesMarksAndLinesInOrder) {
    const DocumentLayout layout = TwoPages();
    ASSERT_EQ(layout.pages.size(), 2u);
    const QByteArray package = DocxPackage(layout);
    ASSERT_FALSE(package.isEmpty());
    EXPECT_FALSE(unzipEntry(package, "[Content_Types].xml").isEmpty());
    EXPECT_FALSE(unzipEntry(package, "_rels/.rels").isEmpty());
    const QString xml = QString::fromUtf8(unzipEntry(package, "word/document.xml"));
    ASSERT_FALSE(xml.isEmpty());

    EXPECT_EQ(xml.count(QStringLiteral("<w:pageBreakBefore/>")), 1);
    EXPECT_EQ(xml.count(QStringLiteral("(尾页)")), 1);
    EXPECT_EQ(xml.count(QStringLiteral("(续页)")), 0);
    const qsizetype pageBreak = xml.indexOf(QStringLiteral("<w:pageBreakBefore/>"));
    EXPECT_LT(xml.indexOf(QStringLiteral("第 1 页 共 2 页")), pageBreak);
    EXPECT_GT(xml.indexOf(QStringLiteral("第 2 页 共 2 页")), pageBreak);
    EXPECT_TRUE(xml.contains(QStringLiteral("青岚市烟草专卖局")));
    EXPECT_TRUE(xml.contains(QStringLiteral("询 问 笔 录")));

    // Each text row in order, on the side of the page break it belongs to.
    const std::vector<QStringList> pages = TextRowsByPage(layout);
    qsizetype at = 0;
    for (std::size_t p = 0; p < pages.size(); ++p) {
        for (const QString& row : pages[p]) {
            const qsizetype found = xml.indexOf(row.toHtmlEscaped(), at);
            ASSERT_GE(found, 0) << row.toStdString();
            EXPECT_EQ(found > pageBreak, p == 1) << row.toStdString();
            at = found;
        }
    }
}

TEST(Docx, ThreePagesCarryContinuationMarks) {
    const DocumentLayout layout = LayOutDocument(SampleDocument(QuestionsAndAnswers(25)));
    ASSERT_EQ(layout.pages.size(), 3u);
    const QString xml = QString::fromUtf8(DocxDocumentXml(layout));
    EXPECT_EQ(xml.count(QStringLiteral("<w:pageBreakBefore/>")), 2);
    EXPECT_EQ(xml.count(QStringLiteral("(续页)")), 1);
    EXPECT_EQ(xml.count(QStringLiteral("(尾页)")), 1);
    EXPECT_LT(xml.indexOf(QStringLiteral("(续页)")), xml.indexOf(QStringLiteral("(尾页)")));
    EXPECT_TRUE(xml.contains(QStringLiteral("第 3 页 共 3 页")));
}

TEST(Docx, OnePageHasNoMark) {
    const QString xml =
        QString::fromUtf8(DocxDocumentXml(LayOutDocument(SampleDocument(QuestionsAndAnswers(2)))));
    EXPECT_FALSE(xml.contains(QStringLiteral("页)")));
    EXPECT_FALSE(xml.contains(QStringLiteral("pageBreakBefore")));
}

TEST(Docx, UnwritableTargetLeavesNothing) {
    QTemporaryDir dir;
    QString error;
    EXPECT_FALSE(WriteDocx(dir.filePath("missing/x.docx"), TwoPages(), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFile::exists(dir.filePath("missing/x.docx")));
    // An existing file is replaced whole.
    const QString path = dir.filePath("x.docx");
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    ASSERT_TRUE(WriteDocx(path, TwoPages()));
    QFile written(path);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.read(2), QByteArray("PK"));
}

// The CJK fonts share glyphs between some ideographs and their radicals, so
// extraction may give the radical: both sides are folded to compare (NFKC,
// which also makes full-width punctuation ASCII, and blanks removed).
QString fold(const QString& s) {
    QString t =
        s.normalized(QString::NormalizationForm_KC).replace(QChar(0x2EDA), QStringLiteral("页"));
    return t.remove(u' ').remove(u'\n');
}

// The text of each PDF page as pdftotext reads it, folded.
QStringList pdfPages(const QString& path) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"),
            {QStringLiteral("-enc"), QStringLiteral("UTF-8"), path, QStringLiteral("-")});
    if (!p.waitForFinished(60000))
        return {};
    const QString text = fold(QString::fromUtf8(p.readAllStandardOutput()));
    QStringList pages = text.split(u'\f');
    if (!pages.isEmpty() && pages.back().isEmpty())
        pages.removeLast();
    return pages;
}

TEST(Pdf, SameLinesOnTheSamePages) {
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext is not installed";
    QTemporaryDir dir;
    const QString path = dir.filePath("t.pdf");
    const DocumentLayout layout = TwoPages();
    QString error;
    ASSERT_TRUE(WritePdf(path, layout, &error)) << error.toStdString();
    const QStringList pages = pdfPages(path);
    ASSERT_EQ(pages.size(), 2);
    const std::vector<QStringList> rows = TextRowsByPage(layout);
    for (int p = 0; p < 2; ++p)
        for (QString row : rows[std::size_t(p)]) {
            row = fold(row);
            EXPECT_TRUE(pages[p].contains(row)) << "page " << p + 1 << ": " << row.toStdString();
            EXPECT_FALSE(pages[1 - p].contains(row)) << row.toStdString();
        }
    EXPECT_TRUE(pages[0].contains(fold(QStringLiteral("第1页共2页"))));
    EXPECT_TRUE(pages[1].contains(fold(QStringLiteral("第2页共2页"))));
    EXPECT_TRUE(pages[1].contains(fold(QStringLiteral("（尾页）"))));
    EXPECT_TRUE(pages[0].contains(fold(QStringLiteral("询问笔录"))));
    EXPECT_TRUE(pages[0].contains(fold(QStringLiteral("告知陈述（申辩）和申请回避的权利"))));
}

TEST(Pdf, UnwritableTargetFails) {
    QTemporaryDir dir;
    QString error;
    EXPECT_FALSE(WritePdf(dir.filePath("missing/t.pdf"), TwoPages(), &error));
    EXPECT_FALSE(error.isEmpty());
}

} // namespace
