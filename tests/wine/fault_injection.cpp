#include "tests/wine/fault_injection.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <set>

#include "tests/wine/test_support.h"

namespace {

// A write no longer than a sector goes to the disk whole or not at all.
constexpr uint64_t kSector = 512;

// Thrown through the console's code, as the end of its process.
struct ProcessStopped {};

const char* OperationName(FileOperation operation)
{
    switch (operation) {
    case FileOperation::create: return "create";
    case FileOperation::write:  return "write";
    case FileOperation::flush:  return "flush";
    case FileOperation::move:   return "move";
    case FileOperation::remove: return "remove";
    }
    return "?";
}

bool IsTorn(Interruption kind)
{
    return kind == Interruption::tornFailure || kind == Interruption::tornStop;
}

bool IsStop(Interruption kind)
{
    return kind == Interruption::stop || kind == Interruption::tornStop;
}

// Counts the operations of a run and interrupts the n-th.
struct Injector {
    Interruption kind = Interruption::failure;
    int n = 0;  // 0: count only
    int count = 0;
    bool reached = false;
    bool stopPending = false;
    bool stopped = false;
    int afterStop = 0;  // operations tried after the process ended: a fault of the test or of a destructor
    std::string what;
    std::vector<int> tearable;  // the operations that a torn kind can tear, counted in every run

    static FileOperationAnswer Before(void* context, FileOperation operation, const std::string& path,
                                      uint64_t bytes)
    {
        auto* self = static_cast<Injector*>(context);
        if (self->stopped) {
            ++self->afterStop;
            return FileOperationAnswer::fail;
        }
        if (self->stopPending) {
            self->stopped = true;
            throw ProcessStopped{};
        }
        ++self->count;
        if (operation == FileOperation::write && bytes > kSector)
            self->tearable.push_back(self->count);
        if (self->count != self->n)
            return FileOperationAnswer::proceed;
        self->what = std::string(OperationName(operation)) + " " + path +
                     (operation == FileOperation::write ? " (" + std::to_string(bytes) + " bytes)" : "");
        if (IsTorn(self->kind) && !(operation == FileOperation::write && bytes > kSector))
            return FileOperationAnswer::proceed;  // nothing there to tear
        self->reached = true;
        switch (self->kind) {
        case Interruption::failure:     return FileOperationAnswer::fail;
        case Interruption::tornFailure: return FileOperationAnswer::tear;
        case Interruption::stop:        self->stopPending = true; return FileOperationAnswer::proceed;
        case Interruption::tornStop:    self->stopPending = true; return FileOperationAnswer::tear;
        }
        return FileOperationAnswer::proceed;
    }
};

// Runs the save with the injector in the seam; true when the console reported a failure.
bool RunWith(Injector& injector, const std::function<bool()>& run)
{
    FileOperationSeam seam;
    seam.before = Injector::Before;
    seam.context = &injector;
    SetFileOperationSeamForTests(&seam);
    bool reported = false;
    try {
        reported = run();
    } catch (const ProcessStopped&) {
    }
    SetFileOperationSeamForTests(nullptr);
    return reported;
}

std::string Describe(const std::optional<std::vector<uint8_t>>* entry)
{
    if (!entry)
        return "absent";
    if (!entry->has_value())
        return "a directory";
    return std::to_string((*entry)->size()) + " bytes";
}

void CaptureInto(const std::string& root, const std::string& relative, TreeImage& image)
{
    WIN32_FIND_DATAA found;
    std::string dir = relative.empty() ? root : root + "\\" + relative;
    HANDLE search = FindFirstFileA((dir + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    std::vector<std::pair<std::string, bool>> entries;
    do {
        std::string name = found.cFileName;
        if (name != "." && name != "..")
            entries.emplace_back(name, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    for (const auto& [name, isDirectory] : entries) {
        std::string path = relative.empty() ? name : relative + "\\" + name;
        if (isDirectory) {
            image[path] = std::nullopt;
            CaptureInto(root, path, image);
        } else {
            image[path] = ReadBytes(root + "\\" + path);
        }
    }
}

}  // namespace

TreeImage CaptureTree(const std::string& dir)
{
    TreeImage image;
    CaptureInto(dir, "", image);
    return image;
}

const char* InterruptionName(Interruption kind)
{
    switch (kind) {
    case Interruption::failure:     return "failure";
    case Interruption::tornFailure: return "torn failure";
    case Interruption::stop:        return "stop";
    case Interruption::tornStop:    return "torn stop";
    }
    return "?";
}

int FaultCounts::Total() const
{
    int total = 0;
    for (const auto& [kind, n] : survived)
        total += n;
    return total;
}

void EmptyDirectory(const std::string& dir)
{
    RemoveTree(dir);
    CreateDirectoryA(dir.c_str(), nullptr);
}

// Every path of `now` holds what it held in `old` or in `fresh`; every path
// of either is in `now` as in one of them. Returns the number of failures added.
static int CheckOldOrNew(const TreeImage& old, const TreeImage& fresh, const TreeImage& now,
                         const SaveUnderTest& save, const std::string& context)
{
    std::set<std::string> paths;
    for (const TreeImage* image : {&old, &fresh, &now})
        for (const auto& entry : *image)
            paths.insert(entry.first);
    int failures = 0;
    for (const std::string& path : paths) {
        auto find = [&](const TreeImage& image) -> const std::optional<std::vector<uint8_t>>* {
            auto it = image.find(path);
            return it == image.end() ? nullptr : &it->second;
        };
        const auto* o = find(old);
        const auto* f = find(fresh);
        const auto* n = find(now);
        auto same = [&](const std::optional<std::vector<uint8_t>>* a, const std::optional<std::vector<uint8_t>>* b) {
            if (!a || !b)
                return a == b;
            if (a->has_value() != b->has_value())
                return false;
            if (save.unchecked && save.unchecked(path))
                return true;
            return !a->has_value() || **a == **b;
        };
        if (same(n, o) || same(n, f))
            continue;
        ++failures;
        ADD_FAILURE() << save.name << ", " << context << ": " << path << " is " << Describe(n) << ", neither its old "
                      << Describe(o) << " nor its new " << Describe(f);
    }
    return failures;
}

static bool IsComplete(const SaveUnderTest& save, const TreeImage& now, const TreeImage& fresh)
{
    if (save.complete)
        return save.complete(now, fresh);
    return now == fresh;
}

FaultCounts RunEveryInterruption(const std::string& dir, const SaveUnderTest& save,
                                 const std::function<void()>& finishInterruptedSaves)
{
    FaultCounts counts;
    EmptyDirectory(dir);
    save.prepare();
    TreeImage old = CaptureTree(dir);
    Injector clean;
    bool reportedClean = RunWith(clean, save.run);
    TreeImage fresh = CaptureTree(dir);
    counts.operations = clean.count;
    EXPECT_FALSE(reportedClean) << save.name << ": an uninterrupted run reported a failure";
    EXPECT_GT(clean.count, 0) << save.name << ": no file operation";
    if (save.alsoCheck)
        save.alsoCheck(FaultRun{}, fresh);

    std::vector<int> every;
    for (int n = 1; n <= clean.count + 1; ++n)
        every.push_back(n);
    for (Interruption kind : save.kinds) {
        int& survived = counts.survived[kind];
        // A torn kind only at the long writes of the uninterrupted run: at
        // any other operation it would be the uninterrupted run once more.
        for (int n : IsTorn(kind) ? clean.tearable : every) {
            EmptyDirectory(dir);
            save.prepare();
            Injector injector;
            injector.kind = kind;
            injector.n = n;
            bool reported = RunWith(injector, save.run);
            if (injector.count < n)
                break;  // the run completed before its n-th operation
            if (!injector.reached)
                continue;  // a torn kind at an operation that cannot tear
            FaultRun run{kind, n, true, injector.stopped || IsStop(kind), injector.what};
            std::string context = std::string(InterruptionName(kind)) + " at operation " + std::to_string(n) + " (" +
                                  injector.what + ")";
            EXPECT_EQ(injector.afterStop, 0) << save.name << ", " << context << ": operations after the stop";
            if (run.stopped) {
                // The next start of the console finishes what can be finished.
                finishInterruptedSaves();
            }
            TreeImage now = CaptureTree(dir);
            int failures = CheckOldOrNew(old, fresh, now, save, context);
            if (!run.stopped && !save.silent) {
                bool complete = IsComplete(save, now, fresh);
                if (complete == reported) {
                    ++failures;
                    ADD_FAILURE() << save.name << ", " << context << ": "
                                  << (complete ? "a failure was reported though the save completed"
                                               : "the save did not complete and nothing was reported");
                }
            }
            if (save.alsoCheck) {
                int before = ::testing::UnitTest::GetInstance()->current_test_info()->result()->total_part_count();
                save.alsoCheck(run, now);
                if (::testing::UnitTest::GetInstance()->current_test_info()->result()->total_part_count() != before)
                    ++failures;
            }
            if (failures == 0)
                ++survived;
        }
    }
    std::printf("[ faults   ] %s: %d operations; survived %d failures, %d torn failures, %d stops, %d torn stops\n",
                save.name.c_str(), counts.operations, counts.survived[Interruption::failure],
                counts.survived[Interruption::tornFailure], counts.survived[Interruption::stop],
                counts.survived[Interruption::tornStop]);
    std::fflush(stdout);
    return counts;
}
