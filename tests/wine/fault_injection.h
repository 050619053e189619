// Every save of the console run against a failure, or the end of the
// process, at each of its file operations in turn (base/file_io.h's seam).
//
// A save is run once without interference to learn its new content; then,
// for n = 1, 2, ... until a run completes without reaching its n-th
// operation, it is run again from the old content with the n-th operation
// failing, with it torn (a write of more than one sector puts half its bytes,
// then fails), and with the process stopped after it (and, after a write of
// more than one sector, stopped in its middle). A stopped run is followed by
// what the next start of the console does first (FinishInterruptedSaves).
// After each run every file of the directory must hold its old content or its
// new content, byte for byte, or be absent when its old or new state is.
#pragma once
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/file_io.h"

// Every file and directory under a directory, by path relative to it ("a\\b"),
// read with the platform's calls, not the console's. A directory's entry has
// no bytes.
using TreeImage = std::map<std::string, std::optional<std::vector<uint8_t>>>;
TreeImage CaptureTree(const std::string& dir);

// How one run was interrupted.
enum class Interruption {
    failure,      // the n-th operation fails, the console goes on
    tornFailure,  // the n-th operation, a write of more than one sector, puts half, then fails
    stop,         // the process ends after the n-th operation
    tornStop,     // the process ends in the middle of the n-th operation, a write of more than one sector
};
const char* InterruptionName(Interruption kind);

// What one run came to.
struct FaultRun {
    Interruption kind = Interruption::failure;
    int n = 0;
    bool reached = false;  // the run came to its n-th operation (a torn kind: and it was a long write)
    bool stopped = false;  // the process stopped
    std::string operation;  // the n-th operation and its path, for messages
};

// What a test of one kind of save supplies.
struct SaveUnderTest {
    std::string name;
    // Puts the old content in place (the directory is empty before).
    std::function<void()> prepare;
    // Runs the save. Returns what the console told: true when it reported a
    // failure (a message, or a result its caller reports).
    std::function<bool()> run;
    // Whether the directory as it stands is the save's complete result, for
    // the check of the report: a run that does not complete must report.
    // Defaults to "every file holds its new content".
    std::function<bool(const TreeImage& now, const TreeImage& fresh)> complete;
    // Paths, relative to the directory, whose content is not checked (other
    // than that they exist or not as in the old or the new state).
    std::function<bool(const std::string& path)> unchecked;
    // The save tells nobody of a failure (the platform's own silence, kept by
    // design): only old-or-new is checked, not the report.
    bool silent = false;
    // Each interruption kind tried; all four by default.
    std::vector<Interruption> kinds = {Interruption::failure, Interruption::tornFailure, Interruption::stop,
                                       Interruption::tornStop};
    // What must be true after any run (besides old-or-new), and after a
    // completed one; empty when nothing more is checked. They add failures.
    std::function<void(const FaultRun& run, const TreeImage& now)> alsoCheck;
};

// The counts of runs survived, by kind, for one save.
struct FaultCounts {
    int operations = 0;  // of an uninterrupted run
    std::map<Interruption, int> survived;
    int Total() const;
};

// Runs every interruption of `save` in `dir` (emptied before each run) and
// checks each; adds a test failure for every file neither old nor new, every
// leftover, every report missing or wrongly made. Prints the counts.
FaultCounts RunEveryInterruption(const std::string& dir, const SaveUnderTest& save,
                                 const std::function<void()>& finishInterruptedSaves);

// Empties a directory, keeping it.
void EmptyDirectory(const std::string& dir);
