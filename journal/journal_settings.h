// What the journal view shows and how: one set per process, loaded from and
// saved to section "Journal" of admin.ini by the main window.
#pragma once
#include <cstdint>

struct JournalSettingsValues {
    int32_t userFilter;     // user position; the number of users means every user
    int32_t gatewayFilter;  // gateway position; the number of gateways means every gateway
    int32_t shown;          // 1: the pane and its header buttons are shown
    int32_t sortColumn;     // command of the sort column, 5 to 11; 9 is "Date"
    int32_t purge;          // 1: old records are purged at start-up and by the preferences
    int32_t purgeDays;      // age limit of the purge, in days
};

// All zero until the main window loads it.
extern JournalSettingsValues JournalSettings;
