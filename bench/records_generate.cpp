// Writes an encrypted system database with many transcripts for the records
// benchmark: records_generate PATH [COUNT=100000]. Run by hand, outside CI;
// then JYX_RECORDS_DB=PATH records_bench.
#include "records_data.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PATH [COUNT]\n", argv[0]);
        return 2;
    }
    const int count = argc > 2 ? std::atoi(argv[2]) : 100000;
    std::filesystem::remove(argv[1]);
    CDBConnection conn;
    if (conn.Open(argv[1]) != 0) {
        std::fprintf(stderr, "cannot open %s: %s\n", argv[1], conn.LastErrorMessage().c_str());
        return 1;
    }
    Database db(conn);
    if (!records_bench::GenerateTranscripts(db, count)) {
        std::fprintf(stderr, "generation failed: %s\n", db.lastError().c_str());
        return 1;
    }
    std::printf("%d transcripts written to %s\n", count, argv[1]);
    return 0;
}
