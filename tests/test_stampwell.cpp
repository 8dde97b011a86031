// Stampwell writes the common-controls manifest into a copy of Zorvane.exe, and
// leaves the file alone on older systems, when it cannot write it and when the
// same manifest is already there.
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "check.h"
#include "harness.h"
#include "stampwell/stamp.h"
#include "stampwell_support.h"

namespace {

// Each build names its own architecture: the x64 Zorvane does not start with x86 controls.
#ifdef _WIN64
#define ARCHITECTURE "amd64"
#else
#define ARCHITECTURE "x86"
#endif
const char kExpectedManifest[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?><assembly xmlns=\"urn:schemas-microsoft-"
    "com:asm.v1\" manifestVersion=\"1.0\"><assemblyIdentity version=\"1.0.0.0\" processorArchitecture=\"" ARCHITECTURE
    "\" name=\"Zorvane\" type=\"win32\" /><description>Gravelin</description><dependency><dependentAssembly>"
    "<assemblyIdentity type=\"win32\" name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\" "
    "publicKeyToken=\"6595b64144ccf1df\" language=\"*\" processorArchitecture=\"" ARCHITECTURE "\"/></dependentAssembly>"
    "</dependency><application xmlns=\"urn:schemas-microsoft-com:asm.v3\"><windowsSettings><activeCodePage "
    "xmlns=\"http://schemas.microsoft.com/SMI/2019/WindowsSettings\">UTF-8</activeCodePage></windowsSettings>"
    "</application></assembly>";

const DWORD kRunTimeoutMs = 30000;
// A modified time long past (2000-04-13), so that a rewrite shows even within the same second.
const ULONGLONG kOldTime = 126000000000000000ULL;

// A scratch folder holding Stampwell.exe and, when asked, Zorvane.exe of this build.
struct StampFolder {
    ScratchFolder folder;
    char stampwell[MAX_PATH];
    char zorvane[MAX_PATH];
    bool ready;
    explicit StampFolder(bool withZorvane) {
        folder.file("Stampwell.exe", stampwell, MAX_PATH);
        folder.file("Zorvane.exe", zorvane, MAX_PATH);
        ready = folder.ready() && folder.copyFromBin("Stampwell.exe") &&
                (!withZorvane || folder.copyFromBin("Zorvane.exe"));
    }
    // Runs Stampwell in the folder; its exit code, or 99 when it did not end.
    DWORD run() {
        DWORD code = 99;
        if (!RunInFolder(stampwell, folder.path, kRunTimeoutMs, &code)) return 99;
        return code;
    }
};

bool ManifestIsExpected(const char *file) {
    std::vector<char> data;
    if (!ReadManifestResource(file, &data)) return false;
    return data.size() == strlen(kExpectedManifest) &&
           memcmp(data.data(), kExpectedManifest, data.size()) == 0;
}

}  // namespace

TEST_CASE(stamps_manifest_once_and_restamps_in_place) {
    StampFolder stamp(true);
    CHECK(stamp.ready);
    CHECK_EQ(0, CountManifestResources(stamp.zorvane));

    CHECK_EQ(0, stamp.run());
    CHECK(ManifestIsExpected(stamp.zorvane));
    CHECK_EQ(1, CountManifestResources(stamp.zorvane));

    // The same manifest again: the file is not written at all, so a signature
    // made after the first stamp stays valid.
    CHECK(SetLastWriteTime(stamp.zorvane, kOldTime));
    std::vector<char> first, second;
    CHECK(ReadWholeFile(stamp.zorvane, &first));
    CHECK_EQ(0, stamp.run());
    CHECK(ManifestIsExpected(stamp.zorvane));
    CHECK_EQ(1, CountManifestResources(stamp.zorvane));
    CHECK(ReadWholeFile(stamp.zorvane, &second));
    CHECK(first == second);
    CHECK_EQ(kOldTime, LastWriteTime(stamp.zorvane));
}

TEST_CASE(another_manifest_is_replaced) {
    StampFolder stamp(true);
    CHECK(stamp.ready);
    CHECK_EQ(0, StampManifest(stamp.zorvane, "Zorvane", "Someone else"));
    CHECK(!ManifestIsExpected(stamp.zorvane));
    CHECK(SetLastWriteTime(stamp.zorvane, kOldTime));

    CHECK_EQ(0, stamp.run());
    CHECK(ManifestIsExpected(stamp.zorvane));
    CHECK_EQ(1, CountManifestResources(stamp.zorvane));
    CHECK(LastWriteTime(stamp.zorvane) != kOldTime);
}

TEST_CASE(missing_target_gives_3) {
    StampFolder stamp(false);
    CHECK(stamp.ready);
    CHECK_EQ(3, stamp.run());
    CHECK_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(stamp.zorvane));
}

TEST_CASE(older_system_gives_1_and_leaves_file_alone) {
    StampFolder stamp(true);
    CHECK(stamp.ready);
    std::vector<char> before, after;
    CHECK(ReadWholeFile(stamp.zorvane, &before));
    DWORD code;
    {
#ifdef _WIN64
        WineVersionOverride older("Stampwell.exe", "winxp64");
#else
        WineVersionOverride older("Stampwell.exe", "winxp");
#endif
        CHECK(older.ok());
        code = stamp.run();
    }
    CHECK_EQ(1, code);
    CHECK(ReadWholeFile(stamp.zorvane, &after));
    CHECK(before == after);
    // Back on the current version, the same folder is stamped.
    CHECK_EQ(0, stamp.run());
    CHECK(ManifestIsExpected(stamp.zorvane));
}

// True when the system refuses to open the file for writing (Wine running as
// root does not enforce the read-only attribute).
bool WriteRefused(const char *file) {
    HANDLE handle = CreateFileA(file, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return true;
    CloseHandle(handle);
    return false;
}

TEST_CASE(read_only_or_locked_target_gives_3_and_stays_intact) {
    StampFolder stamp(true);
    CHECK(stamp.ready);
    std::vector<char> before, after;
    CHECK(ReadWholeFile(stamp.zorvane, &before));

    CHECK(SetFileAttributesA(stamp.zorvane, FILE_ATTRIBUTE_READONLY));
    if (WriteRefused(stamp.zorvane)) {
        DWORD readOnlyCode = stamp.run();
        SetFileAttributesA(stamp.zorvane, FILE_ATTRIBUTE_NORMAL);
        CHECK_EQ(3, readOnlyCode);
        CHECK(ReadWholeFile(stamp.zorvane, &after));
        CHECK(before == after);
    } else {
        SetFileAttributesA(stamp.zorvane, FILE_ATTRIBUTE_NORMAL);
        printf("    read-only attribute not enforced here; only the locks are tried\n");
    }

    // Held open by another program that lets others read it but not write it,
    // then by one that shares it with nobody.
    const DWORD shareModes[] = {FILE_SHARE_READ, 0};
    for (DWORD share : shareModes) {
        HANDLE lock = CreateFileA(stamp.zorvane, GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
        CHECK(lock != INVALID_HANDLE_VALUE);
        DWORD lockedCode = stamp.run();
        CloseHandle(lock);
        CHECK_EQ(3, lockedCode);
        CHECK(ReadWholeFile(stamp.zorvane, &after));
        CHECK(before == after);
    }
}

TEST_CASE(stamp_reports_failing_step_and_writes_long_text_whole) {
    ScratchFolder folder;
    CHECK(folder.ready());
    char missing[MAX_PATH], target[MAX_PATH];
    folder.file("Absent.exe", missing, MAX_PATH);
    CHECK(StampManifest(missing, "Zorvane", "Gravelin") != 0);
    CHECK(StampManifest(nullptr, "Zorvane", "Gravelin") == ERROR_INVALID_PARAMETER);

    // A description far past 1024 characters still gives the whole manifest.
    CHECK(folder.copyFromBin("Zorvane.exe"));
    folder.file("Zorvane.exe", target, MAX_PATH);
    std::string description(3000, 'g');
    CHECK_EQ(0, StampManifest(target, "Zorvane", description.c_str()));
    std::string expected = kExpectedManifest;
    expected.replace(expected.find("Gravelin"), strlen("Gravelin"), description);
    std::vector<char> data;
    CHECK(ReadManifestResource(target, &data));
    CHECK_EQ(expected.size(), data.size());
    CHECK(memcmp(expected.data(), data.data(), data.size()) == 0);
    CHECK_EQ(1, CountManifestResources(target));
}

TEST_CASE(stamped_zorvane_starts_and_quits) {
    StampFolder stamp(true);
    CHECK(stamp.ready);
    CHECK_EQ(0, stamp.run());
    CHECK(ManifestIsExpected(stamp.zorvane));
    ResetZorvaneRegistry();
    Program zorvane;
    HWND window = nullptr;
    DWORD code = 99;
    bool ended = false;
    if (StartInFolder(stamp.zorvane, stamp.folder.path, &zorvane)) {
        DWORD pid = zorvane.pid();
        WaitFor([&] { return (window = FindZorvaneWindow(pid)) != nullptr || !zorvane.running(); }, 20000);
        if (window) {
            PostMessageA(window, WM_COMMAND, 202, 0);
            ended = zorvane.waitExit(15000, &code);
        }
    }
    zorvane.stop();
    ResetZorvaneRegistry();
    CHECK(window != nullptr);
    CHECK(ended);
    CHECK_EQ(0, code);
}
