// The records browser against the raw SQLite queries of the columns it
// shows, on the same encrypted connection in the same run:
//   opening: the list's first rows vs. the raw query stepped as far;
//   name search "张": the list's first rows vs. the same statement run raw;
//   all rows: the list read to its end vs. the raw query to its end;
//   delete one record and refill the list (reported as is).
// The database is JYX_RECORDS_DB when set (written by records_generate, for
// example 100 000 transcripts), otherwise a small one generated here so the
// program also runs quickly in a smoke test. Both sides run on the database
// with the list index the browser creates. Ratios are printed at the end.
#include "records_data.h"

#include "records/RecordActions.h"
#include "records/RecordListModel.h"
#include "records/RecordSearch.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>

namespace {

constexpr int kSmallCount = 2000;

struct Bench {
    QTemporaryDir dir;
    CDBConnection conn;
    std::unique_ptr<Database> db;
    int rows = 0;
};

Bench& Shared() {
    static Bench* b = [] {
        auto* b = new Bench;
        const char* path = std::getenv("JYX_RECORDS_DB");
        const std::string file =
            path && *path ? std::string(path) : (b->dir.path() + "/records.db").toStdString();
        if (b->conn.Open(file.c_str()) != 0) {
            std::fprintf(stderr, "cannot open %s\n", file.c_str());
            std::exit(1);
        }
        b->db = std::make_unique<Database>(b->conn);
        if (!(path && *path) && !records_bench::GenerateTranscripts(*b->db, kSmallCount)) {
            std::fprintf(stderr, "cannot generate: %s\n", b->db->lastError().c_str());
            std::exit(1);
        }
        // The browser makes its list index when it opens; the first time on a
        // large database this is one pass over the table.
        const auto start = std::chrono::steady_clock::now();
        for (const std::string& sql : records::ListIndexSql())
            if (!b->db->exec(sql)) {
                std::fprintf(stderr, "cannot index: %s\n", b->db->lastError().c_str());
                std::exit(1);
            }
        const std::chrono::duration<double, std::milli> took =
            std::chrono::steady_clock::now() - start;
        std::printf("list index ready after %.0f ms\n", took.count());
        b->rows = b->conn.GetExecScalarRows("select count(*) from jyx_content");
        std::printf("database %s: %d transcripts\n", file.c_str(), b->rows);
        return b;
    }();
    return *b;
}

// Steps a statement as far as `limit` rows (all when negative), reading each
// column's bytes as the list would; returns the rows read.
int RawRead(sqlite3* handle, const std::string& sql, const char* bound, int limit) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(handle, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK)
        return -1;
    if (bound)
        sqlite3_bind_text(stmt, 1, bound, -1, SQLITE_TRANSIENT);
    int rows = 0;
    while ((limit < 0 || rows < limit) && sqlite3_step(stmt) == SQLITE_ROW) {
        const int columns = sqlite3_column_count(stmt);
        for (int c = 0; c < columns; ++c)
            benchmark::DoNotOptimize(sqlite3_column_text(stmt, c));
        ++rows;
    }
    sqlite3_finalize(stmt);
    return rows;
}

void BM_RawFirstRows(benchmark::State& state) {
    Bench& b = Shared();
    for (auto _ : state)
        benchmark::DoNotOptimize(RawRead(b.conn.Handle(), records::AllRecordsSql(), nullptr,
                                         records::RecordListModel::kBatch));
}
BENCHMARK(BM_RawFirstRows)->Unit(benchmark::kMillisecond);

void BM_BrowserFirstRows(benchmark::State& state) {
    Bench& b = Shared();
    for (auto _ : state) {
        records::RecordListModel model(*b.db);
        model.fillAll();
        benchmark::DoNotOptimize(model.rowCount());
    }
}
BENCHMARK(BM_BrowserFirstRows)->Unit(benchmark::kMillisecond);

records::SearchForm NameForm() {
    records::SearchForm form;
    form.from = form.to = QDate(2026, 1, 1);
    form.name = QStringLiteral("张");
    return form;
}

// The very statement the browser runs, with the same bound pattern.
void BM_RawNameSearch(benchmark::State& state) {
    Bench& b = Shared();
    const records::SearchQuery q = records::BuildSearch(NameForm());
    for (auto _ : state)
        benchmark::DoNotOptimize(RawRead(b.conn.Handle(), q.sql, q.values.at(0).c_str(),
                                         records::RecordListModel::kBatch));
}
BENCHMARK(BM_RawNameSearch)->Unit(benchmark::kMillisecond);

void BM_BrowserNameSearch(benchmark::State& state) {
    Bench& b = Shared();
    const records::SearchForm form = NameForm();
    for (auto _ : state) {
        const records::SearchQuery q = records::BuildSearch(form);
        records::RecordListModel model(*b.db);
        model.fill(q.sql, q.values);
        benchmark::DoNotOptimize(model.rowCount());
    }
}
BENCHMARK(BM_BrowserNameSearch)->Unit(benchmark::kMillisecond);

void BM_RawAllRows(benchmark::State& state) {
    Bench& b = Shared();
    for (auto _ : state)
        benchmark::DoNotOptimize(RawRead(b.conn.Handle(), records::AllRecordsSql(), nullptr, -1));
}
BENCHMARK(BM_RawAllRows)->Unit(benchmark::kMillisecond);

void BM_BrowserAllRows(benchmark::State& state) {
    Bench& b = Shared();
    for (auto _ : state) {
        records::RecordListModel model(*b.db);
        model.fillAll();
        model.fetchAll();
        benchmark::DoNotOptimize(model.rowCount());
    }
}
BENCHMARK(BM_BrowserAllRows)->Unit(benchmark::kMillisecond);

// Each round deletes the newest record and refills the list; the record is
// put back, untimed, so the database is the same after the run.
void BM_DeleteAndRefill(benchmark::State& state) {
    Bench& b = Shared();
    Database& db = *b.db;
    records::RecordListModel model(db);
    for (auto _ : state) {
        state.PauseTiming();
        model.fillAll();
        const records::ListedRecord r{model.text(0, records::kId), model.text(0, records::kFormat),
                                      model.text(0, records::kName), "否"};
        model.release();
        db.exec("drop table if exists temp.kept");
        db.exec("create temp table kept as select * from jyx_content where jyx_id=?",
                SqlArgs().col(schema::jyx_content, "jyx_id", r.id.toStdString()));
        state.ResumeTiming();

        const records::DeleteOutcome out =
            records::DeleteRecord(db, r, "bench", "bench", QDateTime::currentDateTime());
        model.fillAll();

        state.PauseTiming();
        if (!out.deleted)
            state.SkipWithError("delete failed");
        db.exec("insert into jyx_content select * from temp.kept");
        db.exec("delete from jyx_log where login_id='bench'");
        state.ResumeTiming();
    }
}
BENCHMARK(BM_DeleteAndRefill)->Unit(benchmark::kMillisecond)->Iterations(5);

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            times[run.benchmark_name()] = {run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()};
    }
    void ratio(const char* label, const std::string& a, const std::string& b) const {
        if (times.count(a) && times.count(b))
            std::printf("%s: %.2f (cpu %.2f)\n", label, times.at(a).first / times.at(b).first,
                        times.at(a).second / times.at(b).second);
    }
    std::map<std::string, std::pair<double, double>> times;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    Shared();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.ratio("opening, browser / raw first rows (target <= 1.5)", "BM_BrowserFirstRows",
                   "BM_RawFirstRows");
    reporter.ratio("name search, browser / raw LIKE (target <= 1.5)", "BM_BrowserNameSearch",
                   "BM_RawNameSearch");
    reporter.ratio("all rows, browser / raw", "BM_BrowserAllRows", "BM_RawAllRows");
    reporter.ratio("delete and refill / raw first rows", "BM_DeleteAndRefill/iterations:5",
                   "BM_RawFirstRows");
    benchmark::Shutdown();
    return 0;
}
