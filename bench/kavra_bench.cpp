// The storage library against the raw SQLite interface it wraps, on the same
// encrypted connection in the same run:
//   Read   100 000 rows x 48 text columns, every column read as text;
//   Insert 10 000 rows x 48 bound text values in one transaction.
// The end of the output gives each Kavra figure as a ratio of its baseline.
#include "storage/Kavra.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kColumns = 48;
constexpr int kReadRows = 100000;
constexpr int kInsertRows = 10000;

std::string ColumnList() {
    std::string list;
    for (int c = 0; c < kColumns; ++c)
        list += (c ? ",c" : "c") + std::to_string(c);
    return list;
}

std::string CreateTable(const char* name) {
    std::string sql = std::string("create table ") + name + " (";
    for (int c = 0; c < kColumns; ++c)
        sql += (c ? ",c" : "c") + std::to_string(c) + " text";
    return sql + ")";
}

std::string InsertSql(const char* name) {
    std::string sql = std::string("insert into ") + name + " (" + ColumnList() + ") values (";
    for (int c = 0; c < kColumns; ++c)
        sql += c ? ",?" : "?";
    return sql + ")";
}

// Text values of one row, of mixed lengths like the transcript columns.
std::vector<std::string> RowValues(int row) {
    std::vector<std::string> values;
    for (int c = 0; c < kColumns; ++c) {
        std::string v = "r" + std::to_string(row) + "c" + std::to_string(c);
        v.resize(8 + (c * 7) % 40, 'x');
        values.push_back(v);
    }
    return values;
}

// One encrypted database shared by every benchmark, filled once.
struct Fixture {
    fs::path dir;
    CDBConnection db;
    std::string selectSql = "select " + ColumnList() + " from wide";
    std::string insertSql = InsertSql("ins");
    std::vector<std::vector<std::string>> rows;

    Fixture() {
        dir = fs::temp_directory_path() /
              ("kavra-bench-" + std::to_string(getpid()) + "-" +
               std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
        fs::create_directories(dir);
        if (db.Open((dir / "bench.db").string().c_str()) != 0)
            std::fprintf(stderr, "open failed: %s\n", db.LastErrorMessage().c_str());
        db.ExecuteCmd(CreateTable("wide").c_str());
        db.ExecuteCmd(CreateTable("ins").c_str());
        for (int r = 0; r < kInsertRows; ++r)
            rows.push_back(RowValues(r));
        FillWide();
    }
    ~Fixture() {
        db.Close();
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }
    void FillWide() {
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db.Handle(), InsertSql("wide").c_str(), -1, &stmt, nullptr);
        db.CommitBegin();
        for (int r = 0; r < kReadRows; ++r) {
            const auto& values = rows[size_t(r % kInsertRows)];
            for (int c = 0; c < kColumns; ++c)
                sqlite3_bind_text(stmt, c + 1, values[size_t(c)].data(),
                                  int(values[size_t(c)].size()), SQLITE_STATIC);
            sqlite3_step(stmt);
            sqlite3_reset(stmt);
        }
        db.CommitEnd();
        sqlite3_finalize(stmt);
    }
};

Fixture& Shared() {
    static Fixture fixture;
    return fixture;
}

void BM_ReadKavra(benchmark::State& state) {
    Fixture& f = Shared();
    for (auto _ : state) {
        size_t bytes = 0;
        CDBRecordSet set = f.db.ExecuteQuery(f.selectSql.c_str());
        while (!set.IsEof()) {
            for (int c = 0; c < kColumns; ++c)
                bytes += *set.GetStringValue(c) != 0;
            set.MoveNext();
        }
        benchmark::DoNotOptimize(bytes);
    }
}

void BM_ReadRaw(benchmark::State& state) {
    Fixture& f = Shared();
    for (auto _ : state) {
        size_t bytes = 0;
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(f.db.Handle(), f.selectSql.c_str(), -1, &stmt, nullptr);
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            for (int c = 0; c < kColumns; ++c) {
                auto text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
                bytes += *(text ? text : "") != 0;
            }
        }
        sqlite3_finalize(stmt);
        benchmark::DoNotOptimize(bytes);
    }
}

void EmptyInsertTable(benchmark::State& state, Fixture& f) {
    state.PauseTiming();
    f.db.ExecuteCmd("delete from ins");
    state.ResumeTiming();
}

void BM_InsertKavra(benchmark::State& state) {
    Fixture& f = Shared();
    std::vector<CDBParam> params(kColumns);
    for (auto _ : state) {
        f.db.CommitBegin();
        for (const auto& values : f.rows) {
            for (int c = 0; c < kColumns; ++c)
                params[size_t(c)] = CDBParam::text(values[size_t(c)]);
            if (!f.db.ExcuteBolbInfo(f.insertSql.c_str(), params.data(), kColumns))
                state.SkipWithError(f.db.LastErrorMessage().c_str());
        }
        f.db.CommitEnd();
        EmptyInsertTable(state, f);
    }
}

// The raw baseline compiles the statement once and reuses it for every row,
// the best a hand-written SQLite loop does.
void BM_InsertRaw(benchmark::State& state) {
    Fixture& f = Shared();
    sqlite3* db = f.db.Handle();
    for (auto _ : state) {
        sqlite3_exec(db, "BEGIN;", nullptr, nullptr, nullptr);
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db, f.insertSql.c_str(), -1, &stmt, nullptr);
        for (const auto& values : f.rows) {
            for (int c = 0; c < kColumns; ++c)
                sqlite3_bind_text(stmt, c + 1, values[size_t(c)].data(),
                                  int(values[size_t(c)].size()), SQLITE_STATIC);
            if (sqlite3_step(stmt) != SQLITE_DONE)
                state.SkipWithError(sqlite3_errmsg(db));
            sqlite3_reset(stmt);
        }
        sqlite3_finalize(stmt);
        sqlite3_exec(db, "COMMIT;", nullptr, nullptr, nullptr);
        EmptyInsertTable(state, f);
    }
}

// For reference: the raw loop that compiles the statement for every row, as a
// library without a statement cache would.
void BM_InsertRawPerRow(benchmark::State& state) {
    Fixture& f = Shared();
    sqlite3* db = f.db.Handle();
    for (auto _ : state) {
        sqlite3_exec(db, "BEGIN;", nullptr, nullptr, nullptr);
        for (const auto& values : f.rows) {
            sqlite3_stmt* stmt = nullptr;
            sqlite3_prepare_v2(db, f.insertSql.c_str(), -1, &stmt, nullptr);
            for (int c = 0; c < kColumns; ++c)
                sqlite3_bind_text(stmt, c + 1, values[size_t(c)].data(),
                                  int(values[size_t(c)].size()), SQLITE_STATIC);
            if (sqlite3_step(stmt) != SQLITE_DONE)
                state.SkipWithError(sqlite3_errmsg(db));
            sqlite3_finalize(stmt);
        }
        sqlite3_exec(db, "COMMIT;", nullptr, nullptr, nullptr);
        EmptyInsertTable(state, f);
    }
}

BENCHMARK(BM_ReadKavra)->Unit(benchmark::kMillisecond)->MinTime(1.0)->Repetitions(5);
BENCHMARK(BM_ReadRaw)->Unit(benchmark::kMillisecond)->MinTime(1.0)->Repetitions(5);
BENCHMARK(BM_InsertKavra)->Unit(benchmark::kMillisecond)->MinTime(1.0)->Repetitions(5);
BENCHMARK(BM_InsertRaw)->Unit(benchmark::kMillisecond)->MinTime(1.0)->Repetitions(5);
BENCHMARK(BM_InsertRawPerRow)->Unit(benchmark::kMillisecond)->MinTime(1.0)->Repetitions(5);

// Prints the usual table and remembers each benchmark's times per iteration.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    struct Times {
        double real = 0;
        double cpu = 0;
    };
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        // The fastest repetition counts: on a shared machine the others carry
        // the load of whatever else ran meanwhile.
        for (const Run& run : runs) {
            if (run.error_occurred || run.run_type != Run::RT_Iteration)
                continue;
            auto [it, added] =
                times.try_emplace(run.run_name.function_name,
                                  Times{run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()});
            if (!added) {
                it->second.real = std::min(it->second.real, run.GetAdjustedRealTime());
                it->second.cpu = std::min(it->second.cpu, run.GetAdjustedCPUTime());
            }
        }
    }
    void PrintRatio(const std::string& kavra, const std::string& raw) const {
        auto k = times.find(kavra);
        auto r = times.find(raw);
        if (k == times.end() || r == times.end() || r->second.real <= 0 || r->second.cpu <= 0)
            return;
        std::printf("%-16s / %-18s  real %.3f  cpu %.3f\n", kavra.c_str(), raw.c_str(),
                    k->second.real / r->second.real, k->second.cpu / r->second.cpu);
    }
    std::map<std::string, Times> times;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nRatios (target <= 1.10):\n");
    reporter.PrintRatio("BM_ReadKavra", "BM_ReadRaw");
    reporter.PrintRatio("BM_InsertKavra", "BM_InsertRaw");
    reporter.PrintRatio("BM_InsertKavra", "BM_InsertRawPerRow");
    benchmark::Shutdown();
    return 0;
}
