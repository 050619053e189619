#include "journal/journal_export_text.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// The fields in column order: "Ligne", "Passerelle", "Utilisateur",
// "Numéro", "Date", "Débit", "Durée".
struct FieldPlace {
    size_t offset, size;
};
constexpr FieldPlace kColumnFields[] = {
    {kJournalLineAt, kJournalLineSize},         {kJournalGatewayAt, kJournalGatewaySize},
    {kJournalUserAt, kJournalUserSize},         {kJournalNumberAt, kJournalNumberSize},
    {kJournalDateTimeAt, kJournalDateTimeSize}, {kJournalRateAt, kJournalRateSize},
    {kJournalDurationAt, kJournalDurationSize},
};

}  // namespace

char* WriteJournalExportLine(const JournalRecord& record, char* out)
{
    // One pass over each field, copying up to its terminator: a journal of a
    // million rows is written in about the time the disk takes for it.
    for (const FieldPlace& field : kColumnFields) {
        const uint8_t* text = record.bytes.data() + field.offset;
        for (size_t i = 0; i < field.size && text[i]; ++i)
            *out++ = static_cast<char>(text[i]);
        *out++ = '\t';
    }
    *out++ = '\r';
    *out++ = '\n';
    return out;
}

size_t WriteJournalExportLines(std::span<const JournalRecord> records, std::span<const int> rows, size_t from,
                               std::span<char> piece, size_t& used)
{
    used = 0;
    size_t i = from;
    for (; i < rows.size() && piece.size() - used >= kJournalExportLineMax; ++i) {
        int r = rows[i];
        if (r >= 0 && static_cast<size_t>(r) < records.size())
            used = static_cast<size_t>(WriteJournalExportLine(records[static_cast<size_t>(r)], piece.data() + used) -
                                       piece.data());
    }
    return i;
}

std::string JournalExportText(std::span<const JournalRecord> records, std::span<const int> rows)
{
    std::string text;
    std::vector<char> piece(64 * kJournalExportLineMax);
    size_t next = 0;
    while (next < rows.size()) {
        size_t used = 0;
        next = WriteJournalExportLines(records, rows, next, piece, used);
        text.append(piece.data(), used);
    }
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
