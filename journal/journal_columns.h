// The seven columns of the journal: their titles, header commands and widths,
// shared by the pane, the printout and the export. No platform.
#pragma once
#include <array>
#include <string_view>

#include "journal/journal_record.h"

constexpr int kJournalColumnCount = 7;

// The header commands, which are also the values of the sort setting.
constexpr int kSortByLine = 5;
constexpr int kSortByGateway = 6;
constexpr int kSortByUser = 7;
constexpr int kSortByNumber = 8;
constexpr int kSortByDate = 9;
constexpr int kSortByRate = 10;
constexpr int kSortByDuration = 11;

struct JournalColumnSpec {
    const char* title;
    int command;
    int percent;  // of the table width; the seven add up to 100
};

// In display order.
extern const std::array<JournalColumnSpec, kJournalColumnCount> kJournalColumnSpecs;

// The column of a header command, or -1 when the command names none.
int JournalColumnOfCommand(int command);

// A sort setting as the view uses it: a header command, or "Date" for
// anything else, so that a damaged setting never becomes another command.
int ValidSortCommand(int command);

// The text a record shows in column `column` (0 to 6), up to its terminator,
// never past its field.
std::string_view JournalFieldText(const JournalRecord& record, int column);
