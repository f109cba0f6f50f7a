// Printing costs, each against a baseline measured in the same run:
// - line breaking of a 1 000 000-character transcript vs. one plain pass
//   over the same UTF-16 text counting characters;
// - opening the preview of that transcript (about 300 pages) until its first
//   page is painted vs. painting that one page alone;
// - writing the .docx and the PDF of a 100-page transcript vs. painting the
//   same pages into a QImage.
// Run from the build's bin folder; ratios are printed at the end.
#include "print/CPrintView.h"
#include "print/DocxExport.h"
#include "print/PagePainter.h"
#include "print/PdfExport.h"
#include "print/PrintLines.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

namespace {

QString transcript(int characters) {
    QString text;
    text.reserve(characters + 64);
    for (int i = 1; text.size() < characters; ++i)
        text += QStringLiteral("问：第%1个问题，请你说一下当时的经过和你看到的情况？\r\n"
                               "答：当天上午我在店里，看到两个人搬来几箱卷烟，放在柜台后面。\r\n")
                    .arg(i);
    text.truncate(characters);
    return text;
}

const QString& bigText() {
    static const QString text = transcript(1000000);
    return text;
}

PrintDocument documentOf(const QString& text) {
    PrintDocument doc;
    doc.particulars.unitName = QStringLiteral("青岚市烟草专卖局");
    doc.particulars.name = QStringLiteral("张三");
    doc.lines = LayOutPrintLines(text, {QStringLiteral("宋体"), true, 0, 12});
    return doc;
}

std::map<std::string, double>& times() {
    static std::map<std::string, double> t;
    return t;
}

void BM_CountCharacters(benchmark::State& state) {
    const QString& text = bigText();
    for (auto _ : state) {
        qsizetype n = 0;
        for (QChar c : text)
            n += c.unicode() != 0;
        benchmark::DoNotOptimize(n);
    }
}
BENCHMARK(BM_CountCharacters)->Unit(benchmark::kMillisecond);

void BM_BuildPrintLines(benchmark::State& state) {
    for (auto _ : state) {
        BuildPrintLines(bigText(), QStringLiteral("宋体"), 0, 2, 12);
        benchmark::DoNotOptimize(PrintLines().size());
    }
    state.counters["lines"] = double(PrintLines().size());
}
BENCHMARK(BM_BuildPrintLines)->Unit(benchmark::kMillisecond);

const PrintDocument& bigDocument() {
    static const PrintDocument doc = documentOf(bigText());
    return doc;
}

void BM_PaintOnePage(benchmark::State& state) {
    const DocumentLayout layout = LayOutDocument(bigDocument());
    QImage image(900, 1200, QImage::Format_RGB32);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter p(&image);
        PagePainter pages(layout, PageDevice::screen(96 / 25.4));
        pages.paintPage(p, 0, QPointF(0, 0));
    }
}
BENCHMARK(BM_PaintOnePage)->Unit(benchmark::kMillisecond);

void BM_OpenPreview(benchmark::State& state) {
    for (auto _ : state) {
        CPrintView view;
        view.resize(900, 1200);
        view.setPixelsPerMm(96 / 25.4);
        view.setDocument(bigDocument());
        QImage image(view.viewport()->size(), QImage::Format_RGB32);
        view.viewport()->render(&image);
        benchmark::DoNotOptimize(view.lastPaintedRange());
    }
    CPrintView view;
    view.setDocument(bigDocument());
    state.counters["pages"] = view.pageCount();
}
BENCHMARK(BM_OpenPreview)->Unit(benchmark::kMillisecond);

const DocumentLayout& hundredPages() {
    static const DocumentLayout layout = [] {
        // 23 lines a page after a first page of about seven.
        return LayOutDocument(documentOf(transcript(100 * 23 * 30)));
    }();
    return layout;
}

void BM_PaintImage100(benchmark::State& state) {
    const DocumentLayout& layout = hundredPages();
    // 150 dpi: an A4 page of 1240 x 1754 pixels, reused for every page.
    QImage image(1240, 1754, QImage::Format_RGB32);
    image.setDotsPerMeterX(5906);
    image.setDotsPerMeterY(5906);
    for (auto _ : state) {
        const PagePainter pages(layout, PageDevice::printer(150, 150));
        for (int i = 0; i < int(layout.pages.size()); ++i) {
            image.fill(Qt::white);
            QPainter p(&image);
            pages.paintPage(p, i, QPointF(0, 0));
        }
    }
    state.counters["pages"] = double(layout.pages.size());
}
BENCHMARK(BM_PaintImage100)->Unit(benchmark::kMillisecond);

void BM_WritePdf100(benchmark::State& state) {
    QTemporaryDir dir;
    for (auto _ : state)
        WritePdf(dir.filePath("t.pdf"), hundredPages());
}
BENCHMARK(BM_WritePdf100)->Unit(benchmark::kMillisecond);

void BM_WriteDocx100(benchmark::State& state) {
    QTemporaryDir dir;
    for (auto _ : state)
        WriteDocx(dir.filePath("t.docx"), hundredPages());
}
BENCHMARK(BM_WriteDocx100)->Unit(benchmark::kMillisecond);

// Collects the real time per iteration of every run and prints the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs)
            times()[r.run_name.function_name] = r.GetAdjustedRealTime();
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        auto ratio = [](const char* a, const char* b) {
            const auto& t = times();
            if (t.count(a) && t.count(b) && t.at(b) > 0)
                std::printf("%-20s / %-20s = %.2f\n", a, b, t.at(a) / t.at(b));
        };
        std::printf("\nRatios (same run):\n");
        ratio("BM_BuildPrintLines", "BM_CountCharacters");
        ratio("BM_OpenPreview", "BM_PaintOnePage");
        ratio("BM_WritePdf100", "BM_PaintImage100");
        ratio("BM_WriteDocx100", "BM_PaintImage100");
    }
};

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
