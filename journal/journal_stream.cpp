#include "journal/journal_stream.h"

#include <algorithm>

namespace {

// Room for `more` records. Memory the process already holds fills many times
// faster than fresh memory, so the table's storage serves from load to load.
// When an empty table must grow, or has far more room than it needs, its old
// block goes before the new one is taken, so that memory never holds two; the
// new block keeps room for the records of the next few loads. A table that
// grows by appends gets a sixteenth to spare, so that the next appends rarely
// move it: never the doubling of a plain push, which would hold up to twice
// the journal.
void MakeRoom(std::vector<JournalRecord>& records, size_t more)
{
    size_t needed = records.size() + more;
    bool tooSmall = needed > records.capacity();
    bool tooLarge = records.capacity() > needed + needed / 2 + kJournalChunkRecords;
    if (records.empty() && (tooSmall || tooLarge)) {
        std::vector<JournalRecord>().swap(records);
        records.reserve(needed + needed / 16);
    } else if (tooSmall) {
        records.reserve(needed + needed / 16);
    }
}

}  // namespace

uint64_t ReadJournalRecords(File& file, size_t wanted, std::vector<JournalRecord>& records, File* copy)
{
    std::vector<uint8_t> buffer(std::min(wanted, kJournalChunkRecords) * kJournalRecordSize);
    MakeRoom(records, wanted);
    uint64_t total = 0;
    while (wanted > 0) {
        size_t n = std::min(wanted, kJournalChunkRecords);
        long long read = file.Read(std::span(buffer).first(n * kJournalRecordSize));
        size_t got = read > 0 ? static_cast<size_t>(read) : 0;
        total += got;
        if (copy && copy->ok() && !copy->Write(std::span(buffer).first(got)))
            copy->Close();
        for (size_t at = 0; at + kJournalRecordSize <= got; at += kJournalRecordSize) {
            records.emplace_back();
            ParseJournalRecord(std::span<const uint8_t>(buffer.data() + at, kJournalRecordSize), records.back());
        }
        if (got < n * kJournalRecordSize)
            break;
        wanted -= n;
    }
    return total;
}

bool WriteJournalRecords(File& file, std::span<const JournalRecord> records)
{
    std::vector<uint8_t> buffer(std::min(records.size(), kJournalChunkRecords) * kJournalRecordSize);
    while (!records.empty()) {
        size_t n = std::min(records.size(), kJournalChunkRecords);
        for (size_t i = 0; i < n; ++i)
            WriteJournalRecord(records[i], std::span<uint8_t, kJournalRecordSize>(buffer.data() + i * kJournalRecordSize,
                                                                                  kJournalRecordSize));
        if (!file.Write(std::span(buffer).first(n * kJournalRecordSize)))
            return false;
        records = records.subspan(n);
    }
    return true;
}
