#include "journal/journal_rows.h"

#include <cstdint>

void BuildJournalRows(std::span<const JournalRecord> records, std::span<const int> order,
                      const JournalFilter& filter, std::vector<int>& rows)
{
    rows.clear();
    // Room for a sixteenth more than the records, kept from filling to
    // filling: the next appends then need no fresh memory.
    if (order.size() > rows.capacity())
        rows.reserve(order.size() + order.size() / 16);
    auto named = [&](int r) { return r >= 0 && static_cast<size_t>(r) < records.size(); };
    if (filter.everyGateway && filter.everyUser) {
        for (int r : order)
            if (named(r))
                rows.push_back(r);
        return;
    }
    // The filter is decided in file order, where the records lie one after
    // the other, and only looked up in display order.
    std::vector<uint8_t> passes(records.size());
    for (size_t r = 0; r < records.size(); ++r)
        passes[r] = (filter.everyGateway || records[r].gateway() == filter.gateway) &&
                    (filter.everyUser || records[r].user() == filter.user);
    for (int r : order)
        if (named(r) && passes[static_cast<size_t>(r)])
            rows.push_back(r);
}
