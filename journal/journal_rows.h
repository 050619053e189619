// The rows of the journal pane: the records of the display order that pass
// the gateway and user filter. No platform.
#pragma once
#include <span>
#include <string_view>
#include <vector>

#include "journal/journal_record.h"

// Which records are listed. A name is compared with the record's field
// exactly, byte for byte.
struct JournalFilter {
    bool everyGateway = true;
    std::string_view gateway;  // when not every gateway: the name to match
    bool everyUser = true;
    std::string_view user;  // when not every user: the name to match
};

// The entries of `order` whose records pass the filter, in the same order.
// Entries that name no record are left out.
void BuildJournalRows(std::span<const JournalRecord> records, std::span<const int> order,
                      const JournalFilter& filter, std::vector<int>& rows);
