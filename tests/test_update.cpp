// The update check: version texts, the own file version, the result codes of
// a check against a loopback HTTP server, the certificate an HTTPS site must
// show, and command 208 of the real program with its request sent through a
// loopback proxy to a loopback HTTPS site.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "check.h"
#include "dialog_support.h"
#include "harness.h"
#include "http_server.h"
#include "site.h"
#include "update/update.h"
#include "version.h"

using namespace dlg;

namespace {

struct VersionCase {
    const char *published;
    const char *own;
    int expected;
};

const VersionCase VersionCases[] = {
    {"1.0", "0.9.0.0", 1},
    {"0.9", "0.9.0.0", 0},
    {"0.9.0.0", "0.9.0.0", 0},
    {"0.8.9", "0.9.0.0", -1},
    {"0.9.0.1", "0.9", 1},
    {"0.10", "0.9", 1},
    {"10", "9.99.99.99", 1},
    {"009.0", "9", 0},
    {"1..0", "1.0", 0},  // empty pieces between dots are skipped
    {"2147483647", "2147483646", 1},
    {"2147483648", "1", -21},  // beyond a signed 32-bit part
    {"99999999999999999999", "1", -21},
    {"1", "4294967296", -22},
    {"", "0.9.0.0", -21},
    {".", "0.9.0.0", -21},
    {"1.2.3.4.5", "0.9.0.0", -21},
    {"1 .0", "0.9.0.0", -21},
    {" 1.0", "0.9.0.0", -21},
    {"1.0A", "0.9.0.0", -21},
    {"-1", "0.9.0.0", -21},
    {"+1", "0.9.0.0", -21},
    {"1.0", "", -22},
    {"1.0", "0.9.X", -22},
    {"1.0", "1.2.3.4.5", -22},
    {"X", "Y", -21},  // the published text is judged first
};

char g_zorvanePath[MAX_PATH];

const char *ZorvanePath() {
    BinPath("Zorvane.exe", g_zorvanePath, sizeof g_zorvanePath);
    return g_zorvanePath;
}

// A description of this size whose version tag starts at the offset.
void LongDescription(char *out, int size, int tagOffset, const char *version) {
    memset(out, 'x', size);
    int written = snprintf(out + tagOffset, size - tagOffset, "<PROGRAM_VERSION>%s</PROGRAM_VERSION>", version);
    out[tagOffset + written] = 'x';
}

// Bytes of every value, zeros included, from a fixed seed.
void BinaryNoise(char *out, int size, unsigned seed, bool zeros) {
    for (int i = 0; i < size; ++i) {
        seed = seed * 1103515245u + 12345u;
        out[i] = (char)(seed >> 16);
        if (!zeros && out[i] == 0) out[i] = 1;
    }
}

struct LocalCheck {
    TestHttpServer &server;
    char url[128];
    UpdateCheckResult run(const char *body) { return runBytes(body, (int)strlen(body)); }
    UpdateCheckResult runBytes(const char *body, int length) {
        server.setBody(body, length);
        UpdateClient client;
        return CheckForUpdateAgainst(&client, url, ZorvanePath());
    }
};

}  // namespace

TEST_CASE(compare_version_texts_table) {
    for (const VersionCase &c : VersionCases) {
        char published[64], own[64];
        strcpy(published, c.published);
        strcpy(own, c.own);
        int result = CompareVersionTexts(published, own);
        if (result != c.expected) printf("    \"%s\" against \"%s\"\n", c.published, c.own);
        CHECK_EQ(c.expected, result);
    }
    char published[] = "1.2.3", own[] = "1.2";
    CompareVersionTexts(published, own);
    CHECK_STR("1", published);  // split in place
    CHECK_STR("2", published + 2);
}

TEST_CASE(read_own_version_from_version_resource) {
    char version[1024] = "junk";
    CHECK(ReadOwnVersion(ZorvanePath(), version, sizeof version));
    CHECK_STR(ZORVANE_VERSION_TEXT, version);

    char small[4] = "xx";
    ReadOwnVersion(ZorvanePath(), small, sizeof small);
    CHECK_STR("0.9", small);  // the pieces that do not fit are left out

    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    strcpy(version, "junk");
    CHECK(!ReadOwnVersion(self, version, sizeof version));  // no version resource
    CHECK_STR("", version);
    strcpy(version, "junk");
    CHECK(!ReadOwnVersion("C:\\no\\such\\Zorvane.exe", version, sizeof version));
    CHECK_STR("", version);
}

TEST_CASE(check_result_codes_against_loopback_server) {
    TestHttpServer server;
    CHECK(server.start());
    LocalCheck check = {server, ""};
    snprintf(check.url, sizeof check.url, "http://127.0.0.1:%d/ZorvanePAD.xml", server.port());

    CHECK_EQ(NewerAvailable, check.run("<XML_DIZ_INFO><PROGRAM_VERSION>1.0</PROGRAM_VERSION></XML_DIZ_INFO>"));
    char line[512];
    server.lastRequestLine(line, sizeof line);
    CHECK_STR("GET /ZorvanePAD.xml HTTP/1.1", line);
    CHECK_EQ(UpToDate, check.run("<PROGRAM_VERSION>0.9</PROGRAM_VERSION>"));
    CHECK_EQ(UpToDate, check.run("<PROGRAM_VERSION>0.9.0.0</PROGRAM_VERSION>"));
    CHECK_EQ(UpToDate, check.run("<PROGRAM_VERSION>0.8.9</PROGRAM_VERSION>"));
    CHECK_EQ(NewerAvailable, check.run("<program_version>1.0</program_version>"));
    CHECK_EQ(NewerAvailable, check.run("<Program_Version>0.9.0.1</PROGRAM_version>"));
    CHECK_EQ(UpToDate, check.run("<PROGRAM_VERSION>1. 0</PROGRAM_VERSION>"));
    CHECK_EQ(UpToDate, check.run("<PROGRAM_VERSION>1.0b</PROGRAM_VERSION>"));
    CHECK_EQ(UpToDate, check.run("<PROGRAM_VERSION>1.0.0.0.1</PROGRAM_VERSION>"));
    CHECK_EQ(UpToDate, check.run("<PROGRAM_VERSION>3000000000.0</PROGRAM_VERSION>"));
    CHECK_EQ(BadData, check.run("<PROGRAM_VERSION>1.0"));
    CHECK_EQ(BadData, check.run("1.0</PROGRAM_VERSION>"));
    CHECK_EQ(BadData, check.run("</PROGRAM_VERSION>1.0<PROGRAM_VERSION>"));
    CHECK_EQ(NewerAvailable, check.run("</PROGRAM_VERSION><PROGRAM_VERSION>1.0</PROGRAM_VERSION>"));
    CHECK_EQ(BadData, check.run("no version here"));
    CHECK_EQ(ReadFailed, check.run(""));

    static char big[1 << 20];
    LongDescription(big, sizeof big, 100, "1.0");
    CHECK_EQ(NewerAvailable, check.runBytes(big, sizeof big));
    LongDescription(big, sizeof big, 4096, "1.0");
    CHECK_EQ(BadData, check.runBytes(big, sizeof big));  // beyond the single read
    LongDescription(big, 8000, 4080, "1.0");
    CHECK_EQ(BadData, check.runBytes(big, 8000));  // the tag straddles the 4095 bytes examined
    LongDescription(big, 8000, 4095 - 38, "1.0");
    CHECK_EQ(NewerAvailable, check.runBytes(big, 8000));  // the last tag byte is byte 4094

    char noise[9000];
    BinaryNoise(noise, sizeof noise, 7, true);
    CHECK_EQ(BadData, check.runBytes(noise, sizeof noise));
    BinaryNoise(noise, sizeof noise, 11, false);
    CHECK_EQ(BadData, check.runBytes(noise, sizeof noise));
    BinaryNoise(noise, sizeof noise, 13, false);
    memcpy(noise + 300, "<program_version>1.0</program_version>", 38);
    CHECK_EQ(NewerAvailable, check.runBytes(noise, sizeof noise));

    server.setReply("404 Not Found", "<html>missing</html>", 20);
    {
        UpdateClient client;
        CHECK_EQ(BadData, CheckForUpdateAgainst(&client, check.url, ZorvanePath()));
    }

    // The address is put in canonical form before it is opened.
    char roundabout[160];
    snprintf(roundabout, sizeof roundabout, "http://127.0.0.1:%d/files/../ZorvanePAD.xml", server.port());
    server.setBodyText("<PROGRAM_VERSION>1.0</PROGRAM_VERSION>");
    {
        UpdateClient client;
        CHECK_EQ(NewerAvailable, CheckForUpdateAgainst(&client, roundabout, ZorvanePath()));
    }
    server.lastRequestLine(line, sizeof line);
    CHECK_STR("GET /ZorvanePAD.xml HTTP/1.1", line);

    // The test program itself carries no version resource.
    server.setBodyText("<PROGRAM_VERSION>1.0</PROGRAM_VERSION>");
    {
        UpdateClient client;
        CHECK_EQ(BadData, CheckForUpdate(&client, check.url));
    }

    // Without an Internet handle nothing is sent.
    LONG before = server.requests();
    {
        UpdateClient client;
        CHECK(client.internet != nullptr);
        InternetCloseHandle(client.internet);
        client.internet = nullptr;
        CHECK_EQ(NotConnected, CheckForUpdateAgainst(&client, check.url, ZorvanePath()));
    }
    CHECK_EQ(before, server.requests());

    char downUrl[128];
    snprintf(downUrl, sizeof downUrl, "http://127.0.0.1:%d/ZorvanePAD.xml", UnusedLocalPort());
    {
        UpdateClient client;
        CHECK_EQ(OpenFailed, CheckForUpdateAgainst(&client, downUrl, ZorvanePath()));
    }
    server.stop();
    {
        UpdateClient client;
        CHECK_EQ(OpenFailed, CheckForUpdateAgainst(&client, check.url, ZorvanePath()));
    }
}

TEST_CASE(https_check_needs_a_trusted_certificate_for_the_name_and_stays_on_https) {
    // Trusted before the first secure request: the system reads its roots once.
    TestTlsSite trusted, untrusted, misnamed;
    CHECK(trusted.start("127.0.0.1"));
    CHECK(untrusted.start("127.0.0.1"));
    CHECK(misnamed.start("www.elsewhere.example"));
    CHECK(trusted.trust());
    CHECK(misnamed.trust());
    const char newer[] = "<PROGRAM_VERSION>1.0</PROGRAM_VERSION>";
    struct { TestTlsSite *site; UpdateCheckResult expected; } cases[] = {
        {&trusted, NewerAvailable}, {&untrusted, OpenFailed}, {&misnamed, OpenFailed}};
    for (const auto &c : cases) {
        CHECK(c.site->setBodyText(newer));
        char url[128];
        snprintf(url, sizeof url, "https://127.0.0.1:%d/ZorvanePAD.xml", c.site->port());
        UpdateClient client;
        CHECK_EQ(c.expected, CheckForUpdateAgainst(&client, url, ZorvanePath()));
    }

    // A redirect to plain HTTP is not followed: nothing reaches that server.
    TestHttpServer plain;
    CHECK(plain.start());
    plain.setBodyText(newer);
    char head[256], url[128];
    snprintf(head, sizeof head,
             "HTTP/1.1 302 Found\r\nLocation: http://127.0.0.1:%d/ZorvanePAD.xml\r\nContent-Length: 0\r\n\r\n",
             plain.port());
    CHECK(trusted.setResponse(head));
    snprintf(url, sizeof url, "https://127.0.0.1:%d/ZorvanePAD.xml", trusted.port());
    {
        UpdateClient client;
        CHECK_EQ(OpenFailed, CheckForUpdateAgainst(&client, url, ZorvanePath()));
    }
    CHECK_EQ(0, plain.requests());
}

namespace {

const char UpToDateText[] = "Zorvane is up to date.";
const char FailedText[] = "Unable to check for new version of Zorvane.";

// Zorvane in tray mode whose Internet requests go to the loopback server as
// their proxy, which carries them on to a loopback HTTPS site for the built-in
// site's host, so that the built-in description address reaches the test.
struct ProxiedZorvane {
    Program program;
    HWND window = nullptr;
    TestTlsSite site;
    bool start(TestHttpServer &proxy) {
        char host[128];
        SiteHost(host, sizeof host);
        if (!site.start(host) || !site.trust()) return false;
        proxy.tunnelTo(site.port());
        return startProxied(proxy.port());
    }
    bool startProxied(int proxyPort) {
        ResetZorvaneRegistry();
        SetPreferenceDword("Langage", 1033);
        char proxy[64];
        snprintf(proxy, sizeof proxy, "http://127.0.0.1:%d", proxyPort);
        SetEnvironmentVariableA("http_proxy", proxy);
        bool started = StartZorvane("", &program, &window);
        SetEnvironmentVariableA("http_proxy", nullptr);
        return started;
    }

    // Runs command 208 and reads its outcome: the update dialog's link text
    // prefixed with "dialog:", or the message box text. The window is closed.
    void check(char *outcome, int capacity) {
        outcome[0] = 0;
        PostMessageA(window, WM_COMMAND, 208, 0);
        HWND shown = WaitForProcessDialog(program.pid(), nullptr, 20000);
        if (!shown) return;
        char title[64];
        GetWindowTextA(shown, title, sizeof title);
        if (strcmp(title, "Update") == 0) {
            char link[512];
            GetDlgItemTextA(shown, 1005, link, sizeof link);
            snprintf(outcome, capacity, "dialog:%s", link);
        } else {
            MessageBoxText(shown, outcome, capacity);
        }
        PressDialogButton(shown, IDOK);
        WaitWindowGone(shown);
    }
};

}  // namespace

TEST_CASE(update_command_shows_each_outcome) {
    TestHttpServer server;
    CHECK(server.start());
    ProxiedZorvane zorvane;
    CHECK(zorvane.start(server));
    TestTlsSite &site = zorvane.site;
    char outcome[512];

    site.setBodyText("<PROGRAM_VERSION>1.0</PROGRAM_VERSION>");
    zorvane.check(outcome, sizeof outcome);
    CHECK_STR("dialog:" ZORVANE_DOWNLOAD_PAGE, outcome);
    CHECK_EQ(1, server.requests());
    char line[512], host[128], expected[200];
    server.lastRequestLine(line, sizeof line);
    SiteHost(host, sizeof host);
    snprintf(expected, sizeof expected, "CONNECT %s:443 HTTP/1.1", host);
    CHECK_STR(expected, line);  // the secure port of the site's host

    const char *upToDate[] = {
        "<PROGRAM_VERSION>0.9</PROGRAM_VERSION>",      "<PROGRAM_VERSION>0.9.0.0</PROGRAM_VERSION>",
        "<PROGRAM_VERSION>0.8.9</PROGRAM_VERSION>",    "<program_version>0.9</program_version>",
        "<PROGRAM_VERSION>1 .0</PROGRAM_VERSION>",     "<PROGRAM_VERSION>1.x</PROGRAM_VERSION>",
        "<PROGRAM_VERSION>1.0.0.0.1</PROGRAM_VERSION>",
    };
    for (const char *body : upToDate) {
        site.setBodyText(body);
        zorvane.check(outcome, sizeof outcome);
        if (strcmp(outcome, UpToDateText) != 0) printf("    reply %s\n", body);
        CHECK_STR(UpToDateText, outcome);
    }

    static char long_[20000];
    LongDescription(long_, sizeof long_, 5000, "1.0");
    char noise[6000];
    BinaryNoise(noise, sizeof noise, 5, true);
    struct { const char *body; int length; } failing[] = {
        {long_, (int)sizeof long_},
        {"<PROGRAM_VERSION>1.0</PROGRAM", -1},
        {"</PROGRAM_VERSION>1.0<PROGRAM_VERSION>", -1},
        {"", 0},
        {noise, (int)sizeof noise},
    };
    for (const auto &reply : failing) {
        site.setBody(reply.body, reply.length < 0 ? (int)strlen(reply.body) : reply.length);
        zorvane.check(outcome, sizeof outcome);
        CHECK_STR(FailedText, outcome);
    }
    CHECK(zorvane.program.running());

    server.stop();
    zorvane.check(outcome, sizeof outcome);
    CHECK_STR(FailedText, outcome);
    CHECK(zorvane.program.running());
}

TEST_CASE(update_command_with_open_dialog_sends_nothing) {
    TestHttpServer server;
    CHECK(server.start());
    ProxiedZorvane zorvane;
    CHECK(zorvane.start(server));
    zorvane.site.setBodyText("<PROGRAM_VERSION>1.0</PROGRAM_VERSION>");
    DWORD pid = zorvane.program.pid();

    PostMessageA(zorvane.window, WM_COMMAND, 201, 0);
    HWND about = WaitForProcessDialog(pid, "About");
    CHECK(about);
    ShowWindow(about, SW_MINIMIZE);
    CHECK(SendCommand(zorvane.window, 208));
    CHECK(!IsIconic(about));  // brought forward instead
    CHECK_EQ(0, server.requests());
    CHECK_EQ(1, CountProcessDialogs(pid));
    PostMessageA(about, WM_COMMAND, IDOK, 0);
    CHECK(WaitWindowGone(about));

    // The update dialog counts as the open dialog too.
    char outcome[512];
    PostMessageA(zorvane.window, WM_COMMAND, 208, 0);
    HWND update = WaitForProcessDialog(pid, "Update");
    CHECK(update);
    CHECK_EQ(1, server.requests());
    CHECK(SendCommand(zorvane.window, 208));
    CHECK(SendCommand(zorvane.window, 201));
    CHECK_EQ(1, server.requests());
    CHECK_EQ(1, CountProcessDialogs(pid));
    PostMessageA(update, WM_COMMAND, IDOK, 0);
    CHECK(WaitWindowGone(update));

    zorvane.site.setBodyText("<PROGRAM_VERSION>0.9</PROGRAM_VERSION>");
    zorvane.check(outcome, sizeof outcome);
    CHECK_STR(UpToDateText, outcome);
    CHECK_EQ(2, server.requests());
}
