#include "journal/journal_columns.h"

const std::array<JournalColumnSpec, kJournalColumnCount> kJournalColumnSpecs = {{
    {"Ligne", kSortByLine, 30},
    {"Passerelle", kSortByGateway, 10},
    {"Utilisateur", kSortByUser, 10},
    {"Numéro", kSortByNumber, 15},
    {"Date", kSortByDate, 15},
    {"Débit", kSortByRate, 10},
    {"Durée", kSortByDuration, 10},
}};

int JournalColumnOfCommand(int command)
{
    return command >= kSortByLine && command <= kSortByDuration ? command - kSortByLine : -1;
}

int ValidSortCommand(int command)
{
    return JournalColumnOfCommand(command) >= 0 ? command : kSortByDate;
}

std::string_view JournalFieldText(const JournalRecord& record, int column)
{
    switch (column) {
    case 0: return record.line();
    case 1: return record.gateway();
    case 2: return record.user();
    case 3: return record.number();
    case 4: return record.dateTime();
    case 5: return record.rate();
    case 6: return record.duration();
    }
    return {};
}
