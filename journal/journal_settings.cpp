#include "journal/journal_settings.h"

JournalSettingsValues JournalSettings;
