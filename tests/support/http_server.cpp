// The loopback HTTP server of the update tests, and the HTTPS site that Wine
// starts on the Linux side. Winsock is bound at run time, so the test programs
// need no extra import library.
#include <winsock2.h>
#include <wincrypt.h>

#include "harness.h"
#include "http_server.h"
#include "site.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace dlg {

namespace {

struct WinsockEntries {
    int(WSAAPI *startup)(WORD, LPWSADATA);
    SOCKET(WSAAPI *socket_)(int, int, int);
    int(WSAAPI *bind_)(SOCKET, const sockaddr *, int);
    int(WSAAPI *connect_)(SOCKET, const sockaddr *, int);
    int(WSAAPI *listen_)(SOCKET, int);
    int(WSAAPI *getsockname_)(SOCKET, sockaddr *, int *);
    SOCKET(WSAAPI *accept_)(SOCKET, sockaddr *, int *);
    int(WSAAPI *recv_)(SOCKET, char *, int, int);
    int(WSAAPI *send_)(SOCKET, const char *, int, int);
    int(WSAAPI *select_)(int, fd_set *, fd_set *, fd_set *, const timeval *);
    int(WSAAPI *setsockopt_)(SOCKET, int, int, const char *, int);
    int(WSAAPI *shutdown_)(SOCKET, int);
    int(WSAAPI *closesocket_)(SOCKET);
    bool ready;
};

template <typename T> bool Bind(HMODULE module, const char *name, T *entry) {
    *entry = reinterpret_cast<T>(reinterpret_cast<void *>(GetProcAddress(module, name)));
    return *entry != nullptr;
}

WinsockEntries &Winsock() {
    static WinsockEntries entries;
    static bool tried = false;
    if (tried) return entries;
    tried = true;
    HMODULE module = LoadLibraryA("ws2_32.dll");
    if (!module) return entries;
    WinsockEntries &w = entries;
    bool ok = Bind(module, "WSAStartup", &w.startup) && Bind(module, "socket", &w.socket_) &&
              Bind(module, "bind", &w.bind_) && Bind(module, "connect", &w.connect_) &&
              Bind(module, "listen", &w.listen_) &&
              Bind(module, "getsockname", &w.getsockname_) && Bind(module, "accept", &w.accept_) &&
              Bind(module, "recv", &w.recv_) && Bind(module, "send", &w.send_) &&
              Bind(module, "select", &w.select_) && Bind(module, "setsockopt", &w.setsockopt_) &&
              Bind(module, "shutdown", &w.shutdown_) && Bind(module, "closesocket", &w.closesocket_);
    WSADATA data;
    w.ready = ok && w.startup(MAKEWORD(2, 2), &data) == 0;
    return entries;
}

// A listening or bound loopback socket at a free port.
SOCKET LoopbackSocket(int *port, bool listening) {
    WinsockEntries &w = Winsock();
    if (!w.ready) return INVALID_SOCKET;
    SOCKET s = w.socket_(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) return s;
    sockaddr_in address;
    ZeroMemory(&address, sizeof address);
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = 0x0100007F;  // 127.0.0.1 in network order
    int length = sizeof address;
    if (w.bind_(s, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
        (listening && w.listen_(s, 8) != 0) ||
        w.getsockname_(s, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
        w.closesocket_(s);
        return INVALID_SOCKET;
    }
    *port = ((address.sin_port & 0xFF) << 8) | ((address.sin_port >> 8) & 0xFF);
    return s;
}

bool Readable(SOCKET s, long microseconds) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval wait = {0, microseconds};
    return Winsock().select_(0, &set, nullptr, nullptr, &wait) > 0;
}

// FD_ISSET without ws2_32's import.
bool InSet(SOCKET s, const fd_set &set) {
    for (u_int i = 0; i < set.fd_count; ++i)
        if (set.fd_array[i] == s) return true;
    return false;
}

bool SendAll(SOCKET s, const char *data, int length) {
    for (int sent = 0; sent < length;) {
        int chunk = Winsock().send_(s, data + sent, length - sent, 0);
        if (chunk <= 0) return false;
        sent += chunk;
    }
    return true;
}

SOCKET ConnectLoopback(int port) {
    WinsockEntries &w = Winsock();
    SOCKET s = w.socket_(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) return s;
    sockaddr_in address;
    ZeroMemory(&address, sizeof address);
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = 0x0100007F;
    address.sin_port = (u_short)(((port & 0xFF) << 8) | ((port >> 8) & 0xFF));
    if (w.connect_(s, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        w.closesocket_(s);
        return INVALID_SOCKET;
    }
    return s;
}

DWORD WINAPI ServerThread(void *context) {
    static_cast<TestHttpServer *>(context)->serve();
    return 0;
}

}  // namespace

int UnusedLocalPort() {
    int port = 0;
    SOCKET s = LoopbackSocket(&port, false);
    if (s != INVALID_SOCKET) Winsock().closesocket_(s);
    return port;
}

TestHttpServer::TestHttpServer()
    : listener(INVALID_SOCKET), listenPort(0), thread(nullptr), stopping(0), requestCount(0), reply(nullptr),
      replyLength(0), tunnelPort(0) {
    InitializeCriticalSection(&lock);
    requestLine[0] = 0;
    setBodyText("");
}

TestHttpServer::~TestHttpServer() {
    stop();
    free(reply);
    DeleteCriticalSection(&lock);
}

bool TestHttpServer::start() {
    stop();
    listener = LoopbackSocket(&listenPort, true);
    if (listener == INVALID_SOCKET) return false;
    stopping = 0;
    thread = CreateThread(nullptr, 0, ServerThread, this, 0, nullptr);
    return thread != nullptr;
}

void TestHttpServer::stop() {
    if (thread) {
        InterlockedExchange(&stopping, 1);
        WaitForSingleObject(thread, 15000);
        CloseHandle(thread);
        thread = nullptr;
    }
    if (listener != INVALID_SOCKET) {
        Winsock().closesocket_(listener);
        listener = INVALID_SOCKET;
    }
}

void TestHttpServer::setReply(const char *status, const char *body, int length) {
    char head[256];
    int headLength = snprintf(head, sizeof head,
                              "HTTP/1.1 %s\r\nContent-Type: text/xml\r\nContent-Length: %d\r\n"
                              "Connection: close\r\n\r\n",
                              status, length);
    char *text = static_cast<char *>(malloc(headLength + length + 1));
    if (!text) return;
    memcpy(text, head, headLength);
    if (length) memcpy(text + headLength, body, length);
    EnterCriticalSection(&lock);
    free(reply);
    reply = text;
    replyLength = headLength + length;
    LeaveCriticalSection(&lock);
}

void TestHttpServer::setBody(const char *body, int length) { setReply("200 OK", body, length); }
void TestHttpServer::setBodyText(const char *body) { setBody(body, (int)strlen(body)); }

void TestHttpServer::lastRequestLine(char *out, int capacity) {
    EnterCriticalSection(&lock);
    lstrcpynA(out, requestLine, capacity);
    LeaveCriticalSection(&lock);
}

void TestHttpServer::serve() {
    WinsockEntries &w = Winsock();
    while (!stopping) {
        if (!Readable(listener, 50000)) continue;
        SOCKET client = w.accept_(listener, nullptr, nullptr);
        if (client != INVALID_SOCKET) answer(client);
    }
}

// Reads the request head, records its first line and sends the whole reply.
// Time-outs keep a client that stops reading from holding the thread.
void TestHttpServer::answer(UINT_PTR clientSocket) {
    WinsockEntries &w = Winsock();
    SOCKET client = clientSocket;
    DWORD timeout = 5000;
    w.setsockopt_(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char *>(&timeout), sizeof timeout);
    w.setsockopt_(client, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char *>(&timeout), sizeof timeout);
    char head[8192];
    int used = 0;
    while (used < (int)sizeof head - 1) {
        int got = w.recv_(client, head + used, (int)sizeof head - 1 - used, 0);
        if (got <= 0) break;
        used += got;
        head[used] = 0;
        if (strstr(head, "\r\n\r\n")) break;
    }
    head[used] = 0;
    char *end = strstr(head, "\r\n");
    if (end) *end = 0;

    EnterCriticalSection(&lock);
    lstrcpynA(requestLine, head, sizeof requestLine);
    if (tunnelPort && strncmp(head, "CONNECT ", 8) == 0) {
        LeaveCriticalSection(&lock);
        InterlockedIncrement(&requestCount);
        relay(client);
        return;
    }
    int length = replyLength;
    char *copy = static_cast<char *>(malloc(length ? length : 1));
    if (copy) memcpy(copy, reply, length);
    LeaveCriticalSection(&lock);
    InterlockedIncrement(&requestCount);

    for (int sent = 0; copy && sent < length && !stopping;) {
        int chunk = w.send_(client, copy + sent, length - sent, 0);
        if (chunk <= 0) break;
        sent += chunk;
    }
    free(copy);
    w.shutdown_(client, 1);  // SD_SEND
    w.closesocket_(client);
}

// Carries a tunnelled connection on to the HTTPS site, both ways, until either
// side closes or nothing has moved for ten seconds.
void TestHttpServer::relay(UINT_PTR clientSocket) {
    WinsockEntries &w = Winsock();
    SOCKET client = clientSocket;
    SOCKET site = ConnectLoopback(tunnelPort);
    const char established[] = "HTTP/1.1 200 Connection established\r\n\r\n";
    if (site != INVALID_SOCKET && SendAll(client, established, sizeof established - 1)) {
        char buffer[16384];
        for (int idle = 0; idle < 200 && !stopping;) {
            fd_set set;
            FD_ZERO(&set);
            FD_SET(client, &set);
            FD_SET(site, &set);
            timeval wait = {0, 50000};
            int ready = w.select_(0, &set, nullptr, nullptr, &wait);
            if (ready < 0) break;
            if (ready == 0) {
                ++idle;
                continue;
            }
            idle = 0;
            SOCKET from[2] = {client, site}, to[2] = {site, client};
            bool closed = false;
            for (int i = 0; i < 2; ++i) {
                if (!InSet(from[i], set)) continue;
                int got = w.recv_(from[i], buffer, sizeof buffer, 0);
                if (got <= 0 || !SendAll(to[i], buffer, got)) closed = true;
            }
            if (closed) break;
        }
    }
    if (site != INVALID_SOCKET) w.closesocket_(site);
    w.shutdown_(client, 1);
    w.closesocket_(client);
}

namespace {

// The Linux path of a file on Wine's drive Z:, the root of the Linux side.
bool UnixPath(const char *windowsPath, char *out, int capacity) {
    if ((windowsPath[0] != 'Z' && windowsPath[0] != 'z') || windowsPath[1] != ':') return false;
    lstrcpynA(out, windowsPath + 2, capacity);
    for (char *c = out; *c; ++c)
        if (*c == '\\') *c = '/';
    return true;
}

bool ReadWholeFile(const char *path, BYTE *out, DWORD capacity, DWORD *length) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = ReadFile(file, out, capacity, length, nullptr) && *length > 0 && *length < capacity;
    CloseHandle(file);
    return ok;
}

// The file holds the head, then the body.
bool WriteWholeFile(const char *path, const char *head, const char *body = "", DWORD bodyLength = 0) {
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD headLength = (DWORD)strlen(head), written = 0, bodyWritten = 0;
    bool ok = WriteFile(file, head, headLength, &written, nullptr) && written == headLength &&
              (!bodyLength || (WriteFile(file, body, bodyLength, &bodyWritten, nullptr) && bodyWritten == bodyLength));
    CloseHandle(file);
    return ok;
}

bool FileSays(const char *path, const char *text) {
    BYTE content[64] = {0};
    DWORD length = 0;
    return ReadWholeFile(path, content, sizeof content - 1, &length) &&
           strncmp(reinterpret_cast<char *>(content), text, strlen(text)) == 0;
}

HCERTSTORE OpenUserRootStore() {
    return CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, "Root");
}

}  // namespace

TestTlsSite::TestTlsSite() : listenPort(0), authorityLength(0) { folder[0] = 0; }

TestTlsSite::~TestTlsSite() {
    untrust();
    stop();
}

bool TestTlsSite::start(const char *hostNames) {
    stop();
    static LONG sites = 0;
    // Beside the programs, which the Linux side reaches; ids repeat across the
    // prefixes of tests run side by side, so the folder is the one this call made.
    char name[64];
    bool made = false;
    for (int attempt = 0; attempt < 100 && !made; ++attempt) {
        snprintf(name, sizeof name, "tls_site_%lu_%lu_%ld", GetCurrentProcessId(), GetTickCount(),
                 InterlockedIncrement(&sites));
        BinPath(name, folder, sizeof folder);
        made = CreateDirectoryA(folder, nullptr) != FALSE;
    }
    if (!made) {
        folder[0] = 0;
        return false;
    }
    char script[MAX_PATH], unixScript[MAX_PATH], unixFolder[MAX_PATH];
    BinPath("tls_site.sh", script, sizeof script);
    listenPort = UnusedLocalPort();
    if (!UnixPath(script, unixScript, sizeof unixScript) ||
        !UnixPath(folder, unixFolder, sizeof unixFolder) || !listenPort)
        return false;
    char command[1024];
    snprintf(command, sizeof command, "/bin/sh %s %s %d %s", unixScript, unixFolder, listenPort, hostNames);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    // Wine starts a Linux program without a handle to it: the site ends on its stop file.
    if (!CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return false;
    if (info.hThread) CloseHandle(info.hThread);
    if (info.hProcess) CloseHandle(info.hProcess);
    char state[MAX_PATH];
    snprintf(state, sizeof state, "%s\\state", folder);
    return WaitFor([&] { return FileSays(state, "ready"); }, 60000);
}

void TestTlsSite::stop() {
    if (!folder[0]) return;
    char stopFile[MAX_PATH];
    snprintf(stopFile, sizeof stopFile, "%s\\stop", folder);
    if (GetFileAttributesA(folder) != INVALID_FILE_ATTRIBUTES && WriteWholeFile(stopFile, "stop"))
        WaitFor([&] { return GetFileAttributesA(folder) == INVALID_FILE_ATTRIBUTES; }, 15000);
    folder[0] = 0;
}

bool TestTlsSite::trust() {
    untrust();
    char path[MAX_PATH];
    snprintf(path, sizeof path, "%s\\ca.der", folder);
    DWORD length = 0;
    HCERTSTORE store = ReadWholeFile(path, authority, sizeof authority, &length) ? OpenUserRootStore() : nullptr;
    if (!store) return false;
    // No context is kept: the registry store is written only once nothing holds it.
    if (CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, authority, length,
                                         CERT_STORE_ADD_REPLACE_EXISTING, nullptr))
        authorityLength = length;
    CertCloseStore(store, 0);
    return authorityLength != 0;
}

void TestTlsSite::untrust() {
    if (!authorityLength) return;
    PCCERT_CONTEXT wanted = CertCreateCertificateContext(X509_ASN_ENCODING, authority, authorityLength);
    HCERTSTORE store = OpenUserRootStore();
    PCCERT_CONTEXT found = store && wanted ? CertFindCertificateInStore(store, X509_ASN_ENCODING, 0,
                                                                        CERT_FIND_EXISTING, wanted, nullptr)
                                           : nullptr;
    if (found) CertDeleteCertificateFromStore(found);
    if (wanted) CertFreeCertificateContext(wanted);
    if (store) CertCloseStore(store, 0);
    authorityLength = 0;
}

bool TestTlsSite::setResponse(const char *head, const char *body, int length) {
    char path[MAX_PATH];
    snprintf(path, sizeof path, "%s\\www\\ZorvanePAD.xml", folder);
    return WriteWholeFile(path, head, body, (DWORD)length);
}

bool TestTlsSite::setBody(const char *body, int length) {
    char head[256];
    snprintf(head, sizeof head,
             "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: %d\r\nConnection: close\r\n\r\n",
             length);
    return setResponse(head, body, length);
}

bool TestTlsSite::setBodyText(const char *body) { return setBody(body, (int)strlen(body)); }

void SiteHost(char *out, int capacity) {
    const char site[] = ZORVANE_SITE;
    const char *slashes = strstr(site, "//");
    lstrcpynA(out, slashes ? slashes + 2 : site, capacity);
    char *end = strpbrk(out, ":/");
    if (end) *end = 0;
}

}  // namespace dlg
