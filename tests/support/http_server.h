// A small HTTP server on 127.0.0.1, run on a thread of the test program, that
// answers every request with one configured reply and counts the requests, or
// carries CONNECT requests on to a local HTTPS site as a proxy does; and that
// HTTPS site, with a certificate of a test authority of its own.
#ifndef ZV_HTTP_SERVER_H
#define ZV_HTTP_SERVER_H

#include <windows.h>

// Kept apart from the other areas' helpers of the shared support library.
namespace dlg {

struct TestHttpServer {
    TestHttpServer();
    ~TestHttpServer();  // stops the server

    // Listens on 127.0.0.1 at a free port; false when Winsock is unavailable.
    bool start();
    // Stops listening and ends the thread; the port is closed afterwards.
    void stop();
    int port() const { return listenPort; }

    // "200 OK" with this body (and its Content-Length).
    void setBody(const char *body, int length);
    void setBodyText(const char *body);
    // The reply with this status line text ("404 Not Found") and body.
    void setReply(const char *status, const char *body, int length);

    // A CONNECT request is answered "200 Connection established" and its
    // connection carried on to this loopback port, as a proxy does for https://.
    void tunnelTo(int port) { tunnelPort = port; }

    LONG requests() const { return requestCount; }
    // The first line of the last request ("GET /ZorvanePAD.xml HTTP/1.1").
    void lastRequestLine(char *out, int capacity);

    // Internals shared with the server thread.
    void serve();
    void answer(UINT_PTR client);
    void relay(UINT_PTR client);

    UINT_PTR listener;
    int listenPort;
    HANDLE thread;
    volatile LONG stopping;
    volatile LONG requestCount;
    CRITICAL_SECTION lock;
    char *reply;
    int replyLength;
    char requestLine[512];
    volatile int tunnelPort;
};

// An HTTPS site on 127.0.0.1: openssl's s_server, on the Linux side, with a
// certificate for the given host names from a test authority made for it. The
// authority is trusted in the current user's root store only while trust() holds.
struct TestTlsSite {
    TestTlsSite();
    ~TestTlsSite();  // stops the server and withdraws the trust
    // Makes the authority and the certificate, starts the server; false when
    // it is not ready within the time.
    bool start(const char *hostNames);
    void stop();
    int port() const { return listenPort; }
    bool trust();
    void untrust();
    // The reply to GET /ZorvanePAD.xml: "200 OK" with this body, or the whole
    // HTTP response given as its head and body.
    bool setBody(const char *body, int length);
    bool setBodyText(const char *body);
    bool setResponse(const char *head, const char *body = "", int length = 0);

    char folder[MAX_PATH];
    int listenPort;
    BYTE authority[4096];  // the trusted authority's certificate, while trusted
    DWORD authorityLength;
};

// The host name of the built-in product site.
void SiteHost(char *out, int capacity);

// A loopback port on which nothing listens.
int UnusedLocalPort();

}  // namespace dlg

#endif
