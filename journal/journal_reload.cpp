#include "journal/journal_reload.h"

#include <windows.h>

#include <algorithm>
#include <new>
#include <span>
#include <vector>

#include "journal/journal_file.h"
#include "journal/journal_image.h"
#include "journal/journal_tail.h"
#include "base/program_dir.h"

namespace {

// Records go through a buffer of about a megabyte.
constexpr size_t kChunkRecords = 2048;

class ReadHandle {
public:
    explicit ReadHandle(const std::string& path)
        : h_(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))
    {
    }
    ~ReadHandle()
    {
        if (ok())
            CloseHandle(h_);
    }
    ReadHandle(const ReadHandle&) = delete;
    ReadHandle& operator=(const ReadHandle&) = delete;
    bool ok() const { return h_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return h_; }

private:
    HANDLE h_;
};

size_t ReadUpTo(HANDLE file, uint8_t* out, size_t size)
{
    size_t total = 0;
    while (total < size) {
        DWORD got = 0;
        if (!ReadFile(file, out + total, static_cast<DWORD>(size - total), &got, nullptr) || got == 0)
            break;
        total += got;
    }
    return total;
}

// Room for `more` records in the table, with a sixteenth to spare so that
// the next appends rarely move it; never the doubling of a plain push, which
// would hold up to twice the journal.
void MakeRoomFor(size_t more)
{
    size_t needed = Journal.records.size() + more;
    if (needed > Journal.records.capacity())
        Journal.records.reserve(needed + needed / 16);
}

// Reads the records from..to - 1 of the open file onto the end of the table;
// stops at the first one cut short. Returns the bytes read.
uint64_t AppendRecords(HANDLE file, int32_t from, int32_t to)
{
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(JournalRecordOffset(static_cast<uint64_t>(from)));
    if (!SetFilePointerEx(file, at, nullptr, FILE_BEGIN))
        return 0;
    size_t wanted = static_cast<size_t>(to - from);
    MakeRoomFor(wanted);
    std::vector<uint8_t> buffer(std::min(wanted, kChunkRecords) * kJournalRecordSize);
    uint64_t total = 0;
    while (wanted > 0) {
        size_t n = std::min(wanted, kChunkRecords);
        size_t got = ReadUpTo(file, buffer.data(), n * kJournalRecordSize);
        total += got;
        for (size_t offset = 0; offset + kJournalRecordSize <= got; offset += kJournalRecordSize) {
            Journal.records.emplace_back();
            ParseJournalRecord(std::span<const uint8_t>(buffer.data() + offset, kJournalRecordSize),
                               Journal.records.back());
        }
        if (got < n * kJournalRecordSize)
            break;
        wanted -= n;
    }
    return total;
}

}  // namespace

uint64_t LoadJournalAppends()
{
    if (Journal.YearFixPending) {
        LoadJournal();
        return Journal.loadedSize;
    }
    uint64_t bytesRead = 0;
    JournalReloadPlan plan;
    uint64_t size = 0;
    {
        ReadHandle file(ProgramPath("\\Journal.dat"));
        if (!file.ok()) {
            if (GetLastError() == ERROR_FILE_NOT_FOUND)
                LoadJournal();
            return 0;
        }
        uint8_t head[kJournalHeaderSize] = {};
        size_t got = ReadUpTo(file.get(), head, sizeof head);
        bytesRead = got;
        // The length is taken after the count: the server writes a record
        // before the count that announces it.
        LARGE_INTEGER length;
        if (!GetFileSizeEx(file.get(), &length))
            return bytesRead;
        size = static_cast<uint64_t>(length.QuadPart);
        plan = PlanJournalReload(Journal.count, Journal.loadedCount, Journal.loadedSize,
                                 ReadJournalCount({head, got}), size);
        if (plan.step == JournalReload::appended) {
            try {
                bytesRead += AppendRecords(file.get(), plan.from, plan.to);
            } catch (const std::bad_alloc&) {
                // The records read so far stay; the rest come at a later tick.
            }
            Journal.count = static_cast<int32_t>(Journal.records.size());
            Journal.loadedCount = Journal.count;
            Journal.loadedSize = Journal.count == plan.to ? size : JournalRecordOffset(Journal.records.size());
            return bytesRead;
        }
    }
    if (plan.step == JournalReload::whole) {
        LoadJournal();
        bytesRead += Journal.loadedSize;
    }
    return bytesRead;
}
