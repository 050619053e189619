#include "journal/journal_file.h"

#include <windows.h>

#include <algorithm>
#include <initializer_list>
#include <new>
#include <span>
#include <string>
#include <utility>

#include "journal/journal_edit.h"
#include "journal/journal_image.h"
#include "journal/journal_view.h"
#include "base/le_bytes.h"
#include "base/program_dir.h"

JournalTable Journal;

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// While the console rewrites the file, others may read it but not write it.
constexpr DWORD kKeepWritersOut = FILE_SHARE_READ | FILE_SHARE_DELETE;
// The server holds the file for the length of one append; a writer that
// keeps it longer than this is not the server, and the rewrite gives up.
constexpr DWORD kWriterWaitMs = 3000;
// Records go through a buffer of about a megabyte, never the whole file at once.
constexpr size_t kChunkRecords = 2048;

struct FileHandle {
    HANDLE h;
    explicit FileHandle(HANDLE handle = INVALID_HANDLE_VALUE) : h(handle) {}
    ~FileHandle() { Close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool ok() const { return h != INVALID_HANDLE_VALUE; }
    void Close()
    {
        if (ok())
            CloseHandle(h);
        h = INVALID_HANDLE_VALUE;
    }
};

std::string JournalPath()
{
    return ProgramPath("\\Journal.dat");
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

bool SeekTo(HANDLE file, uint64_t offset)
{
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(file, to, nullptr, FILE_BEGIN) != 0;
}

uint64_t FileSize(HANDLE file)
{
    LARGE_INTEGER size;
    return GetFileSizeEx(file, &size) ? static_cast<uint64_t>(size.QuadPart) : 0;
}

// The number of bytes read, fewer at the end of the file or on an error.
size_t ReadBytes(HANDLE file, uint8_t* out, size_t size)
{
    size_t total = 0;
    while (total < size) {
        DWORD got = 0;
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(size - total, 1u << 30));
        if (!ReadFile(file, out + total, chunk, &got, nullptr) || got == 0)
            break;
        total += got;
    }
    return total;
}

bool WriteBytes(HANDLE file, const uint8_t* bytes, size_t size)
{
    while (size > 0) {
        DWORD written = 0;
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
        if (!WriteFile(file, bytes, chunk, &written, nullptr) || written == 0)
            return false;
        bytes += written;
        size -= written;
    }
    return true;
}

// Room for `more` records. Memory the process already holds fills many times
// faster than fresh memory, so the table's storage serves from load to load.
// When an empty table must grow, or has far more room than it needs, its old
// block goes before the new one is taken, so that memory never holds two; the
// new block keeps room for the records of the next few loads.
void MakeRoom(std::vector<JournalRecord>& records, size_t more)
{
    size_t needed = records.size() + more;
    bool tooSmall = needed > records.capacity();
    bool tooLarge = records.capacity() > needed + needed / 2 + kChunkRecords;
    if (records.empty() && (tooSmall || tooLarge)) {
        std::vector<JournalRecord>().swap(records);
        records.reserve(needed + needed / 16);
    } else if (tooSmall) {
        records.reserve(needed);
    }
}

// Reads the records that follow the file position. Each chunk read also goes
// to `copy` when it is open; a failed copy is closed and forgotten. Stops at
// the first record cut short.
void ReadRecords(HANDLE file, size_t wanted, std::vector<JournalRecord>& records, FileHandle& copy)
{
    std::vector<uint8_t> buffer(std::min(wanted, kChunkRecords) * kJournalRecordSize);
    MakeRoom(records, wanted);
    while (wanted > 0) {
        size_t n = std::min(wanted, kChunkRecords);
        size_t got = ReadBytes(file, buffer.data(), n * kJournalRecordSize);
        if (copy.ok() && !WriteBytes(copy.h, buffer.data(), got))
            copy.Close();
        for (size_t at = 0; at + kJournalRecordSize <= got; at += kJournalRecordSize) {
            records.emplace_back();
            ParseJournalRecord(std::span<const uint8_t>(buffer.data() + at, kJournalRecordSize), records.back());
        }
        if (got < n * kJournalRecordSize)
            return;
        wanted -= n;
    }
}

// Reads the whole file from its start. The bytes after the records are kept
// only when asked for; they are always copied.
bool ReadContent(HANDLE file, bool keepTail, FileHandle& copy, JournalContent& content)
{
    uint64_t size = FileSize(file);
    content.fileSize = size;
    if (!SeekTo(file, 0))
        return false;
    content.head.resize(static_cast<size_t>(std::min<uint64_t>(size, kJournalHeaderSize)));
    if (ReadBytes(file, content.head.data(), content.head.size()) != content.head.size())
        return false;
    if (copy.ok() && !WriteBytes(copy.h, content.head.data(), content.head.size()))
        copy.Close();
    size_t held = static_cast<size_t>(RecordsHeld(size, ReadJournalCount(content.head)));
    ReadRecords(file, held, content.records, copy);
    if (content.records.size() != held)
        return false;
    uint64_t rest = size - content.head.size() - held * kJournalRecordSize;
    std::vector<uint8_t> buffer(static_cast<size_t>(std::min<uint64_t>(rest, kChunkRecords * kJournalRecordSize)));
    while (rest > 0) {
        size_t n = static_cast<size_t>(std::min<uint64_t>(rest, buffer.size()));
        if (ReadBytes(file, buffer.data(), n) != n)
            return false;
        if (copy.ok() && !WriteBytes(copy.h, buffer.data(), n))
            copy.Close();
        if (keepTail)
            content.tail.insert(content.tail.end(), buffer.begin(), buffer.begin() + static_cast<ptrdiff_t>(n));
        rest -= n;
    }
    return true;
}

// Writes the head, the records of each span in turn and the tail from the
// start of the file, and ends the file there.
bool WriteContent(HANDLE file, std::span<const uint8_t> head,
                  std::initializer_list<std::span<const JournalRecord>> parts, std::span<const uint8_t> tail)
{
    if (!SeekTo(file, 0) || !WriteBytes(file, head.data(), head.size()))
        return false;
    std::vector<uint8_t> buffer(kChunkRecords * kJournalRecordSize);
    for (std::span<const JournalRecord> records : parts) {
        while (!records.empty()) {
            size_t n = std::min(records.size(), kChunkRecords);
            for (size_t i = 0; i < n; ++i)
                WriteJournalRecord(records[i], std::span<uint8_t, kJournalRecordSize>(
                                                   buffer.data() + i * kJournalRecordSize, kJournalRecordSize));
            if (!WriteBytes(file, buffer.data(), n * kJournalRecordSize))
                return false;
            records = records.subspan(n);
        }
    }
    return WriteBytes(file, tail.data(), tail.size()) && SetEndOfFile(file);
}

// Opens the journal for a rewrite, keeping other writers out. Waits while the
// server holds it for an append.
HANDLE OpenJournalAlone(DWORD disposition, bool* existed)
{
    std::string path = JournalPath();
    DWORD start = GetTickCount();
    for (;;) {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, kKeepWritersOut, nullptr, disposition,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD error = GetLastError();
        if (file != INVALID_HANDLE_VALUE) {
            *existed = disposition != OPEN_ALWAYS || error == ERROR_ALREADY_EXISTS;
            return file;
        }
        if ((error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION) || GetTickCount() - start > kWriterWaitMs) {
            SetLastError(error);
            return INVALID_HANDLE_VALUE;
        }
        Sleep(1);
    }
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
    FileHandle file(CreateFileA(JournalPath().c_str(), GENERIC_WRITE, kShareAll, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.ok() && WriteBytes(file.h, EncodeCount(0).data(), kJournalHeaderSize)) {
        Journal.loadedCount = 0;
        Journal.loadedSize = kJournalHeaderSize;
    }
}

// Reads the records the file holds, as it stands, without keeping the server
// out: nothing is written.
void ReadJournal()
{
    FileHandle file(CreateFileA(JournalPath().c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.ok()) {
        // Only a missing file is created: one that is there but cannot be
        // opened now (locked, not readable) keeps its records.
        DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND)
            CreateMissingJournal();
        return;
    }
    std::vector<JournalRecord> records = TakeRecords();
    uint8_t head[kJournalHeaderSize] = {};
    size_t got = ReadBytes(file.h, head, sizeof head);
    // The length is taken after the count: the server writes a record before
    // the count that announces it.
    uint64_t size = FileSize(file.h);
    FileHandle noCopy;
    ReadRecords(file.h, static_cast<size_t>(RecordsHeld(size, ReadJournalCount({head, got}))), records, noCopy);
    InstallRecords(std::move(records), size);
}

// Puts new content in the place of the file held by `file`: whole beside it
// first, so that a write that fails part-way leaves the old file as it was,
// then in place. The platform does not replace a file that is open, even by
// us, so the content normally goes in through the handle that keeps the
// server out; once that is done the copy beside it goes. When nothing can be
// written beside it, nothing is written at all.
bool PutContent(FileHandle& file, std::span<const uint8_t> head,
                std::initializer_list<std::span<const JournalRecord>> parts, std::span<const uint8_t> tail)
{
    std::string path = JournalPath();
    std::string beside = path + ".new";
    {
        FileHandle fresh(CreateFileA(beside.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                     nullptr));
        if (!fresh.ok())
            return false;
        if (!WriteContent(fresh.h, head, parts, tail)) {
            fresh.Close();
            DeleteFileA(beside.c_str());
            return false;
        }
    }
    if (MoveFileExA(beside.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING))
        return true;
    if (WriteContent(file.h, head, parts, tail)) {
        file.Close();
        DeleteFileA(beside.c_str());
        return true;
    }
    // Cut short in place: the whole content beside it takes the file's name,
    // or stays there for a person to recover.
    file.Close();
    return MoveFileExA(beside.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

// The purge's backup already holds the previous content whole: the new one
// goes straight in place, and a write cut short puts the backup back.
bool PutContentOverBackup(FileHandle& file, std::span<const uint8_t> head,
                          std::initializer_list<std::span<const JournalRecord>> parts, std::span<const uint8_t> tail)
{
    if (WriteContent(file.h, head, parts, tail))
        return true;
    file.Close();
    CopyFileA(ProgramPath("\\Journal.old").c_str(), JournalPath().c_str(), FALSE);
    return false;
}

enum class Backup { none, journalOld };

// Runs `edit` over the file as it stands, the server's appends kept out from
// the read to the end of the write. The edit gives the new content and says
// whether its records changed; the file is written only when its bytes would
// change. Journal is then the file as it stands. False when the file could not
// be rewritten.
template <typename Edit>
bool RewriteJournal(DWORD disposition, Backup backup, bool keepTail, Edit edit)
{
    bool existed = false;
    FileHandle file(OpenJournalAlone(disposition, &existed));
    if (!file.ok())
        return false;
    JournalContent content;
    content.records = TakeRecords();
    // The copy of the file as read goes beside the backup first: it becomes
    // the backup only when the file is rewritten, so that a purge that
    // removes nothing keeps the backup of the last one that did.
    std::string backupPath = ProgramPath("\\Journal.old");
    std::string copyPath = backupPath + ".new";
    bool read, copied;
    {
        FileHandle copy;
        if (backup == Backup::journalOld && existed)
            copy.h = CreateFileA(copyPath.c_str(), GENERIC_WRITE, kShareAll, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
        bool opened = copy.ok();
        read = ReadContent(file.h, keepTail, copy, content);
        copied = read && copy.ok() && CloseHandle(std::exchange(copy.h, INVALID_HANDLE_VALUE));
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
    RewriteJournal(OPEN_ALWAYS, backup, false, [&](JournalContent& content) {
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
        bool rewritten = RewriteJournal(OPEN_EXISTING, Backup::none, true, [](JournalContent& content) {
            return FixTwoDigitYears(content.records) > 0;
        });
        if (!rewritten)
            ReadJournal();
    });
}

void SaveJournal()
{
    RunGuarded([] {
        bool existed = false;
        FileHandle file(OpenJournalAlone(OPEN_ALWAYS, &existed));
        if (!file.ok())
            return;
        // The records appended since the table was read follow it.
        uint8_t head[kJournalHeaderSize] = {};
        size_t got = ReadBytes(file.h, head, sizeof head);
        size_t held = static_cast<size_t>(RecordsHeld(FileSize(file.h), ReadJournalCount({head, got})));
        std::vector<JournalRecord> appended;
        FileHandle noCopy;
        size_t from = static_cast<size_t>(Journal.loadedCount);
        if (held > from && SeekTo(file.h, JournalRecordOffset(from)))
            ReadRecords(file.h, held - from, appended, noCopy);
        std::vector<uint8_t> count = EncodeCount(Journal.records.size() + appended.size());
        if (!PutContent(file, count, {Journal.records, appended}, {}))
            return;
        std::vector<JournalRecord> records = std::move(Journal.records);
        records.insert(records.end(), appended.begin(), appended.end());
        InstallRecords(std::move(records), JournalRecordOffset(records.size()));
    });
}

void CreateEmptyJournal()
{
    bool existed = false;
    FileHandle file(OpenJournalAlone(OPEN_ALWAYS, &existed));
    if (file.ok() && WriteContent(file.h, EncodeCount(0), {}, {})) {
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
    RefreshJournalView();
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
    RefreshJournalView();
}

void RenameGatewayEntries(const char* oldName, const char* newName)
{
    RunGuarded([=] {
        RewriteRecords(Backup::none, [=](std::vector<JournalRecord>& records) {
            return RenameGatewayRecords(records, oldName, newName);
        });
    });
}

void RenameUserEntries(const char* oldName, const char* newName)
{
    RunGuarded([=] {
        RewriteRecords(Backup::none, [=](std::vector<JournalRecord>& records) {
            return RenameUserRecords(records, oldName, newName);
        });
    });
}

void RenameUsersEntries(std::span<const NameChange> changes)
{
    RunGuarded([changes] {
        RewriteRecords(Backup::none, [changes](std::vector<JournalRecord>& records) {
            return RenameUsersRecords(records, changes);
        });
    });
}
