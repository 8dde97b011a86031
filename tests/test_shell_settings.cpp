// Settings, the start-at-logon entry, the language base and the switch table,
// called in-process; the logon entry also from a program in a folder whose name
// has a space, started by its full path and by its bare name.
#include <string.h>

#include "check.h"
#include "harness.h"
#include "shell/application.h"
#include "shell/settings.h"
#include "shell/winutil.h"
#include "shell_support.h"

namespace {

// Runs the helper with the argument and gives its exit code (100 when it did
// not start, 101 when it did not end in time). Given a folder, its command line
// names it by its bare file name from that folder as current directory (as when
// started from a console there), else by its quoted full path.
DWORD RunHelper(const char *exePath, const char *argument, const char *bareFrom = nullptr) {
    Program helper;
    bool started;
    if (bareFrom) {
        char commandLine[MAX_PATH * 2];
        snprintf(commandLine, sizeof commandLine, "%s %s", strrchr(exePath, '\\') + 1, argument);
        STARTUPINFOA startup;
        ZeroMemory(&startup, sizeof startup);
        startup.cb = sizeof startup;
        started = CreateProcessA(exePath, commandLine, nullptr, nullptr, FALSE, 0, nullptr, bareFrom, &startup,
                                 &helper.info) != FALSE;
    } else {
        started = StartProgramAt(exePath, argument, &helper);
    }
    if (!started) return 100;
    DWORD code = 101;
    return helper.waitExit(30000, &code) ? code : 101;
}

// A folder under the temporary folder with a space in its name, removed at the end.
struct SpacedFolder {
    char path[MAX_PATH];
    char helper[MAX_PATH];
    SpacedFolder() {
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        snprintf(path, sizeof path, "%sZorvane shell test", temp);
        snprintf(helper, sizeof helper, "%s\\shell_logon_helper.exe", path);
        CreateDirectoryA(path, nullptr);
    }
    ~SpacedFolder() {
        DeleteFileA(helper);
        RemoveDirectoryA(path);
    }
};

}  // namespace

TEST_CASE(reading_makes_key_chain_and_gives_defaults) {
    ResetZorvaneRegistry();
    SetSettingsKey("Zorvane");
    CHECK(!PreferenceKeyExists());
    CHECK_EQ(1036, ReadSetting("Preferences", "Langage", 1036));
    CHECK(PreferenceKeyExists());
    CHECK_EQ(1000, ReadSetting("Preferences", "Methode", 1000));
    CHECK_EQ(0, ReadSetting("Preferences", "Startup", 0));
    ResetZorvaneRegistry();
}

TEST_CASE(values_are_read_as_four_raw_bytes) {
    ResetZorvaneRegistry();
    SetSettingsKey("Zorvane");
    CHECK(SetPreferenceDword("Methode", 7));
    CHECK_EQ(7, ReadSetting("Preferences", "Methode", 1000));  // no range check
    CHECK(SetPreferenceDword("Methode", 0xFFFFFFFB));
    CHECK_EQ(-5, ReadSetting("Preferences", "Methode", 1000));

    // A three-character string and its terminator fill the four bytes.
    CHECK(SetPreferenceRaw("Methode", REG_SZ, "abc", 4));
    CHECK_EQ(0x00636261, ReadSetting("Preferences", "Methode", 1000));
    // A longer one does not fit: the default.
    CHECK(SetPreferenceRaw("Methode", REG_SZ, "abcd", 5));
    CHECK_EQ(1000, ReadSetting("Preferences", "Methode", 1000));
    CHECK(SetPreferenceRaw("Methode", REG_SZ, "1001", 5));
    CHECK_EQ(1000, ReadSetting("Preferences", "Methode", 1000));
    // Any type: four bytes of binary data are taken as they are.
    const BYTE binary[4] = {0xE9, 0x03, 0, 0};
    CHECK(SetPreferenceRaw("Methode", REG_BINARY, binary, 4));
    CHECK_EQ(1001, ReadSetting("Preferences", "Methode", 1000));
    ResetZorvaneRegistry();
}

TEST_CASE(writing_stores_a_dword) {
    ResetZorvaneRegistry();
    SetSettingsKey("Zorvane");
    CHECK(WriteSetting("Preferences", "Methode", 1003));
    HKEY key;
    CHECK_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, "software\\Zorvane\\Zorvane\\Preferences", 0,
                                          KEY_READ, &key));
    DWORD type = 0, value = 0, size = sizeof value;
    LONG status = RegQueryValueExA(key, "Methode", nullptr, &type, reinterpret_cast<BYTE *>(&value), &size);
    RegCloseKey(key);
    CHECK_EQ(ERROR_SUCCESS, status);
    CHECK_EQ(REG_DWORD, type);
    CHECK_EQ(4, size);
    CHECK_EQ(1003, value);
    CHECK_EQ(1003, ReadSetting("Preferences", "Methode", 1000));
    ResetZorvaneRegistry();
}

TEST_CASE(key_names_are_cut_to_ninety_nine_characters) {
    char longName[151];
    memset(longName, 'Q', 150);
    longName[150] = 0;
    char cut[100];
    memset(cut, 'Q', 99);
    cut[99] = 0;
    char expected[400];
    snprintf(expected, sizeof expected, "software\\%s\\%s\\Preferences", cut, cut);
    char softwareKey[120];
    snprintf(softwareKey, sizeof softwareKey, "software\\%s", cut);
    RegDeleteTreeA(HKEY_CURRENT_USER, softwareKey);

    SetSettingsKey(longName);
    bool written = WriteSetting("Preferences", "Startup", 5);
    SetSettingsKey("Zorvane");
    HKEY key;
    bool made = RegOpenKeyExA(HKEY_CURRENT_USER, expected, 0, KEY_READ, &key) == ERROR_SUCCESS;
    if (made) RegCloseKey(key);
    RegDeleteTreeA(HKEY_CURRENT_USER, softwareKey);
    CHECK(written);
    CHECK(made);
}

TEST_CASE(language_base_takes_only_exact_german_and_english) {
    const struct {
        LONG locale;
        int base;
    } rows[] = {{1031, 20000}, {1033, 10000}, {1036, 0}, {2057, 0}, {3079, 0}, {0, 0}, {-1, 0}};
    for (const auto &row : rows) {
        ApplyLanguage(row.locale);
        CHECK_EQ(row.base, LanguageBase);
    }
    ApplyLanguage(1036);
}

TEST_CASE(switch_table_ignores_case_and_nothing_else) {
    CHECK_EQ(204, StartCommandForArgument("-x"));
    CHECK_EQ(204, StartCommandForArgument("-X"));
    CHECK_EQ(203, StartCommandForArgument("-p"));
    CHECK_EQ(203, StartCommandForArgument("-P"));
    CHECK_EQ(207, StartCommandForArgument("-l"));
    CHECK_EQ(207, StartCommandForArgument("-L"));
    const char *const others[] = {"", "x", "-", "-xx", "/x", "--x", " -x", "-x ", nullptr};
    for (const char *other : others) CHECK_EQ(0, StartCommandForArgument(other));
}

TEST_CASE(command_line_words_lose_their_quotes) {
    const char line[] = "  \"C:\\Program Files\\Zorvane\\Zorvane.exe\"\t-X  \"two words\" a\"b c\"d ";
    char word[MAX_PATH];
    const char *rest = ReadCommandLineWord(line, word, sizeof word);
    CHECK(rest != nullptr);
    CHECK_STR("C:\\Program Files\\Zorvane\\Zorvane.exe", word);
    rest = ReadCommandLineWord(rest, word, sizeof word);
    CHECK_STR("-X", word);
    rest = ReadCommandLineWord(rest, word, sizeof word);
    CHECK_STR("two words", word);
    rest = ReadCommandLineWord(rest, word, sizeof word);
    CHECK_STR("ab cd", word);
    CHECK(ReadCommandLineWord(rest, word, sizeof word) == nullptr);
    CHECK_STR("", word);
    // A word longer than the buffer is cut, never overrun.
    char small[4];
    CHECK(ReadCommandLineWord("abcdefgh", small, sizeof small) != nullptr);
    CHECK_STR("abc", small);
}

TEST_CASE(logon_entry_leaves_a_foreign_value_and_any_type_counts) {
    ResetZorvaneRegistry();
    CHECK(!IsRunAtLogon());
    // Disabling with no value: fails and touches nothing else.
    const char sentinel[] = "ZorvaneShellTestSentinel";
    SetRunValueRaw(sentinel, REG_SZ, "keep", 5);
    CHECK(!SetRunAtLogon(false));
    CHECK(!IsRunAtLogon());
    CHECK(RunValueExists(sentinel));
    DeleteRunValue(sentinel);

    CHECK(SetRunValue("C:\\Other Place\\Zorvane.exe -x"));
    CHECK(IsRunAtLogon());
    CHECK(SetRunAtLogon(true));
    char data[MAX_PATH];
    CHECK(GetRunValue(data, sizeof data));
    CHECK_STR("C:\\Other Place\\Zorvane.exe -x", data);

    DWORD number = 1;
    SetRunValueRaw("Zorvane", REG_DWORD, &number, sizeof number);
    CHECK(IsRunAtLogon());
    CHECK(SetRunAtLogon(true));
    DWORD type = 0;
    CHECK(GetRunValue(data, sizeof data, &type));
    CHECK_EQ(REG_DWORD, type);

    CHECK(SetRunAtLogon(false));
    CHECK(!IsRunAtLogon());
    ResetZorvaneRegistry();
}

TEST_CASE(logon_entry_quotes_the_full_program_path) {
    ResetZorvaneRegistry();
    SpacedFolder folder;
    char source[MAX_PATH];
    BinPath("shell_logon_helper.exe", source, sizeof source);
    CHECK(CopyFileA(source, folder.helper, FALSE));

    CHECK_EQ(3, RunHelper(folder.helper, "on"));  // written, present
    char expected[MAX_PATH + 2];
    snprintf(expected, sizeof expected, "\"%s\"", folder.helper);
    char data[MAX_PATH + 8];
    DWORD type = 0, size = 0;
    CHECK(GetRunValue(data, sizeof data, &type, &size));
    CHECK_STR(expected, data);
    CHECK_EQ(REG_SZ, type);
    CHECK_EQ(strlen(expected) + 1, size);

    CHECK_EQ(1, RunHelper(folder.helper, "off"));  // deleted, absent
    CHECK(!IsRunAtLogon());
    CHECK_EQ(0, RunHelper(folder.helper, "off"));  // nothing to delete

    // Started by its bare name from its folder, it still writes its full path.
    CHECK_EQ(3, RunHelper(folder.helper, "on", folder.path));
    CHECK(GetRunValue(data, sizeof data));
    CHECK_STR(expected, data);
    ResetZorvaneRegistry();
}
