// Times the journal operations on a large journal against a plain read and a
// plain write of the same file, measured in the same run.
//
//   journal_bench [records] [directory]
//
// Builds "Journal.dat" of `records` calls (1,000,000 by default, about 564 MB)
// in `directory` (a fresh folder of the temporary directory by default), runs
// each operation on a fresh copy of it after a load, and prints one row per
// operation: seconds, ratios to the yardsticks, records before and after, and
// the process's peak working set so far.
//
// The yardsticks, best of three: a plain read of the whole file into a new
// buffer, the same read into a buffer the process already holds (fresh memory
// is slow to fill, under Wine most of all), and a plain write of it to a new
// file. Ends with 0 when every operation took at most twice (read into a new
// buffer + write).
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "bench/bench_clock.h"
#include "bench/bench_files.h"
#include "journal/journal_file.h"
#include "base/program_dir.h"

namespace {

constexpr size_t kRecordSize = 564;
constexpr size_t kChunk = 2048 * kRecordSize;

double PeakMegabytes()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return double(counters.PeakWorkingSetSize) / (1 << 20);
}

void Put(uint8_t* record, size_t at, const char* text)
{
    std::memcpy(record + at, text, std::strlen(text) + 1);
}

// Call i: one of 20 users and 8 gateways, dated through 2000-2003. One user
// in 20 is "Durand", one gateway in 8 "Lyon". Every `twoDigitEvery`-th call
// has the old two-digit year.
void MakeCall(uint8_t* record, size_t i, size_t twoDigitEvery)
{
    static const char* users[] = {"Durand", "Martin", "Bernard", "Thomas",  "Petit",  "Robert", "Richard",
                                  "Dubois", "Moreau", "Laurent", "Simon",   "Michel", "Lefebvre", "Leroy",
                                  "Roux",   "David",  "Bertrand", "Morel",  "Fournier", "Girard"};
    static const char* gateways[] = {"Paris", "Lyon", "Marseille", "Lille", "Nantes", "Rennes", "Nice", "Brest"};
    for (size_t at = 0; at < kRecordSize; ++at)
        record[at] = static_cast<uint8_t>(0xA0 + at % 37);
    char text[64];
    std::snprintf(text, sizeof text, "Modem %zu", i % 8);
    Put(record, 0, text);
    Put(record, 256, gateways[(i / 3) % 8]);
    Put(record, 306, users[i % 20]);
    std::snprintf(text, sizeof text, "01%08zu", i);
    Put(record, 356, text);
    size_t day = i * 1461 / 1000000;  // four years over a million calls
    std::snprintf(text, sizeof text, "%02zu/%02zu/%04zu %02zu:%02zu:%02zu", 1 + day % 28, 1 + (day / 28) % 12,
                  2000 + day / 365, i % 24, i % 60, (i * 7) % 60);
    if (twoDigitEvery && i % twoDigitEvery == 0)
        std::snprintf(text, sizeof text, "%02zu/%02zu/99 %02zu:%02zu:00", 1 + day % 28, 1 + (day / 28) % 12, i % 24,
                      i % 60);
    Put(record, 406, text);
    Put(record, 460, "28800");
    Put(record, 510, "00:02:10");
    record[560] = static_cast<uint8_t>(i);
    record[561] = record[562] = record[563] = 0;
}

void WriteJournal(const std::string& path, size_t count, size_t twoDigitEvery = 0)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "cannot create %s\n", path.c_str());
        std::exit(2);
    }
    std::vector<uint8_t> chunk(kChunk);
    uint32_t n = static_cast<uint32_t>(count);
    DWORD written;
    WriteFile(file, &n, 4, &written, nullptr);
    for (size_t i = 0; i < count;) {
        size_t in = 0;
        for (; in < kChunk / kRecordSize && i < count; ++in, ++i)
            MakeCall(chunk.data() + in * kRecordSize, i, twoDigitEvery);
        WriteFile(file, chunk.data(), static_cast<DWORD>(in * kRecordSize), &written, nullptr);
    }
    CloseHandle(file);
}

// The yardsticks: the whole file into memory, and that memory to a new file.
void PlainRead(const std::string& path, std::vector<uint8_t>& bytes)
{
    ReadInChunks(path, bytes, kChunk);
}

void PlainWrite(const std::string& path, const std::vector<uint8_t>& bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    for (size_t at = 0; at < bytes.size();) {
        DWORD written = 0;
        DWORD want = static_cast<DWORD>(std::min(bytes.size() - at, kChunk));
        if (!WriteFile(file, bytes.data() + at, want, &written, nullptr) || written == 0)
            break;
        at += written;
    }
    CloseHandle(file);
}

}  // namespace

int main(int argc, char** argv)
{
    size_t count = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1000000;
    std::string dir;
    if (argc > 2) {
        dir = argv[2];
    } else {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        dir = std::string(temp) + "quorel-journal-bench";
    }
    CreateDirectoryA(dir.c_str(), nullptr);
    SetProgramDirForTests(dir);
    std::string journal = dir + "\\Journal.dat";
    std::string copy = dir + "\\copy.dat";

    std::printf("journal of %zu records (%.0f MB) in %s\n", count, double(4 + count * kRecordSize) / 1e6, dir.c_str());
    WriteJournal(journal, count);

    struct Operation { const char* name; std::function<void()> run; bool reloadFirst; size_t twoDigitEvery = 0; };
    Operation operations[] = {
        {"LoadJournal (first of the run)", [] { LoadJournal(); }, false},
        {"LoadJournal (first, 1/10 converted)", [] { LoadJournal(); }, false, 10},
        {"LoadJournal (reload)", [] { LoadJournal(); }, true},
        {"PurgeJournal (1/4 goes)", [] { PurgeJournal("31/12/2000 23:59:59"); }, true},
        {"RenameUserEntries (1/20)", [] { RenameUserEntries("Durand", "Dupont"); }, true},
        {"RenameGatewayEntries (1/8)", [] { RenameGatewayEntries("Lyon", "Lille-Sud"); }, true},
        {"RemoveUserEntries (1/20)", [] { RemoveUserEntries("Durand"); }, true},
        {"RemoveGatewayEntries (1/8)", [] { RemoveGatewayEntries("Lyon"); }, true},
        {"RemoveGatewayEntries (none)", [] { RemoveGatewayEntries("Ailleurs"); }, true},
    };
    struct Row { const char* name; double seconds; int32_t before; int32_t after; double peak; };
    std::vector<Row> rows;
    for (const Operation& operation : operations) {
        WriteJournal(journal, count, operation.twoDigitEvery);
        Journal = JournalTable{};
        if (operation.reloadFirst)
            LoadJournal();
        int32_t before = operation.reloadFirst ? Journal.count : static_cast<int32_t>(count);
        double seconds = Seconds(operation.run);
        rows.push_back({operation.name, seconds, before, Journal.count, PeakMegabytes()});
        std::fprintf(stderr, "%s: %.3f s\n", operation.name, seconds);
    }
    Journal = JournalTable{};

    // The yardsticks, each the best of three.
    WriteJournal(journal, count);
    double read = 1e9, reread = 1e9, write = 1e9;
    for (int i = 0; i < 3; ++i) {
        std::vector<uint8_t> bytes;
        read = std::min(read, Seconds([&] { PlainRead(journal, bytes); }));
        reread = std::min(reread, Seconds([&] { PlainRead(journal, bytes); }));
        write = std::min(write, Seconds([&] { PlainWrite(copy, bytes); }));
    }
    double yardstick = read + write;
    double strict = reread + write;

    std::printf("\n%-36s %8s %8s %8s %9s %9s %8s\n", "", "seconds", "ratio", "strict", "before", "after",
                "peak MB");
    std::printf("%-36s %8.3f\n", "plain read into a new buffer", read);
    std::printf("%-36s %8.3f\n", "plain read into a buffer in use", reread);
    std::printf("%-36s %8.3f\n", "plain write to a new file", write);
    bool allWithin = true;
    for (const Row& row : rows) {
        double ratio = row.seconds / yardstick;
        allWithin = allWithin && ratio <= 2.0;
        std::printf("%-36s %8.3f %8.2f %8.2f %9d %9d %8.0f\n", row.name, row.seconds, ratio, row.seconds / strict,
                    row.before, row.after, row.peak);
    }
    std::printf("\nratio  = seconds / (read into a new buffer + write); goal: at most 2\n"
                "strict = seconds / (read into a buffer in use + write)\n"
                "peak MB: the process's peak working set after the operation; file: %.0f MB\n",
                double(4 + count * kRecordSize) / (1 << 20));

    DeleteFileA(copy.c_str());
    DeleteFileA(journal.c_str());
    DeleteFileA((dir + "\\Journal.old").c_str());
    DeleteFileA((dir + "\\Journal.dat.new").c_str());
    RemoveDirectoryA(dir.c_str());
    return allWithin ? 0 : 1;
}
