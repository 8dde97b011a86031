// Update check: one HTTPS read of the published description, the version tag in
// it compared with the program's own file version, and the result shown.
#include "update/update.h"

#include <stdlib.h>
#include <string.h>

#include "resources/resource_ids.h"
#include "shell/application.h"
#include "shell/code_page.h"
#include "shell/dialogs.h"
#include "shell/settings.h"
#include "shell/winutil.h"
#include "site.h"

namespace {

const char OpeningTag[] = "<PROGRAM_VERSION>";
const char ClosingTag[] = "</PROGRAM_VERSION>";
// Redirects are not followed: one that leads from https:// to plain HTTP would
// let whoever answers there choose the version. Certificate errors fail the
// request; no INTERNET_FLAG_IGNORE_* flag is ever given.
const DWORD OpenUrlFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_RESYNCHRONIZE | INTERNET_FLAG_HYPERLINK |
                           INTERNET_FLAG_NEED_FILE | INTERNET_FLAG_NO_AUTO_REDIRECT;
// A canonicalizer that keeps asking for more room is not followed for ever.
const int CanonicalizeRounds = 8;

// The URL in browser-mode canonical form, in a block the caller frees; null on failure.
char *CanonicalizeUrl(const InternetLibrary &net, const char *url) {
    DWORD size = 1;
    char *buffer = static_cast<char *>(malloc(size));
    for (int round = 0; buffer && round < CanonicalizeRounds; ++round) {
        SetLastError(0);
        if (net.canonicalize(url, buffer, &size, ICU_BROWSER_MODE)) return buffer;
        free(buffer);
        buffer = nullptr;
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0) return nullptr;
        buffer = static_cast<char *>(malloc(size));
    }
    free(buffer);
    return nullptr;
}

// A redirect that was not followed.
bool IsRedirect(const InternetLibrary &net, HINTERNET file) {
    DWORD status = 0, size = sizeof status;
    return net.queryInfo(file, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr) &&
           status >= 300 && status < 400;
}

HINTERNET OpenDescription(const UpdateClient &client, const char *url) {
    const InternetLibrary &net = client.library;
    char *canonical = CanonicalizeUrl(net, url);
    if (!canonical) return nullptr;
    HINTERNET file = net.openUrl(client.internet, canonical, nullptr, 0, OpenUrlFlags, 0);
    free(canonical);
    if (file && IsRedirect(net, file)) {
        net.closeHandle(file);
        return nullptr;
    }
    return file;
}

// One read of at most UpdateReadSize bytes into the cleared buffer; the handle
// is closed right after it. Returns the number of bytes delivered.
DWORD ReadOnce(const InternetLibrary &net, HINTERNET file, char *buffer) {
    ZeroMemory(buffer, UpdateReadSize);
    DWORD received = 0;
    if (!net.readFile(file, buffer, UpdateReadSize, &received) || received > UpdateReadSize) received = 0;
    net.closeHandle(file);
    return received;
}

// The text between the version tags, terminated in place; null when a tag is
// missing. The closing tag counts only after the opening one.
char *PublishedVersionText(char *data) {
    data[UpdateReadSize - 1] = 0;
    for (int i = 0; i < UpdateReadSize - 1; ++i) {
        unsigned char c = static_cast<unsigned char>(data[i]);
        if (c >= 'a' && c <= 'z') data[i] = static_cast<char>(c - 'a' + 'A');
    }
    char *opening = strstr(data, OpeningTag);
    if (!opening) return nullptr;
    char *text = opening + sizeof OpeningTag - 1;
    char *closing = strstr(text, ClosingTag);
    if (!closing) return nullptr;
    *closing = 0;
    return text;
}

}  // namespace

namespace {

bool BindInternetLibrary(InternetLibrary *net) {
    net->module = LoadSystemLibrary("wininet.dll");
    bool bound = BindEntryPoint(net->module, "InternetOpenA", &net->open) &&
                 BindEntryPoint(net->module, "InternetGetConnectedState", &net->connectedState) &&
                 BindEntryPoint(net->module, "InternetCanonicalizeUrlA", &net->canonicalize) &&
                 BindEntryPoint(net->module, "InternetOpenUrlA", &net->openUrl) &&
                 BindEntryPoint(net->module, "InternetReadFile", &net->readFile) &&
                 BindEntryPoint(net->module, "HttpQueryInfoA", &net->queryInfo) &&
                 BindEntryPoint(net->module, "InternetCloseHandle", &net->closeHandle);
    if (!bound && net->module) {
        FreeLibrary(net->module);
        net->module = nullptr;
    }
    return bound;
}

}  // namespace

UpdateClient::UpdateClient() : internet(nullptr) {
    if (BindInternetLibrary(&library))
        internet = library.open("AutoUpdateAgent", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
}

UpdateClient::~UpdateClient() {
    if (internet) library.closeHandle(internet);
    if (library.module) FreeLibrary(library.module);
}

UpdateCheckResult CheckForUpdateAgainst(UpdateClient *client, const char *url, const char *ownPath) {
    DWORD connection = 0;
    if (!client->internet || !client->library.connectedState(&connection, 0)) return NotConnected;
    HINTERNET file = OpenDescription(*client, url);
    if (!file) return OpenFailed;
    char data[UpdateReadSize];
    if (ReadOnce(client->library, file, data) == 0) return ReadFailed;

    char own[1024];
    ReadOwnVersion(ownPath, own, sizeof own);
    if (!own[0]) return BadData;
    char *published = PublishedVersionText(data);
    if (!published) return BadData;
    return CompareVersionTexts(published, own) == 1 ? NewerAvailable : UpToDate;
}

UpdateCheckResult CheckForUpdate(UpdateClient *client, const char *url) {
    char path[TEXT_BYTES(MAX_PATH)];
    // A cut path would read another file's version, or none: no version then.
    if (!ProgramPath(path, sizeof path)) path[0] = 0;
    return CheckForUpdateAgainst(client, url, path);
}

void ShowUpdateResult(UpdateCheckResult result) {
    Application &app = App();
    switch (result) {
    case NewerAvailable:
        DialogBoxParamA(app.instance, MAKEINTRESOURCEA(IDD_UPDATE_AVAILABLE + LanguageBase), app.mainWindow,
                        AboutDialogProc, 0);
        break;
    case UpToDate: ShowLocalMessage(IDS_UP_TO_DATE); break;
    default: ShowLocalMessage(IDS_UPDATE_CHECK_FAILED); break;
    }
}

void RunUpdateCheck() {
    UpdateClient client;
    ShowUpdateResult(CheckForUpdate(&client, ZORVANE_UPDATE_URL));
}
