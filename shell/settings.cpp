// Per-user settings, the start-at-logon entry and the language base.
#include "shell/settings.h"

#include <string.h>

#include "shell/application.h"
#include "shell/code_page.h"
#include "shell/winutil.h"

int LanguageBase = 0;

namespace {

const REGSAM SettingsAccess = KEY_READ | KEY_WRITE;  // 0x2001F

void CopyName(char *target, const char *name) {
    lstrcpynA(target, name ? name : "", 100);
}

}  // namespace

// HKCU\software\<company>\<application>\<section>, made on the way; 0 on failure.
HKEY OpenSettingsSection(const char *section) {
    Application &app = App();
    HKEY software = nullptr, company = nullptr, application = nullptr, sectionKey = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "software", 0, SettingsAccess, &software) != ERROR_SUCCESS)
        return nullptr;
    DWORD disposition;
    if (RegCreateKeyExA(software, app.companyKey, 0, nullptr, REG_OPTION_NON_VOLATILE, SettingsAccess,
                        nullptr, &company, &disposition) == ERROR_SUCCESS) {
        RegCreateKeyExA(company, app.applicationKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        SettingsAccess, nullptr, &application, &disposition);
    }
    RegCloseKey(software);
    if (company) RegCloseKey(company);
    if (!application) return nullptr;
    char sectionName[100];
    CopyName(sectionName, section);
    if (RegCreateKeyExA(application, sectionName, 0, nullptr, REG_OPTION_NON_VOLATILE, SettingsAccess,
                        nullptr, &sectionKey, &disposition) != ERROR_SUCCESS)
        sectionKey = nullptr;
    RegCloseKey(application);
    return sectionKey;
}

void SetSettingsKey(const char *name) {
    CopyName(App().companyKey, name);
    CopyName(App().applicationKey, name);
}

LONG ReadSetting(const char *section, const char *valueName, LONG defaultValue) {
    HKEY key = OpenSettingsSection(section);
    if (!key) return defaultValue;
    BYTE data[4] = {0, 0, 0, 0};
    DWORD size = sizeof data;
    LONG status = RegQueryValueExA(key, valueName, nullptr, nullptr, data, &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) return defaultValue;
    LONG value;
    memcpy(&value, data, sizeof value);
    return value;
}

bool WriteSetting(const char *section, const char *valueName, LONG value) {
    HKEY key = OpenSettingsSection(section);
    if (!key) return false;
    LONG status = RegSetValueExA(key, valueName, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value),
                                 sizeof value);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

bool IsRunAtLogon() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, RUN_KEY_PATH, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    LONG status = RegQueryValueExA(key, RUN_VALUE_NAME, nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

void FormatRunCommand(const char *programPath, char *out, int capacity) {
    // Quoted, or Windows tries "C:\Program.exe" first for a path with blanks.
    FormatText(out, capacity, "\"%s\"", programPath);
}

bool SetRunAtLogon(bool enable) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, RUN_KEY_PATH, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return false;
    bool ok;
    if (enable) {
        ok = true;
        if (RegQueryValueExA(key, RUN_VALUE_NAME, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
            char path[TEXT_BYTES(MAX_PATH)], command[TEXT_BYTES(MAX_PATH) + 3];
            // The executable's full path: a program started by a bare or relative
            // name has no more than that on its command line, which would not be
            // found at the next logon.
            ok = ProgramPath(path, sizeof path);
            if (ok) {
                FormatRunCommand(path, command, sizeof command);
                ok = RegSetValueExA(key, RUN_VALUE_NAME, 0, REG_SZ, reinterpret_cast<const BYTE *>(command),
                                    (DWORD)strlen(command) + 1) == ERROR_SUCCESS;
            }
        }
    } else {
        ok = RegDeleteValueA(key, RUN_VALUE_NAME) == ERROR_SUCCESS;
    }
    RegCloseKey(key);
    return ok;
}

void ApplyLanguage(LONG localeId) {
    if (localeId == 1031) LanguageBase = 20000;
    else if (localeId == 1033) LanguageBase = 10000;
    else LanguageBase = 0;
}
