#include "journal/journal_reload_plan.h"

#include "journal/journal_image.h"

JournalReloadPlan PlanJournalReload(int32_t tableCount, int32_t loadedCount, uint64_t loadedSize,
                                    int32_t fileCount, uint64_t fileSize)
{
    if (tableCount != loadedCount)
        return {JournalReload::whole, 0, 0};
    int32_t held = RecordsHeld(fileSize, fileCount);
    // A record written but not yet counted is read once its count is.
    if (held == loadedCount)
        return {JournalReload::nothing, 0, 0};
    if (held > loadedCount && fileSize >= loadedSize)
        return {JournalReload::appended, loadedCount, held};
    return {JournalReload::whole, 0, 0};
}
