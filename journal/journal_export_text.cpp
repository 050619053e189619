#include "journal/journal_export_text.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "journal/journal_columns.h"

void AppendJournalExportLine(const JournalRecord& record, std::string& out)
{
    for (int column = 0; column < kJournalColumnCount; ++column) {
        out += JournalFieldText(record, column);
        out += '\t';
    }
    out += "\r\n";
}

size_t AppendJournalExportLines(std::span<const JournalRecord> records, std::span<const int> rows, size_t from,
                                size_t limit, std::string& out)
{
    size_t i = from;
    for (; i < rows.size() && out.size() < limit; ++i) {
        int r = rows[i];
        if (r >= 0 && static_cast<size_t>(r) < records.size())
            AppendJournalExportLine(records[static_cast<size_t>(r)], out);
    }
    return i;
}

std::string JournalExportText(std::span<const JournalRecord> records, std::span<const int> rows)
{
    std::string text;
    AppendJournalExportLines(records, rows, 0, SIZE_MAX, text);
    return text;
}

std::string ProposedExportName(int day, int month, int year)
{
    char name[64];
    std::snprintf(name, sizeof name, "Journal au %02i-%02i-%04i.txt", day, month, year);
    return name;
}

std::string FilterListFromText(std::string text)
{
    if (text.empty())
        return text;
    char separator = text.back();
    std::replace(text.begin(), text.end(), separator, '\0');
    return text;
}
