#include "journal/journal_file.h"

#include <windows.h>

#include <algorithm>
#include <initializer_list>
#include <new>
#include <span>
#include <string>
#include <utility>

#include "base/file_io.h"
#include "base/le_bytes.h"
#include "base/modal_seam.h"
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

// Reads the whole file from its start: the count, the records it announces
// and holds, and what follows them.
bool ReadContent(File& file, JournalContent& content)
{
    uint64_t size = file.Size().value_or(0);
    content.fileSize = size;
    if (!file.Seek(0))
        return false;
    content.head.resize(static_cast<size_t>(std::min<uint64_t>(size, kJournalHeaderSize)));
    if (ReadBytes(file, content.head) != content.head.size())
        return false;
    size_t held = static_cast<size_t>(RecordsHeld(size, ReadJournalCount(content.head)));
    ReadJournalRecords(file, held, content.records);
    if (content.records.size() != held)
        return false;
    uint64_t rest = size - content.head.size() - held * kJournalRecordSize;
    content.tail.resize(static_cast<size_t>(rest));
    return ReadBytes(file, content.tail) == content.tail.size();
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

void ReportJournalBusy()
{
    ShowMessageBox(GetActiveWindow(), "Le journal des appels est utilisé par un autre programme : il n'a pas pu être modifié.",
                   "Attention", MB_OK | MB_ICONEXCLAMATION);
}

void ReportJournalNotWritten()
{
    ShowMessageBox(GetActiveWindow(), "Le journal des appels n'a pas pu être enregistré : il est resté tel qu'il était.",
                   "Attention", MB_OK | MB_ICONEXCLAMATION);
}

void ReportJournalNotBackedUp()
{
    ShowMessageBox(GetActiveWindow(),
                   "Le journal des appels n'a pas pu être copié dans Journal.old : il n'a pas été purgé.", "Attention",
                   MB_OK | MB_ICONEXCLAMATION);
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

enum class Backup { none, journalOld };

// Writes the file as it was read, whole, beside "Journal.old"; false, with
// nothing left there, when it cannot. It becomes the backup only when the
// file is rewritten (TakeBackup), so that a purge that removes nothing keeps
// the backup of the last one that did.
bool WriteBackupBeside(const JournalContent& content)
{
    std::string beside = BackupPath() + ".new";
    File copy(beside, FileAccess::write, FileCreation::createAlways, FileSharing::nothing);
    bool whole = copy.ok() && copy.Write(content.head) && WriteJournalRecords(copy, content.records) &&
                 copy.Write(content.tail) && copy.Flush();
    if (copy.Close() && whole)
        return true;
    RemoveFile(beside);
    return false;
}

bool TakeBackup()
{
    std::string beside = BackupPath() + ".new";
    if (MoveFileOver(beside, BackupPath()))
        return true;
    RemoveFile(beside);
    return false;
}

// What a rewrite came to.
enum class Rewrite { written, notHeld, notWritten, notBackedUp };

// Runs `edit` over the file held by `file`, the server's appends kept out
// from the read to the end of the write. The edit gives the new content and
// says whether its records changed; the file is written only when its bytes
// would change. Journal is then the file as it stands.
template <typename Edit>
Rewrite RewriteHeldJournal(File& file, Backup backup, Edit edit)
{
    bool existed = file.existed();
    JournalContent content;
    content.records = TakeRecords();
    if (!ReadContent(file, content)) {
        file.Close();
        ReadJournal();
        return Rewrite::notWritten;
    }
    // The records a purge removes are kept nowhere else: without a complete
    // backup, nothing is purged.
    bool backedUp = backup == Backup::journalOld && existed;
    if (backedUp && !WriteBackupBeside(content)) {
        file.Close();
        ReadJournal();
        return Rewrite::notBackedUp;
    }
    std::vector<uint8_t> oldHead = content.head;
    uint64_t oldSize = content.Size();
    bool recordsChanged = edit(content);
    bool unchanged = !recordsChanged && existed && content.head == oldHead && content.Size() == oldSize;
    if (backedUp && unchanged)
        RemoveFile(BackupPath() + ".new");
    if (backedUp && !unchanged && !TakeBackup()) {
        file.Close();
        ReadJournal();
        return Rewrite::notBackedUp;
    }
    if (!unchanged && !PutContent(file, content.head, {content.records}, content.tail)) {
        file.Close();
        ReadJournal();
        return Rewrite::notWritten;
    }
    InstallRecords(std::move(content.records), content.Size());
    return Rewrite::written;
}

// The same, holding the file for the length of the rewrite. A journal that
// cannot be held or written is reported to the administrator.
template <typename Edit>
Rewrite RewriteJournal(FileCreation creation, Backup backup, Edit edit)
{
    File file = OpenJournalAlone(creation);
    if (!file.ok()) {
        if (file.missing())
            return Rewrite::notHeld;  // nothing to rewrite
        ReportJournalBusy();
        return Rewrite::notHeld;
    }
    Rewrite done = RewriteHeldJournal(file, backup, edit);
    if (done == Rewrite::notWritten)
        ReportJournalNotWritten();
    if (done == Rewrite::notBackedUp)
        ReportJournalNotBackedUp();
    return done;
}

// Purge, removal and renaming write a count that matches the records and
// drop what follows them (a record cut short, records no count announces).
// The edit gives the number of records it removed or renamed.
template <typename Edit>
bool EditRecords(JournalContent& content, Edit edit)
{
    bool changed = edit(content.records) > 0;
    content.head = EncodeCount(content.records.size());
    content.tail.clear();
    return changed;
}

template <typename Edit>
void RewriteRecords(Backup backup, Edit edit)
{
    RewriteJournal(FileCreation::openAlways, backup,
                   [&](JournalContent& content) { return EditRecords(content, edit); });
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
        // Read as any load, sharing the file; held against the server only
        // when there are dates to convert. The file keeps its count and
        // whatever follows its records; only the dates change.
        ReadJournal();
        if (!std::any_of(Journal.records.begin(), Journal.records.end(), HasTwoDigitYear))
            return;
        RewriteJournal(FileCreation::existing, Backup::none,
                       [](JournalContent& content) { return FixTwoDigitYears(content.records) > 0; });
    });
}

void SaveJournal()
{
    RunGuarded([] {
        File file = OpenJournalAlone(FileCreation::openAlways);
        if (!file.ok()) {
            ReportJournalBusy();
            return;
        }
        // The records appended since the table was read follow it.
        uint8_t head[kJournalHeaderSize] = {};
        size_t got = ReadBytes(file, head);
        size_t held = static_cast<size_t>(RecordsHeld(file.Size().value_or(0), ReadJournalCount({head, got})));
        std::vector<JournalRecord> appended;
        size_t from = static_cast<size_t>(Journal.loadedCount);
        if (held > from && file.Seek(JournalRecordAt(from)))
            ReadJournalRecords(file, held - from, appended);
        std::vector<uint8_t> count = EncodeCount(Journal.records.size() + appended.size());
        if (!PutContent(file, count, {Journal.records, appended}, {})) {
            ReportJournalNotWritten();
            return;
        }
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

JournalHold HoldJournal()
{
    JournalHold hold;
    hold.file_ = OpenJournalAlone(FileCreation::openAlways);
    return hold;
}

bool EditUserEntries(JournalHold& hold, std::span<const std::string> removed, std::span<const NameChange> renamed)
{
    if (!hold.ok())
        return false;
    bool written = false;
    RunGuarded([&] {
        written = RewriteHeldJournal(hold.file_, Backup::none, [&](JournalContent& content) {
            return EditRecords(content, [&](std::vector<JournalRecord>& records) {
                size_t changed = 0;
                for (const std::string& name : removed)
                    changed += RemoveUserRecords(records, name);
                return changed + RenameUserRecords(records, renamed);
            });
        }) == Rewrite::written;
    });
    hold.file_.Close();
    if (written && !removed.empty() && RefreshAfterChange)
        RefreshAfterChange();
    return written;
}

void SetJournalRefresh(JournalRefresh refresh)
{
    RefreshAfterChange = refresh;
}
