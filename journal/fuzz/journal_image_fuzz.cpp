// A journal file of any content: decoding never reads past the image, and the
// edits keep every record they do not remove, in order, outside the fields
// they change.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "journal/journal_edit.h"
#include "journal/journal_image.h"

static void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// True when the two records differ only inside [offset, offset + size).
static bool SameOutside(const JournalRecord& a, const JournalRecord& b, size_t offset, size_t size)
{
    for (size_t i = 0; i < kJournalRecordSize; ++i)
        if ((i < offset || i >= offset + size) && a.bytes[i] != b.bytes[i])
            return false;
    return true;
}

// `after` holds the records of `before` that `kept` accepts, in order.
template <typename Kept>
static void CheckKeptInOrder(const std::vector<JournalRecord>& before, const std::vector<JournalRecord>& after,
                             Kept kept)
{
    size_t next = 0;
    for (const JournalRecord& record : before) {
        if (!kept(record))
            continue;
        Check(next < after.size() && after[next].bytes == record.bytes);
        ++next;
    }
    Check(next == after.size());
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The first bytes choose the names and the limit; the rest is the file.
    if (size < 2)
        return 0;
    size_t nameLength = data[0] % 64;
    size_t limitLength = data[1] % 24;
    if (size < 2 + nameLength + limitLength)
        return 0;
    std::string name(reinterpret_cast<const char*>(data + 2), nameLength);
    name.resize(strnlen(name.c_str(), name.size()));
    std::string limit(reinterpret_cast<const char*>(data + 2 + nameLength), limitLength);
    limit.resize(strnlen(limit.c_str(), limit.size()));
    std::vector<uint8_t> image(data + 2 + nameLength + limitLength, data + size);

    std::vector<JournalRecord> records = DecodeJournalImage(image);
    Check(JournalRecordAt(records.size()) <= std::max<size_t>(image.size(), 4));
    for (size_t i = 0; i < records.size(); ++i)
        Check(std::memcmp(records[i].bytes.data(), image.data() + JournalRecordAt(i), kJournalRecordSize) == 0);

    std::vector<JournalRecord> fixed = records;
    FixTwoDigitYears(fixed);
    for (size_t i = 0; i < records.size(); ++i) {
        Check(SameOutside(records[i], fixed[i], kJournalDateTimeAt, kJournalDateTimeSize));
        Check(fixed[i].dateTime().size() < kJournalDateTimeSize || records[i].dateTime() == fixed[i].dateTime());
    }

    std::string_view stored = std::string_view(name).substr(0, 49);
    std::vector<JournalRecord> kept = records;
    RemoveUserRecords(kept, name);
    CheckKeptInOrder(records, kept, [&](const JournalRecord& r) { return r.user() != stored; });
    kept = records;
    RemoveGatewayRecords(kept, name);
    CheckKeptInOrder(records, kept, [&](const JournalRecord& r) { return r.gateway() != stored; });
    kept = records;
    PurgeRecords(kept, limit);
    Check(kept.size() <= records.size());

    std::vector<JournalRecord> renamed = records;
    RenameUserRecords(renamed, name, "Dupont");
    RenameGatewayRecords(renamed, "Paris", name);
    for (size_t i = 0; i < records.size(); ++i) {
        Check(SameOutside(records[i], renamed[i], kJournalGatewayAt, kJournalGatewaySize + kJournalUserSize));
        Check(renamed[i].gateway().size() < kJournalGatewaySize || records[i].gateway() == renamed[i].gateway());
    }

    std::vector<uint8_t> again = EncodeJournalImage(records);
    Check(DecodeJournalImage(again).size() == records.size());
    return 0;
}
