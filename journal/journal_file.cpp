#include "journal/journal_file.h"

#include <algorithm>
#include <initializer_list>
#include <new>
#include <span>
#include <string>
#include <utility>

#include "base/file_io.h"
#include "base/le_bytes.h"
#include "base/program_dir.h"
#include "journal/journal_edit.h"
#include "journal/journal_image.h"
#include "journal/journal_stream.h"

JournalTable Journal;

namespace {

// The server holds the file for the length of one append; a writer that
// keeps it longer than this is not the server, and the rewrite gives up.
constexpr unsigned kWriterWaitMs = 3000;

// Called after a purge and after a user's records were removed.
JournalRefresh RefreshAfterChange;

std::string JournalPath()
{
    return ProgramPath("\\Journal.dat");
}

std::string BackupPath()
{
    return ProgramPath("\\Journal.old");
}

// The file as a rewrite reads and writes it: the count as it stands in the
// file (up to 4 bytes), the whole records it announces and holds, and the
// bytes after them when they are kept.
struct JournalContent {
    std::vector<uint8_t> head;
    std::vector<JournalRecord> records;
    std::vector<uint8_t> tail;
    uint64_t fileSize = 0;  // of the file as read
    uint64_t Size() const { return head.size() + records.size() * kJournalRecordSize + tail.size(); }
};

std::vector<uint8_t> EncodeCount(size_t count)
{
    std::vector<uint8_t> head(kJournalHeaderSize);
    WriteU32(head, 0, static_cast<uint32_t>(count));
    return head;
}

// The bytes read from the position, none when the read fails.
size_t ReadBytes(File& file, std::span<uint8_t> out)
{
    long long got = file.Read(out);
    return got > 0 ? static_cast<size_t>(got) : 0;
}

// Reads the whole file from its start. The bytes after the records are kept
// only when asked for; they are always copied.
bool ReadContent(File& file, bool keepTail, File& copy, JournalContent& content)
{
    uint64_t size = file.Size().value_or(0);
    content.fileSize = size;
    if (!file.Seek(0))
        return false;
    content.head.resize(static_cast<size_t>(std::min<uint64_t>(size, kJournalHeaderSize)));
    if (ReadBytes(file, content.head) != content.head.size())
        return false;
    if (copy.ok() && !copy.Write(content.head))
        copy.Close();
    size_t held = static_cast<size_t>(RecordsHeld(size, ReadJournalCount(content.head)));
    ReadJournalRecords(file, held, content.records, &copy);
    if (content.records.size() != held)
        return false;
    uint64_t rest = size - content.head.size() - held * kJournalRecordSize;
    std::vector<uint8_t> buffer(
        static_cast<size_t>(std::min<uint64_t>(rest, kJournalChunkRecords * kJournalRecordSize)));
    while (rest > 0) {
        size_t n = static_cast<size_t>(std::min<uint64_t>(rest, buffer.size()));
        std::span<uint8_t> chunk = std::span(buffer).first(n);
        if (ReadBytes(file, chunk) != n)
            return false;
        if (copy.ok() && !copy.Write(chunk))
            copy.Close();
        if (keepTail)
            content.tail.insert(content.tail.end(), chunk.begin(), chunk.end());
        rest -= n;
    }
    return true;
}

// Writes the head, the records of each span in turn and the tail from the
// start of the file, and ends the file there.
bool WriteContent(File& file, std::span<const uint8_t> head,
                  std::initializer_list<std::span<const JournalRecord>> parts, std::span<const uint8_t> tail)
{
    if (!file.Seek(0) || !file.Write(head))
        return false;
    for (std::span<const JournalRecord> records : parts)
        if (!WriteJournalRecords(file, records))
            return false;
    return file.Write(tail) && file.EndHere();
}

// Opens the journal for a rewrite, keeping other writers out. Waits while the
// server holds it for an append.
File OpenJournalAlone(FileCreation creation)
{
    return HoldFileAgainstWriters(JournalPath(), creation, kWriterWaitMs);
}

void TakeChangeStamp()
{
    static uint64_t lastStamp;
    Journal.changeStamp = ++lastStamp;
}

void InstallRecords(std::vector<JournalRecord>&& records, uint64_t fileSize)
{
    TakeChangeStamp();
    Journal.records = std::move(records);
    Journal.count = static_cast<int32_t>(Journal.records.size());
    Journal.loadedCount = Journal.count;
    Journal.loadedSize = fileSize;
}

// The table, emptied, its storage kept for the records read next.
std::vector<JournalRecord> TakeRecords()
{
    TakeChangeStamp();
    std::vector<JournalRecord> records = std::move(Journal.records);
    records.clear();
    Journal.records.clear();
    Journal.count = 0;
    Journal.loadedCount = 0;
    Journal.loadedSize = 0;
    return records;
}

// The table and its storage go.
void ReleaseRecords()
{
    std::vector<JournalRecord> gone = TakeRecords();
}

// A journal that does not exist yet holds no record. Never truncates a file
// that another program created meanwhile.
void CreateMissingJournal()
{
    File file(JournalPath(), FileAccess::write, FileCreation::createNew);
    if (file.ok() && file.Write(EncodeCount(0))) {
        Journal.loadedCount = 0;
        Journal.loadedSize = kJournalHeaderSize;
    }
}

// Reads the records the file holds, as it stands, without keeping the server
// out: nothing is written.
void ReadJournal()
{
    File file(JournalPath(), FileAccess::read, FileCreation::existing);
    if (!file.ok()) {
        // Only a missing file is created: one that is there but cannot be
        // opened now (locked, not readable) keeps its records.
        if (file.missing())
            CreateMissingJournal();
        return;
    }
    std::vector<JournalRecord> records = TakeRecords();
    uint8_t head[kJournalHeaderSize] = {};
    size_t got = ReadBytes(file, head);
    // The length is taken after the count: the server writes a record before
    // the count that announces it.
    uint64_t size = file.Size().value_or(0);
    ReadJournalRecords(file, static_cast<size_t>(RecordsHeld(size, ReadJournalCount({head, got}))), records);
    InstallRecords(std::move(records), size);
}

// Puts new content in the place of the file held by `file`: whole beside it
// first, so that a write that fails part-way leaves the old file as it was,
// then in place. The platform does not replace a file that is open, even by
// us, so the content normally goes in through the handle that keeps the
// server out. When nothing can be written beside it, nothing is written at
// all: the journal is too large to risk writing in place without a copy.
bool PutContent(File& file, std::span<const uint8_t> head,
                std::initializer_list<std::span<const JournalRecord>> parts, std::span<const uint8_t> tail)
{
    auto write = [&](File& to) { return WriteContent(to, head, parts, tail); };
    return ReplaceFileSafely(JournalPath(), write, NoRoomBeside::leaveAsItIs, &file);
}

// The purge's backup already holds the previous content whole: the new one
// goes straight in place, and a write cut short puts the backup back.
bool PutContentOverBackup(File& file, std::span<const uint8_t> head,
                          std::initializer_list<std::span<const JournalRecord>> parts, std::span<const uint8_t> tail)
{
    if (WriteContent(file, head, parts, tail))
        return true;
    file.Close();
    CopyFileOver(BackupPath(), JournalPath());
    return false;
}

enum class Backup { none, journalOld };

// Runs `edit` over the file as it stands, the server's appends kept out from
// the read to the end of the write. The edit gives the new content and says
// whether its records changed; the file is written only when its bytes would
// change. Journal is then the file as it stands. False when the file could not
// be rewritten.
template <typename Edit>
bool RewriteJournal(FileCreation creation, Backup backup, bool keepTail, Edit edit)
{
    File file = OpenJournalAlone(creation);
    if (!file.ok())
        return false;
    bool existed = file.existed();
    JournalContent content;
    content.records = TakeRecords();
    // The copy of the file as read goes beside the backup first: it becomes
    // the backup only when the file is rewritten, so that a purge that
    // removes nothing keeps the backup of the last one that did.
    std::string backupPath = BackupPath();
    std::string copyPath = backupPath + ".new";
    bool read, copied;
    {
        File copy;
        if (backup == Backup::journalOld && existed)
            copy = File(copyPath, FileAccess::write, FileCreation::createAlways);
        bool opened = copy.ok();
        read = ReadContent(file, keepTail, copy, content);
        copied = read && copy.ok() && copy.Close();
        if (opened && !copied) {
            copy.Close();
            DeleteFileA(copyPath.c_str());
        }
    }
    if (!read) {
        file.Close();
        ReadJournal();
        return false;
    }
    std::vector<uint8_t> oldHead = content.head;
    bool recordsChanged = edit(content);
    bool unchanged = !recordsChanged && existed && content.head == oldHead && content.Size() == content.fileSize;
    bool backedUp = false;
    if (copied) {
        backedUp = !unchanged && MoveFileExA(copyPath.c_str(), backupPath.c_str(), MOVEFILE_REPLACE_EXISTING);
        if (!backedUp)
            DeleteFileA(copyPath.c_str());
    }
    bool put = unchanged ||
               (backedUp ? PutContentOverBackup(file, content.head, {content.records}, content.tail)
                         : PutContent(file, content.head, {content.records}, content.tail));
    if (!put) {
        file.Close();
        ReadJournal();
        return false;
    }
    InstallRecords(std::move(content.records), unchanged ? content.fileSize : content.Size());
    return true;
}

// Purge, removal and renaming write a count that matches the records and
// drop what follows them (a record cut short, records no count announces).
// The edit gives the number of records it removed or renamed.
template <typename Edit>
void RewriteRecords(Backup backup, Edit edit)
{
    RewriteJournal(FileCreation::openAlways, backup, false, [&](JournalContent& content) {
        bool changed = edit(content.records) > 0;
        content.head = EncodeCount(content.records.size());
        return changed;
    });
}

// A failed allocation (a huge file in a 32-bit process) leaves the file as it
// was and the table empty, rather than ending the console.
template <typename Operation>
void RunGuarded(Operation operation)
{
    try {
        operation();
    } catch (const std::bad_alloc&) {
        ReleaseRecords();
    }
}

}  // namespace

void LoadJournal()
{
    RunGuarded([] {
        if (!Journal.YearFixPending) {
            ReadJournal();
            return;
        }
        Journal.YearFixPending = false;
        // The file keeps its count and whatever follows its records; only the
        // dates change.
        bool rewritten = RewriteJournal(FileCreation::existing, Backup::none, true, [](JournalContent& content) {
            return FixTwoDigitYears(content.records) > 0;
        });
        if (!rewritten)
            ReadJournal();
    });
}

void SaveJournal()
{
    RunGuarded([] {
        File file = OpenJournalAlone(FileCreation::openAlways);
        if (!file.ok())
            return;
        // The records appended since the table was read follow it.
        uint8_t head[kJournalHeaderSize] = {};
        size_t got = ReadBytes(file, head);
        size_t held = static_cast<size_t>(RecordsHeld(file.Size().value_or(0), ReadJournalCount({head, got})));
        std::vector<JournalRecord> appended;
        size_t from = static_cast<size_t>(Journal.loadedCount);
        if (held > from && file.Seek(JournalRecordAt(from)))
            ReadJournalRecords(file, held - from, appended);
        std::vector<uint8_t> count = EncodeCount(Journal.records.size() + appended.size());
        if (!PutContent(file, count, {Journal.records, appended}, {}))
            return;
        std::vector<JournalRecord> records = std::move(Journal.records);
        records.insert(records.end(), appended.begin(), appended.end());
        InstallRecords(std::move(records), JournalRecordAt(records.size()));
    });
}

void CreateEmptyJournal()
{
    File file = OpenJournalAlone(FileCreation::openAlways);
    if (file.ok() && WriteContent(file, EncodeCount(0), {}, {})) {
        Journal.loadedCount = 0;
        Journal.loadedSize = kJournalHeaderSize;
    }
}

void PurgeJournal(const char* limit)
{
    RunGuarded([limit] {
        RewriteRecords(Backup::journalOld,
                       [limit](std::vector<JournalRecord>& records) { return PurgeRecords(records, limit); });
    });
    if (RefreshAfterChange)
        RefreshAfterChange();
}

void RemoveGatewayEntries(const char* name)
{
    RunGuarded([name] {
        RewriteRecords(Backup::none,
                       [name](std::vector<JournalRecord>& records) { return RemoveGatewayRecords(records, name); });
    });
}

void RemoveUserEntries(const char* name)
{
    RunGuarded([name] {
        RewriteRecords(Backup::none,
                       [name](std::vector<JournalRecord>& records) { return RemoveUserRecords(records, name); });
    });
    if (RefreshAfterChange)
        RefreshAfterChange();
}

void RenameGatewayEntries(const char* oldName, const char* newName)
{
    RunGuarded([=] {
        RewriteRecords(Backup::none, [=](std::vector<JournalRecord>& records) {
            return RenameGatewayRecords(records, oldName, newName);
        });
    });
}

void RenameUserEntries(std::span<const NameChange> changes)
{
    RunGuarded([changes] {
        RewriteRecords(Backup::none, [changes](std::vector<JournalRecord>& records) {
            return RenameUserRecords(records, changes);
        });
    });
}

void RenameUserEntries(const char* oldName, const char* newName)
{
    const NameChange change[] = {{oldName, newName}};
    RenameUserEntries(change);
}

void SetJournalRefresh(JournalRefresh refresh)
{
    RefreshAfterChange = refresh;
}
