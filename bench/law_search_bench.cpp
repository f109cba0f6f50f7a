// The law lookup over 50 laws of 200 000 characters each, against one plain
// substring scan over the same texts in the same run. "ratio" is the search's
// time divided by the scan's.
//   BM_SearchLawFiles   reads, decodes (RTF) and searches every file, as the
//                       dialog's search does;
//   BM_SearchLawFilesCached  a repeated search, the decoded texts kept;
//   BM_CollectPassages  searches the decoded texts only.
#include "text/TextCodec.h"
#include "transcript/LawSearch.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <chrono>

namespace {

constexpr int kLaws = 50;
constexpr int kCharacters = 200000;
const QString kNeedle = QStringLiteral("许可证");

QString MakeLaw(int seed) {
    QString text;
    for (int article = 1; text.size() < kCharacters; ++article) {
        text += QStringLiteral("第%1条 经营者应当遵守本规定的各项要求，依法从事经营活动。\n")
                    .arg(law::ChineseNumeral(article % 9999 + 1));
        for (int line = 0; line < 3; ++line)
            text += (article + seed + line) % 40 == 0
                        ? QStringLiteral(
                              "申请人应当持有效的许可证明文件办理相关手续，并接受监督检查。\n")
                        : QStringLiteral(
                              "有关部门应当依照法定的权限和程序履行职责，保障当事人合法权益。\n");
    }
    return text.left(kCharacters);
}

QByteArray AsRtf(const QString& text) {
    QByteArray rtf = "{\\rtf1\\ansi\\ansicpg936 ";
    static const char* hex = "0123456789abcdef";
    for (const QString& line : text.split('\n')) {
        for (unsigned char b : Utf8ToAnsi(line.toStdString())) {
            if (b < 0x80) {
                rtf += char(b);
            } else {
                rtf += "\\'";
                rtf += hex[b >> 4];
                rtf += hex[b & 15];
            }
        }
        rtf += "\\par\r\n";
    }
    return rtf + "}";
}

struct Fixture {
    Fixture() {
        for (int i = 0; i < kLaws; ++i) {
            texts << MakeLaw(i);
            QFile file(QDir(dir.path()).filePath(QStringLiteral("law%1.rtf").arg(i)));
            file.open(QIODevice::WriteOnly);
            file.write(AsRtf(texts.back()));
        }
        laws = law::ListLawFiles(dir.path());
    }
    QTemporaryDir dir;
    QStringList texts;
    std::vector<law::LawFile> laws;
};

Fixture& Shared() {
    static Fixture fixture;
    return fixture;
}

// The baseline: every occurrence of the needle in every text.
double ScanSeconds(const QStringList& texts) {
    const auto start = std::chrono::steady_clock::now();
    qsizetype found = 0;
    for (const QString& text : texts)
        for (qsizetype at = text.indexOf(kNeedle); at >= 0; at = text.indexOf(kNeedle, at + 1))
            ++found;
    benchmark::DoNotOptimize(found);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

template <class Search> void RunWithRatio(benchmark::State& state, Search search) {
    Fixture& f = Shared();
    double ours = 0, baseline = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        search(f);
        ours += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.PauseTiming();
        baseline += ScanSeconds(f.texts);
        state.ResumeTiming();
    }
    state.counters["ratio"] = ours / baseline;
    state.counters["scan_ms"] = baseline * 1000 / double(state.iterations());
}

void BM_SearchLawFiles(benchmark::State& state) {
    RunWithRatio(state, [](Fixture& f) {
        benchmark::DoNotOptimize(law::SearchLaws(f.laws, kNeedle, QStringLiteral("全部")));
    });
}

// A repeated search in the same window: the decoded texts are kept.
void BM_SearchLawFilesCached(benchmark::State& state) {
    law::LawTextCache cache;
    law::SearchLaws(Shared().laws, kNeedle, QStringLiteral("全部"), {}, nullptr, &cache);
    RunWithRatio(state, [&cache](Fixture& f) {
        benchmark::DoNotOptimize(
            law::SearchLaws(f.laws, kNeedle, QStringLiteral("全部"), {}, nullptr, &cache));
    });
}

void BM_CollectPassages(benchmark::State& state) {
    RunWithRatio(state, [](Fixture& f) {
        for (const QString& text : f.texts)
            benchmark::DoNotOptimize(law::CollectPassages(text, kNeedle));
    });
}

BENCHMARK(BM_SearchLawFiles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchLawFilesCached)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CollectPassages)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
