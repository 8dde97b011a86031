// Per-user settings under HKEY_CURRENT_USER\software\<company>\<application>,
// the start-at-logon entry, and the user-interface language base.
#ifndef ZORVANE_SETTINGS_H
#define ZORVANE_SETTINGS_H

#include <windows.h>

// 0 (French), 10000 (English) or 20000 (German); fixed at start-up.
extern int LanguageBase;

// Section and value names of the stored settings.
#define SETTINGS_SECTION "Preferences"
#define SETTING_METHOD "Methode"
#define SETTING_LANGUAGE "Langage"
#define SETTING_STARTUP "Startup"
#define RUN_KEY_PATH "Software\\Microsoft\\Windows\\CurrentVersion\\Run"
#define RUN_VALUE_NAME "Zorvane"

// Copies the name into both the company and the application key names.
void SetSettingsKey(const char *name);

// HKCU\software\<company>\<application>\<section>, made on the way; 0 when it
// cannot be opened. The caller closes it.
HKEY OpenSettingsSection(const char *section);

// The value's four raw bytes as a signed number, or the default.
LONG ReadSetting(const char *section, const char *valueName, LONG defaultValue);

// Stores the value as REG_DWORD; false when the key or the write fails.
bool WriteSetting(const char *section, const char *valueName, LONG value);

// Whether the "Zorvane" Run value exists (any type, any data).
bool IsRunAtLogon();

// Adds the Run value (quoted program path) unless one exists, or deletes it.
bool SetRunAtLogon(bool enable);

// The Run value's data for a program path: the path in double quotes.
void FormatRunCommand(const char *programPath, char *out, int capacity);

// Sets LanguageBase from a locale id: 1031 German, 1033 English, else French.
void ApplyLanguage(LONG localeId);

#endif
