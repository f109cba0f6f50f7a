// Generated transcripts for the records benchmarks: rows of jyx_content with
// a 3 000-character text and a 10 KB photo each, written through the same
// schema and encodings the program uses.
#pragma once

#include "app/Database.h"
#include "app/Schema.h"

#include <cstdio>
#include <random>
#include <string>

namespace records_bench {

inline std::string RepeatTo(const std::string& piece, std::size_t utf8Chars) {
    std::string out;
    std::size_t chars = 0;
    while (chars < utf8Chars) {
        out += piece;
        chars += piece.size() / 3; // the pieces are three-byte characters
    }
    return out;
}

// Writes `count` transcripts into a fresh jyx_content (and jyx_log) at `db`.
// About one name in ten contains "张". True when every row was written.
inline bool GenerateTranscripts(Database& db, int count, unsigned seed = 7) {
    for (const TableDef* t : {&schema::jyx_content, &schema::jyx_log})
        if (!db.exec(t->createSql()))
            return false;
    static const char* const surnames[] = {"王", "李", "刘", "陈", "杨",
                                           "赵", "黄", "周", "吴", "张"};
    static const char* const given[] = {"伟", "芳", "娜", "敏", "静", "丽", "强", "磊", "军", "洋"};
    static const char* const kinds[] = {"询问笔录", "调查笔录", "讯问笔录", "现场笔录"};
    const std::string text = RepeatTo("询问人被询问人回答问题记录", 3000);
    std::mt19937 random(seed);
    std::string photo(10 * 1024, '\0');
    for (char& b : photo)
        b = char(random() & 0xff);
    if (!db.exec("begin"))
        return false;
    for (int i = 0; i < count; ++i) {
        char start[32], end[32], id[48];
        const int year = 2015 + int(random() % 12), month = 1 + int(random() % 12),
                  day = 1 + int(random() % 28), hour = 8 + int(random() % 10);
        std::snprintf(start, sizeof start, "%4d/%02d/%02d %02d:%02d", year, month, day, hour, 0);
        std::snprintf(end, sizeof end, "%4d/%02d/%02d %02d:%02d", year, month, day, hour + 1, 30);
        std::snprintf(id, sizeof id, "35010219900101%04d_%08d", i % 10000, i);
        const std::string name =
            std::string(surnames[random() % 10]) + given[random() % 10] + given[random() % 10];
        const bool ok = db.insert(schema::jyx_content,
                                  {{"jyx_id", id},
                                   {"jyx_persontype", "嫌疑人"},
                                   {"jyx_starttime", start},
                                   {"jyx_endtime", end},
                                   {"jyx_content", text},
                                   {"jyx_answername", name},
                                   {"jyx_sex", i % 2 ? "男" : "女"},
                                   {"jyx_age", std::to_string(20 + i % 50)},
                                   {"jyx_answersfz", id},
                                   {"jyx_telphone", "13800000000"},
                                   {"jyx_times", "1"},
                                   {"jyx_casename", "青烟案〔2024〕" + std::to_string(i) + "号"},
                                   {"jyx_workunit", "青岚市百货商店"},
                                   {"jyx_format", kinds[i % 4]},
                                   {"jyx_headpic", photo},
                                   {"jyx_isupload", i % 3 ? "0" : "1"},
                                   {"jyx_3", "烟草局笔录"}});
        if (!ok)
            return false;
    }
    return db.exec("commit");
}

} // namespace records_bench
