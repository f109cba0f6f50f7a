// Cost of typing and of opening a long transcript in the text area, against a
// plain QTextEdit without colouring or ruled lines, measured in the same run.
//   (a) one typed character (and its Backspace), repainted: coloured / plain
//   (b) opening: setting the text and colouring it once / setting plain text
// The ratios are printed after the runs.
#include "transcript/TranscriptTextEdit.h"

#include <QApplication>
#include <QTest>
#include <QTextBlock>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <utility>

namespace {

// About 1 000 000 characters of alternating question and answer paragraphs.
const QString& Transcript() {
    static const QString text = [] {
        const QString question = QStringLiteral(
            "询问人：请你把当天发生的事情经过详细地说一下，包括时间、地点和在场的人员？");
        const QString answer = QStringLiteral(
            "被询问人：那天上午九点左右我在店里整理货架，两个人进来问有没有外地的香烟卖，"
            "我说没有，他们看了一会儿就走了，后来下午执法人员就来检查了。");
        QString t;
        t.reserve(1'010'000);
        for (int i = 0; t.size() < 1'000'000; ++i)
            t += (i % 2 ? answer : question) + QLatin1Char('\n');
        return t;
    }();
    return text;
}

// The font the text area shows "小四" with: 宋体 at 22/20 × 12 points.
QFont PlainFont() {
    QFont font(QStringLiteral("宋体"));
    font.setPointSizeF(13.2);
    return font;
}

template <class Edit> void Prepare(Edit& edit) {
    edit.resize(900, 700);
    edit.show();
    // Caret inside an answer paragraph in the middle of the text.
    QTextCursor c(edit.document()->findBlockByNumber(edit.document()->blockCount() / 2 + 1));
    c.movePosition(QTextCursor::NextCharacter, QTextCursor::MoveAnchor, 12);
    edit.setTextCursor(c);
    edit.ensureCursorVisible();
    QApplication::processEvents();
}

template <class Edit> void TypeOne(Edit& edit) {
    QTest::keyClick(&edit, Qt::Key_A);
    edit.viewport()->repaint();
    QTest::keyClick(&edit, Qt::Key_Backspace);
    edit.viewport()->repaint();
}

void BM_TypingColoured(benchmark::State& state) {
    TranscriptTextEdit edit;
    edit.setTranscriptText(Transcript());
    Prepare(edit);
    for (auto _ : state)
        TypeOne(edit);
}
BENCHMARK(BM_TypingColoured)->Unit(benchmark::kMicrosecond);

void BM_TypingPlain(benchmark::State& state) {
    QTextEdit edit;
    edit.setAcceptRichText(false);
    edit.setFont(PlainFont());
    edit.setPlainText(Transcript());
    Prepare(edit);
    for (auto _ : state)
        TypeOne(edit);
}
BENCHMARK(BM_TypingPlain)->Unit(benchmark::kMicrosecond);

void BM_OpenColoured(benchmark::State& state) {
    TranscriptTextEdit edit;
    for (auto _ : state) {
        edit.setTranscriptText(Transcript());
        QApplication::processEvents();
    }
}
BENCHMARK(BM_OpenColoured)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_OpenPlain(benchmark::State& state) {
    QTextEdit edit;
    edit.setAcceptRichText(false);
    edit.setFont(PlainFont());
    for (auto _ : state) {
        edit.setPlainText(Transcript());
        QApplication::processEvents();
    }
}
BENCHMARK(BM_OpenPlain)->Unit(benchmark::kMillisecond)->Iterations(3);

// Keeps the real and the CPU time per benchmark so the ratios can be printed
// at the end. Everything runs on the GUI thread, so the CPU ratio is the one
// to trust on a loaded machine; the real-time ratio includes waiting.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            times[run.benchmark_name()] = {run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()};
    }
    void ratio(const char* label, const std::string& a, const std::string& b) const {
        if (!times.count(a) || !times.count(b))
            return;
        std::printf("%s: %.2f (real time %.2f)\n", label, times.at(a).second / times.at(b).second,
                    times.at(a).first / times.at(b).first);
    }
    std::map<std::string, std::pair<double, double>> times;
};

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.ratio("typing, coloured / plain (target <= 1.5)", "BM_TypingColoured",
                   "BM_TypingPlain");
    reporter.ratio("opening, coloured / plain", "BM_OpenColoured/iterations:3",
                   "BM_OpenPlain/iterations:3");
    benchmark::Shutdown();
    return 0;
}
