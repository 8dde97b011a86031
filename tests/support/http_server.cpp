// The loopback HTTP server of the update tests. Winsock is bound at run time,
// so the test programs need no extra import library.
#include <winsock2.h>

#include "http_server.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace dlg {

namespace {

struct WinsockEntries {
    int(WSAAPI *startup)(WORD, LPWSADATA);
    SOCKET(WSAAPI *socket_)(int, int, int);
    int(WSAAPI *bind_)(SOCKET, const sockaddr *, int);
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
              Bind(module, "bind", &w.bind_) && Bind(module, "listen", &w.listen_) &&
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
      replyLength(0) {
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

}  // namespace dlg
