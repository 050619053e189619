#include "base/file_io.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "tests/wine/fault_injection.h"
#include "tests/wine/test_support.h"

class FileIoTest : public ProgramDirTest {};

TEST_F(FileIoTest, ReplaceFileSafelyLeavesOnlyTheNewContent)
{
    std::string path = Path("\\reseau.dat");
    WriteBytes(path, std::vector<uint8_t>(5000, 0xAA));
    std::vector<uint8_t> fresh(300, 0x55);
    ASSERT_TRUE(ReplaceFileSafely(path, fresh));
    EXPECT_EQ(ReadBytes(path), fresh);
    EXPECT_FALSE(Exists(path + ".new"));
}

TEST_F(FileIoTest, ReplaceFileSafelyWritesInPlaceWhileAnotherProgramHoldsTheFile)
{
    std::string path = Path("\\reseau.dat");
    WriteBytes(path, std::vector<uint8_t>(5000, 0xAA));
    // As the server would: open, sharing reading and writing but not deletion.
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    std::vector<uint8_t> fresh(300, 0x55);
    EXPECT_TRUE(ReplaceFileSafely(path, fresh));
    CloseHandle(held);
    EXPECT_EQ(ReadBytes(path), fresh);
    EXPECT_FALSE(Exists(path + ".new"));
}

TEST_F(FileIoTest, ReadAndWriteAtOffsets)
{
    std::string path = Path("\\ActPass.dat");
    std::vector<uint8_t> image(152, 0);
    WriteBytes(path, image);
    const uint8_t record[3] = {1, 2, 3};
    ASSERT_TRUE(WriteFileAt(path, 133, record));
    uint8_t back[10] = {};
    EXPECT_EQ(ReadFileAt(path, 130, back), 10);
    EXPECT_EQ(back[3], 1);
    EXPECT_EQ(back[5], 3);
    uint8_t tail[40];
    EXPECT_EQ(ReadFileAt(path, 140, tail), 12);  // short read at the end
    EXPECT_EQ(ReadFileAt(Path("\\absent.dat"), 0, tail), -1);
    EXPECT_FALSE(WriteFileAt(Path("\\absent.dat"), 0, record));
    EXPECT_FALSE(Exists(Path("\\absent.dat")));
}

// The content of a replacement can be written piece by piece; when the place
// beside the file is taken, the caller says whether the file may then be
// written in place or must be left as it is.
TEST_F(FileIoTest, ReplaceFileSafelyWithoutRoomBesideWritesInPlaceOnlyWhenAllowed)
{
    std::string path = Path("\\Journal.dat");
    std::vector<uint8_t> old(5000, 0xAA);
    std::vector<uint8_t> head = {1, 2, 3}, body(700, 0x55);
    ContentWriter write = [&](File& file) { return file.Write(head) && file.Write(body); };
    std::vector<uint8_t> fresh = head;
    fresh.insert(fresh.end(), body.begin(), body.end());

    WriteBytes(path, old);
    ASSERT_TRUE(ReplaceFileSafely(path, write, NoRoomBeside::leaveAsItIs));
    EXPECT_EQ(ReadBytes(path), fresh);
    EXPECT_FALSE(Exists(path + ".new"));

    // The name beside it is held by a file nobody may open.
    HANDLE taken = CreateFileA((path + ".new").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(taken, INVALID_HANDLE_VALUE);
    struct Case { NoRoomBeside noRoom; bool replaced; } cases[] = {
        {NoRoomBeside::leaveAsItIs, false},
        {NoRoomBeside::writeInPlace, true},
    };
    for (const Case& c : cases) {
        WriteBytes(path, old);
        EXPECT_EQ(ReplaceFileSafely(path, write, c.noRoom), c.replaced) << c.replaced;
        EXPECT_EQ(ReadBytes(path), c.replaced ? fresh : old) << c.replaced;
    }
    CloseHandle(taken);
}

// A writer that fails leaves the file as it was and nothing beside it.
TEST_F(FileIoTest, ReplaceFileSafelyWhoseWriterFailsChangesNothing)
{
    std::string path = Path("\\reseau.dat");
    std::vector<uint8_t> old(5000, 0xAA);
    WriteBytes(path, old);
    ContentWriter failing = [](File& file) {
        file.Write(std::vector<uint8_t>(10, 1));
        return false;  // as a write cut short by a full disk
    };
    EXPECT_FALSE(ReplaceFileSafely(path, failing, NoRoomBeside::writeInPlace));
    EXPECT_EQ(ReadBytes(path), old);
    EXPECT_FALSE(Exists(path + ".new"));
}

// The journal's way: the caller holds the file against writers; the platform
// may refuse to replace a file that is open, and the content then goes in
// through the caller's handle, which is closed afterwards.
TEST_F(FileIoTest, ReplaceFileSafelyOfAHeldFileLeavesOnlyTheNewContent)
{
    std::string path = Path("\\Journal.dat");
    WriteBytes(path, std::vector<uint8_t>(5000, 0xAA));
    File held = HoldFileAgainstWriters(path, FileCreation::existing, 0);
    ASSERT_TRUE(held.ok());
    std::vector<uint8_t> fresh(300, 0x55);
    EXPECT_TRUE(ReplaceFileSafely(path, [&](File& file) { return file.Write(fresh); }, NoRoomBeside::leaveAsItIs,
                                  &held));
    EXPECT_FALSE(held.ok());
    EXPECT_EQ(ReadBytes(path), fresh);
    EXPECT_FALSE(Exists(path + ".new"));
}

// Holding a file keeps other writers out and lets readers in; a writer that
// is there first makes the hold wait for it, then give up.
TEST_F(FileIoTest, HoldingAFileKeepsWritersOutAndWaitsForTheOneInside)
{
    std::string path = Path("\\Journal.dat");
    WriteBytes(path, {1, 2, 3, 4});
    {
        File held = HoldFileAgainstWriters(path, FileCreation::existing, 0);
        ASSERT_TRUE(held.ok());
        EXPECT_TRUE(held.existed());
        File reader(path, FileAccess::read, FileCreation::existing);
        EXPECT_TRUE(reader.ok());
        File writer(path, FileAccess::readWrite, FileCreation::existing);
        EXPECT_FALSE(writer.ok());
        EXPECT_TRUE(writer.inUse());
        EXPECT_FALSE(writer.missing());
    }
    HANDLE inside = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(inside, INVALID_HANDLE_VALUE);
    DWORD start = GetTickCount();
    File held = HoldFileAgainstWriters(path, FileCreation::existing, 300);
    DWORD waited = GetTickCount() - start;
    CloseHandle(inside);
    EXPECT_FALSE(held.ok());
    EXPECT_TRUE(held.inUse());
    EXPECT_GE(waited, 300u);
    EXPECT_LT(waited, 5000u);
    EXPECT_TRUE(HoldFileAgainstWriters(path, FileCreation::existing, 300).ok()) << "free again";
}

TEST_F(FileIoTest, AnOpenTellsWhetherTheFileWasThereMissingOrInUse)
{
    std::string path = Path("\\ActUser.dat");
    File missing(path, FileAccess::read, FileCreation::existing);
    EXPECT_FALSE(missing.ok());
    EXPECT_TRUE(missing.missing());
    EXPECT_FALSE(missing.inUse());

    File created(path, FileAccess::readWrite, FileCreation::openAlways);
    ASSERT_TRUE(created.ok());
    EXPECT_FALSE(created.existed());
    ASSERT_TRUE(created.Write(std::vector<uint8_t>{7, 8, 9}));
    EXPECT_EQ(created.Size(), std::optional<uint64_t>(3));
    ASSERT_TRUE(created.Close());

    File again(path, FileAccess::readWrite, FileCreation::openAlways);
    EXPECT_TRUE(again.existed());
    File notNew(path, FileAccess::write, FileCreation::createNew);
    EXPECT_FALSE(notNew.ok());
    EXPECT_FALSE(notNew.missing());
    std::vector<uint8_t> back(10);
    ASSERT_TRUE(again.Seek(1));
    EXPECT_EQ(again.Read(back), 2);
    EXPECT_EQ(back[0], 8);
    EXPECT_EQ(back[1], 9);
}

// "Missing" is only a path that is not there; a path whose attributes cannot
// be read for another reason may hold a file.
TEST_F(FileIoTest, APathIsMissingOnlyWhenNotFound)
{
    WriteBytes(Path("\\reseau.dat"), {1});
    CreateDirectoryA(Path("\\pass0").c_str(), nullptr);
    struct Case { std::string path; PathState state; } cases[] = {
        {Path("\\reseau.dat"), PathState::file},
        {Path("\\pass0"), PathState::directory},
        {Path("\\absent.dat"), PathState::missing},
        {Path("\\absent\\reseau.dat"), PathState::missing},
        {Path("\\bad<name>.dat"), PathState::unknown},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ExaminePath(c.path), c.state) << c.path;
}

// Creation never replaces what is there, and leaves nothing half-made.
TEST_F(FileIoTest, CreatingANewFileNeverReplacesOne)
{
    std::string path = Path("\\ActUser.dat");
    std::vector<uint8_t> zeros(3000, 0);
    ASSERT_TRUE(CreateNewFileSafely(path, zeros));
    EXPECT_EQ(ReadBytes(path), zeros);
    std::vector<uint8_t> theirs = {1, 2, 3};
    WriteBytes(path, theirs);
    EXPECT_FALSE(CreateNewFileSafely(path, zeros));
    EXPECT_EQ(ReadBytes(path), theirs);
    // A file that exists but cannot be opened is not missing either.
    HANDLE locked = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(CreateNewFileSafely(path, zeros));
    CloseHandle(locked);
    EXPECT_EQ(ReadBytes(path), theirs);
    EXPECT_FALSE(Exists(path + ".new"));
}

// What the seam answers is what the platform would have done; a torn write
// puts the first half of its bytes.
TEST_F(FileIoTest, TheSeamFailsOrTearsTheOperationsItIsAskedTo)
{
    struct Gate {
        std::vector<std::pair<FileOperation, std::string>> seen;
        FileOperationAnswer answer = FileOperationAnswer::proceed;
        static FileOperationAnswer Before(void* context, FileOperation operation, const std::string& path, uint64_t)
        {
            auto* self = static_cast<Gate*>(context);
            self->seen.emplace_back(operation, path);
            return self->answer;
        }
    } gate;
    FileOperationSeam seam{Gate::Before, &gate};
    SetFileOperationSeamForTests(&seam);
    std::string path = Path("\\admin.dat");
    {
        File file(path, FileAccess::write, FileCreation::createAlways);
        ASSERT_TRUE(file.ok());
        gate.answer = FileOperationAnswer::tear;
        EXPECT_FALSE(file.Write(std::vector<uint8_t>(10, 7)));
        gate.answer = FileOperationAnswer::fail;
        EXPECT_FALSE(file.Flush());
        EXPECT_FALSE(file.EndHere());
    }
    EXPECT_FALSE(RemoveFile(path));
    EXPECT_FALSE(MakeDirectory(Path("\\pass1")));
    EXPECT_FALSE(MovePath(path, Path("\\moved.dat")));
    File refused(path, FileAccess::readWrite, FileCreation::existing);
    EXPECT_FALSE(refused.ok());
    EXPECT_FALSE(refused.missing());
    File reader(path, FileAccess::read, FileCreation::existing);  // reading changes nothing: not asked
    EXPECT_TRUE(reader.ok());
    SetFileOperationSeamForTests(nullptr);

    EXPECT_EQ(ReadBytes(path), std::vector<uint8_t>(5, 7));
    EXPECT_FALSE(DirExists(Path("\\pass1")));
    std::vector<FileOperation> kinds;
    for (const auto& [operation, where] : gate.seen)
        kinds.push_back(operation);
    EXPECT_EQ(kinds, (std::vector<FileOperation>{FileOperation::create, FileOperation::write, FileOperation::flush,
                                                 FileOperation::write, FileOperation::remove, FileOperation::create,
                                                 FileOperation::move, FileOperation::create}));
}

// A write in place cut short by the end of the process leaves the complete
// copy beside the file; the next start puts it in place. Beside files of
// replacements that never got that far are removed; other files stay.
TEST_F(FileIoTest, AnInterruptedWriteInPlaceIsFinishedAtTheNextStart)
{
    std::string journal = Path("\\Journal.dat");
    std::vector<uint8_t> fresh(4000, 0x55);
    std::vector<uint8_t> mixed(3000, 0xAA);
    std::fill(mixed.begin(), mixed.begin() + 1000, 0x55);  // the new content, cut short
    WriteBytes(journal, mixed);
    WriteBytes(journal + ".whole", fresh);
    WriteBytes(Path("\\reseau.dat.new"), {1, 2});
    WriteBytes(Path("\\notes.new"), {3});
    WriteBytes(Path("\\admin.dat"), {4});
    FinishInterruptedReplacements(Dir());
    EXPECT_EQ(ReadBytes(journal), fresh);
    EXPECT_FALSE(Exists(journal + ".whole"));
    EXPECT_FALSE(Exists(Path("\\reseau.dat.new")));
    EXPECT_TRUE(Exists(Path("\\notes.new")));
    EXPECT_EQ(ReadBytes(Path("\\admin.dat")), std::vector<uint8_t>{4});

    // The same while another program holds the file: the copy goes in place.
    WriteBytes(journal, std::vector<uint8_t>(3000, 0xAA));
    WriteBytes(journal + ".whole", fresh);
    HANDLE held = CreateFileA(journal.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(FinishInterruptedReplacement(journal));
    CloseHandle(held);
    EXPECT_EQ(ReadBytes(journal), fresh);
    EXPECT_FALSE(Exists(journal + ".whole"));
}

// The replacement of a file, by name or, while another program holds it, in
// place, against a failure or the end of the process at each operation.
TEST_F(FileIoTest, EveryReplacementIsOldOrNewWhateverHappens)
{
    std::vector<uint8_t> old(3000, 0xAA), fresh(5000, 0x55);
    std::string path = Path("\\reseau.dat");
    auto finish = [&] { FinishInterruptedReplacements(Dir()); };
    int byName = 0;
    for (bool held : {false, true}) {
        HANDLE holder = INVALID_HANDLE_VALUE;
        SaveUnderTest save;
        save.name = held ? "a file held by another program" : "a file";
        save.prepare = [&] { WriteBytes(path, old); };
        save.run = [&] {
            if (held)
                holder = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, 0, nullptr);
            bool replaced = ReplaceFileSafely(path, fresh);
            if (holder != INVALID_HANDLE_VALUE)
                CloseHandle(std::exchange(holder, INVALID_HANDLE_VALUE));
            return !replaced;
        };
        FaultCounts counts = RunEveryInterruption(Dir(), save, [&] {
            if (holder != INVALID_HANDLE_VALUE)
                CloseHandle(std::exchange(holder, INVALID_HANDLE_VALUE));
            finish();
        });
        EXPECT_EQ(counts.survived[Interruption::failure], counts.operations);
        EXPECT_EQ(counts.survived[Interruption::stop], counts.operations);
        if (held) {
            EXPECT_GT(counts.operations, byName) << "the content went in place";
        }
        byName = counts.operations;
    }
}

TEST_F(FileIoTest, ReplaceFileWholeNeverWritesIntoTheFileItself)
{
    const std::vector<uint8_t> old(5000, 0xAA);
    const std::vector<uint8_t> fresh(300, 0x55);
    // Files beside the target that are not ours to touch.
    const std::vector<uint8_t> neighbour = {'n', 'o', 't', ' ', 'o', 'u', 'r', 's'};
    WriteBytes(Path("\\journal.txt.new"), neighbour);
    WriteBytes(Path("\\jrn1.tmp"), neighbour);
    struct Case {
        const char* name;
        const char* file;
        bool exists, readOnly, held, replaced;
    } cases[] = {
        {"a new file", "\\nouveau.txt", false, false, false, true},
        {"an existing file, longer", "\\journal.txt", true, false, false, true},
        {"a read-only file", "\\lecture.txt", true, true, false, false},
        {"a file held without letting it go", "\\tenu.txt", true, false, true, false},
        {"a folder that does not exist", "\\absent\\journal.txt", false, false, false, false},
    };
    for (const Case& c : cases) {
        std::string path = Path(c.file);
        if (c.exists)
            WriteBytes(path, old);
        if (c.readOnly)
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
        HANDLE held = c.held ? CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)
                             : INVALID_HANDLE_VALUE;
        EXPECT_EQ(ReplaceFileWhole(path, fresh), c.replaced) << c.name;
        if (held != INVALID_HANDLE_VALUE)
            CloseHandle(held);
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (c.replaced)
            EXPECT_EQ(ReadBytes(path), fresh) << c.name;
        else if (c.exists)
            EXPECT_EQ(ReadBytes(path), old) << c.name << ": as it was";
        else
            EXPECT_FALSE(Exists(path)) << c.name;
    }
    EXPECT_EQ(ReadBytes(Path("\\journal.txt.new")), neighbour);
    EXPECT_EQ(ReadBytes(Path("\\jrn1.tmp")), neighbour);
    // Nothing left beside: the four files the cases leave, the two neighbours.
    int files = 0;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(Path("\\*").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    do {
        files += !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    EXPECT_EQ(files, 6);
}
