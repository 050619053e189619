// Appends uniquely numbered call records to a journal file as fast as it can,
// as the server would, while the console under test rewrites the file.
//
//   journal_appender JOURNAL [--count N] [--seconds S] [--every K GATEWAY] [--out FILE]
//
// Record i has the number "A" followed by i on 7 digits, the user "Appender",
// the date 31/12/2099 23:59:59 and the gateway "Appender", except every K-th
// record (i % K == K - 1), which has GATEWAY. The four bytes at offset 456
// hold i. Stops after N records or S seconds, then prints (and writes to FILE)
// "appended <n> failed <m>". Exits with 0 when no append failed.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/journal_appender/append_record.h"

static void Put(uint8_t* record, size_t at, const char* text)
{
    std::memcpy(record + at, text, std::strlen(text) + 1);
}

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: journal_appender JOURNAL [--count N] [--seconds S] [--every K GATEWAY] [--out FILE]\n");
        return 2;
    }
    std::string path = argv[1];
    long count = 1000000;
    double seconds = 10;
    long every = 0;
    std::string everyGateway;
    std::string out;
    for (int i = 2; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--count" && i + 1 < argc)
            count = std::atol(argv[++i]);
        else if (arg == "--seconds" && i + 1 < argc)
            seconds = std::atof(argv[++i]);
        else if (arg == "--every" && i + 2 < argc) {
            every = std::atol(argv[++i]);
            everyGateway = argv[++i];
        } else if (arg == "--out" && i + 1 < argc)
            out = argv[++i];
    }

    DWORD start = GetTickCount();
    long appended = 0, failed = 0;
    for (long i = 0; i < count && GetTickCount() - start < seconds * 1000; ++i) {
        uint8_t record[564];
        for (size_t at = 0; at < sizeof record; ++at)
            record[at] = static_cast<uint8_t>(0x80 + at % 61);
        char number[16];
        std::snprintf(number, sizeof number, "A%07ld", i);
        Put(record, 0, "Ligne d'essai");
        Put(record, 256, every > 0 && i % every == every - 1 ? everyGateway.c_str() : "Appender");
        Put(record, 306, "Appender");
        Put(record, 356, number);
        Put(record, 406, "31/12/2099 23:59:59");
        for (int b = 0; b < 4; ++b)
            record[456 + b] = static_cast<uint8_t>(i >> (8 * b));
        Put(record, 460, "9600");
        Put(record, 510, "00:00:01");
        if (AppendJournalRecord(path, record, 10000))
            ++appended;
        else
            ++failed;
    }
    char result[64];
    std::snprintf(result, sizeof result, "appended %ld failed %ld\n", appended, failed);
    std::fputs(result, stdout);
    if (!out.empty()) {
        if (FILE* file = std::fopen(out.c_str(), "w")) {
            std::fputs(result, file);
            std::fclose(file);
        }
    }
    return failed == 0 ? 0 : 1;
}
