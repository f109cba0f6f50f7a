// Saving a long transcript (about 1 000 000 characters, some 300 printed
// pages) with a 40 KB photo, against the raw SQLite statements that store the
// same bytes, on the same encrypted connection in the same run:
//   Insert  TranscriptStore's first save (insert, log row, family rows, one
//           transaction) / one raw insert of the same column bytes;
//   Update  a later save (update and log row) / one raw update;
//   Editor  the periodic save as the editor window runs it (reading the
//           controls and the text, then the update): its time per save is
//           what typing waits for.
// The ratios and the editor's time per save are printed after the runs.
#include "app/AppContext.h"
#include "app/Database.h"
#include "text/TextCodec.h"
#include "transcript/CJyxMakeDlg.h"
#include "transcript/TranscriptStore.h"
#include "transcript/TranscriptTextEdit.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

QString LongText() {
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
}

TranscriptRecord Sample() {
    TranscriptRecord r;
    r.personType = "嫌疑人";
    r.kind = "询问笔录";
    r.times = "1";
    r.startTime = "2026/03/14 09:00";
    r.endTime = "2026/03/14 15:00";
    r.place = "青岚市烟草专卖局询问室";
    r.askName1 = "李明";
    r.recordName = "赵丽";
    r.idNumber = "35010219900101123X";
    r.name = "张三";
    r.sex = "男";
    r.nation = "汉族";
    r.nationality = "中国";
    r.birthday = QDate(1990, 1, 1);
    r.birthAddress = "青岚市东区幸福路1号";
    r.text = LongText();
    return r;
}

struct Fixture {
    QTemporaryDir dir;
    CDBConnection conn;
    std::unique_ptr<Database> db;
    TranscriptRecord record = Sample();
    QString photoPath;
    std::string photoBlob;            // file bytes and one zero byte
    std::string textGbk;              // the text as jyx_content stores it
    std::vector<std::string> columns; // the insert's column names (without the photo)
    std::vector<std::string> values;  // their stored bytes

    Fixture() {
        SetProgramDir(dir.path().toStdString());
        conn.Open((dir.path() + "/SysReg.db").toUtf8().constData());
        db = std::make_unique<Database>(conn);
        for (const TableDef* t : {&schema::jyx_content, &schema::jyx_family, &schema::jyx_login,
                                  &schema::jyx_log, &schema::jyx_type, &schema::jyx_address})
            db->exec(t->createSql());
        photoPath = dir.path() + "/tmp.bmp";
        std::string photo(40 * 1024, '\0');
        for (size_t i = 0; i < photo.size(); ++i)
            photo[i] = char((i * 131) & 0xff);
        std::ofstream(photoPath.toStdString(), std::ios::binary) << photo;
        photoBlob = photo + '\0';
        textGbk = Utf8ToAnsi(record.text.toStdString());
        // The same bytes the store writes, in the encodings of the columns.
        const std::pair<const char*, QString> raw[] = {
            {"jyx_id", "35010219900101123X_20260314090000"},
            {"jyx_persontype", record.personType},
            {"jyx_starttime", record.startTime},
            {"jyx_endtime", record.endTime},
            {"jyx_sex", record.sex},
            {"jyx_birthday", "1990/01/01"},
            {"jyx_answername", record.name},
            {"jyx_answersfz", record.idNumber},
            {"jyx_questionname", record.askName1},
            {"jyx_recordname", record.recordName},
            {"jyx_times", record.times},
            {"jyx_station", record.nation},
            {"jyx_country", record.nationality},
            {"jyx_birthaddress", record.birthAddress},
            {"jyx_format", record.kind},
            {"jyx_jyxaddress", record.place},
            {"jyx_isupload", "0"},
        };
        for (const auto& [column, value] : raw) {
            columns.push_back(column);
            const ColumnEncoding e = schema::jyx_content.column(column).encoding;
            const std::string utf8 = value.toStdString();
            values.push_back(e == ColumnEncoding::Gbk ? Utf8ToAnsi(utf8) : utf8);
        }
    }
    void clear() {
        conn.ExecuteCmd("delete from jyx_content");
        conn.ExecuteCmd("delete from jyx_log");
    }
};

Fixture& Shared() {
    static Fixture f;
    return f;
}

SaveContext Context() {
    return {"admin", "李明", "烟草局笔录"};
}

void BM_InsertStore(benchmark::State& state) {
    Fixture& f = Shared();
    TranscriptStore store(*f.db, Context());
    for (auto _ : state) {
        if (!store.save(f.record, "", SaveKind::Explicit, f.photoPath).ok())
            state.SkipWithError("save failed");
        state.PauseTiming();
        f.clear();
        state.ResumeTiming();
    }
}

bool RawInsert(Fixture& f) {
    sqlite3* db = f.conn.Handle();
    std::string sql = "insert into jyx_content(jyx_content,jyx_headpic";
    std::string marks = "?,?";
    for (const std::string& c : f.columns) {
        sql += "," + c;
        marks += ",?";
    }
    sql += ")values(" + marks + ")";
    sqlite3_exec(db, "begin", nullptr, nullptr, nullptr);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr);
    sqlite3_bind_text(stmt, 1, f.textGbk.data(), int(f.textGbk.size()), SQLITE_STATIC);
    sqlite3_bind_blob(stmt, 2, f.photoBlob.data(), int(f.photoBlob.size()), SQLITE_STATIC);
    for (size_t i = 0; i < f.values.size(); ++i)
        sqlite3_bind_text(stmt, int(i) + 3, f.values[i].data(), int(f.values[i].size()),
                          SQLITE_STATIC);
    const bool ok = sqlite3_step(stmt) == SQLITE_DONE;
    sqlite3_finalize(stmt);
    sqlite3_exec(db, "commit", nullptr, nullptr, nullptr);
    return ok;
}

void BM_InsertRaw(benchmark::State& state) {
    Fixture& f = Shared();
    for (auto _ : state) {
        if (!RawInsert(f))
            state.SkipWithError(sqlite3_errmsg(f.conn.Handle()));
        state.PauseTiming();
        f.clear();
        state.ResumeTiming();
    }
}

void BM_UpdateStore(benchmark::State& state) {
    Fixture& f = Shared();
    TranscriptStore store(*f.db, Context());
    const SaveResult first = store.save(f.record, "", SaveKind::Explicit, f.photoPath);
    for (auto _ : state)
        if (!store.save(f.record, first.recordId, SaveKind::Explicit, f.photoPath).ok())
            state.SkipWithError("save failed");
    f.clear();
}

void BM_UpdateRaw(benchmark::State& state) {
    Fixture& f = Shared();
    RawInsert(f);
    sqlite3* db = f.conn.Handle();
    std::string sql = "update jyx_content set jyx_content=?,jyx_headpic=?";
    for (size_t i = 1; i < f.columns.size(); ++i)
        sql += "," + f.columns[i] + "=?";
    sql += " where jyx_id=?";
    for (auto _ : state) {
        sqlite3_exec(db, "begin", nullptr, nullptr, nullptr);
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr);
        sqlite3_bind_text(stmt, 1, f.textGbk.data(), int(f.textGbk.size()), SQLITE_STATIC);
        sqlite3_bind_blob(stmt, 2, f.photoBlob.data(), int(f.photoBlob.size()), SQLITE_STATIC);
        int n = 3;
        for (size_t i = 1; i < f.values.size(); ++i, ++n)
            sqlite3_bind_text(stmt, n, f.values[i].data(), int(f.values[i].size()), SQLITE_STATIC);
        sqlite3_bind_text(stmt, n, f.values[0].data(), int(f.values[0].size()), SQLITE_STATIC);
        if (sqlite3_step(stmt) != SQLITE_DONE)
            state.SkipWithError(sqlite3_errmsg(db));
        sqlite3_finalize(stmt);
        sqlite3_exec(db, "commit", nullptr, nullptr, nullptr);
    }
    f.clear();
}

// The periodic save of an editor holding the long text: each round types one
// character (so there is something to save) and runs the save.
void BM_EditorPeriodicSave(benchmark::State& state) {
    Fixture& f = Shared();
    Session().loginName = "admin";
    Session().officerName = "李明";
    Session().transcriptType = "烟草局笔录";
    EditorCommands none;
    CJyxMakeDlg editor(nullptr, f.record.text, none, f.conn);
    editor.setRecord(f.record);
    editor.show();
    EditorClock& clock = editor.session().clock();
    clock.start();
    for (int i = 0; i < kPeriodicSaveMinSeconds; ++i)
        clock.tick();
    QTextCursor cursor = editor.textEdit()->textCursor();
    for (auto _ : state) {
        state.PauseTiming();
        cursor.insertText(QStringLiteral("字"));
        state.ResumeTiming();
        editor.periodicSave();
    }
    if (editor.session().recordId().isEmpty())
        state.SkipWithError("nothing saved");
    editor.hide();
    f.clear();
}

BENCHMARK(BM_InsertStore)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_InsertRaw)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_UpdateStore)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_UpdateRaw)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_EditorPeriodicSave)->Unit(benchmark::kMillisecond)->Repetitions(5);

// Keeps the fastest repetition of each benchmark: on a shared machine the
// others carry whatever else ran meanwhile.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred || run.run_type != Run::RT_Iteration)
                continue;
            keepFastest(best, run.run_name.function_name, run.GetAdjustedRealTime());
            keepFastest(bestCpu, run.run_name.function_name, run.GetAdjustedCPUTime());
        }
    }
    // Real time carries the waits of a loaded machine too; the CPU-time ratio
    // is printed beside it so the two can be told apart.
    void ratio(const char* a, const char* b) const {
        if (best.count(a) && best.count(b) && best.at(b) > 0)
            std::printf("%-22s / %-14s  %.3f   (cpu time %.3f)\n", a, b, best.at(a) / best.at(b),
                        bestCpu.at(a) / bestCpu.at(b));
    }
    std::map<std::string, double> best;    // milliseconds, real time
    std::map<std::string, double> bestCpu; // milliseconds, CPU time

private:
    static void keepFastest(std::map<std::string, double>& m, const std::string& name, double t) {
        auto [it, added] = m.try_emplace(name, t);
        if (!added)
            it->second = std::min(it->second, t);
    }
};

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nratios (fastest repetition, real time):\n");
    reporter.ratio("BM_InsertStore", "BM_InsertRaw");
    reporter.ratio("BM_UpdateStore", "BM_UpdateRaw");
    reporter.ratio("BM_EditorPeriodicSave", "BM_UpdateRaw");
    if (reporter.best.count("BM_EditorPeriodicSave"))
        std::printf("editor periodic save: %.1f ms per save\n",
                    reporter.best.at("BM_EditorPeriodicSave"));
    benchmark::Shutdown();
    return 0;
}
