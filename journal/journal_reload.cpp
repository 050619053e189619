#include "journal/journal_reload.h"

#include <new>
#include <string>
#include <vector>

#include "base/file_io.h"
#include "base/program_dir.h"
#include "journal/journal_file.h"
#include "journal/journal_image.h"
#include "journal/journal_reload_plan.h"
#include "journal/journal_stream.h"

uint64_t LoadJournalAppends()
{
    if (Journal.YearFixPending) {
        LoadJournal();
        return Journal.loadedSize;
    }
    uint64_t bytesRead = 0;
    JournalReloadPlan plan;
    uint64_t size = 0;
    {
        File file(ProgramPath("\\Journal.dat"), FileAccess::read, FileCreation::existing);
        if (!file.ok()) {
            if (file.missing())
                LoadJournal();
            return 0;
        }
        uint8_t head[kJournalHeaderSize] = {};
        long long read = file.Read(head);
        size_t got = read > 0 ? static_cast<size_t>(read) : 0;
        bytesRead = got;
        // The length is taken after the count: the server writes a record
        // before the count that announces it.
        std::optional<uint64_t> length = file.Size();
        if (!length)
            return bytesRead;
        size = *length;
        plan = PlanJournalReload(Journal.count, Journal.loadedCount, Journal.loadedSize,
                                 ReadJournalCount({head, got}), size);
        if (plan.step == JournalReload::appended) {
            try {
                // Records from..to - 1 onto the end of the table; a record
                // cut short ends the reading.
                if (file.Seek(JournalRecordAt(static_cast<uint64_t>(plan.from))))
                    bytesRead += ReadJournalRecords(file, static_cast<size_t>(plan.to - plan.from), Journal.records);
            } catch (const std::bad_alloc&) {
                // The records read so far stay; the rest come at a later tick.
            }
            Journal.count = static_cast<int32_t>(Journal.records.size());
            Journal.loadedCount = Journal.count;
            Journal.loadedSize = Journal.count == plan.to ? size : JournalRecordAt(Journal.records.size());
            return bytesRead;
        }
    }
    if (plan.step == JournalReload::whole) {
        LoadJournal();
        bytesRead += Journal.loadedSize;
    }
    return bytesRead;
}
