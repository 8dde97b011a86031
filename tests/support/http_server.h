// A small HTTP server on 127.0.0.1, run on a thread of the test program, that
// answers every request with one configured reply and counts the requests.
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

    LONG requests() const { return requestCount; }
    // The first line of the last request ("GET /ZorvanePAD.xml HTTP/1.1").
    void lastRequestLine(char *out, int capacity);

    // Internals shared with the server thread.
    void serve();
    void answer(UINT_PTR client);

    UINT_PTR listener;
    int listenPort;
    HANDLE thread;
    volatile LONG stopping;
    volatile LONG requestCount;
    CRITICAL_SECTION lock;
    char *reply;
    int replyLength;
    char requestLine[512];
};

// A loopback port on which nothing listens.
int UnusedLocalPort();

}  // namespace dlg

#endif
