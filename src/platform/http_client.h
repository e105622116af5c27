// One HTTP request to a board and its whole answer. The interface names no
// back-end: libcurl stands behind it on POSIX systems (posix/), the system's
// WinHTTP on Windows (win32/).
#pragma once

#include <functional>
#include <string>

namespace drwa::platform {

struct HttpRequest {
    std::string url;    // http:// or https:// only
    bool post = false;  // POST `body`; otherwise GET (no body)
    std::string body;
    std::string content_type;  // sent with either method; empty: none
    std::string user_agent;
    // Basic authentication, sent with the first request, when either is set.
    std::string user;
    std::string password;
    // Empty: straight to the board. Proxies named by the environment are never
    // used behind the caller's back.
    std::string proxy_host;
    int proxy_port = 0;  // 0: the back-end's default port
    // The request ends when nothing has come or gone for this long (connecting
    // included); 0 waits for ever. A slow answer that keeps trickling in lives.
    int idle_timeout_ms = 0;
    // Run on the caller's thread each time the wait wakes, at least every
    // kHttpWakeMs: the place for a host's pending work while a request blocks.
    // Returning false gives the request up (the answer is then `abandoned`).
    std::function<bool()> on_wait;
};

inline constexpr int kHttpWakeMs = 25;

struct HttpResponse {
    bool ok = false;  // the request completed with a 2xx status
    // Why not: the back-end's own text, or the status line of a status that
    // isn't 2xx ("HTTP/1.1 500 Internal Server Error"). Empty when ok.
    std::string error;
    int status = 0;  // 0 when no answer arrived
    // The answer's Location header resolved against the request URL (a board
    // may answer with a relative one); empty when there is none.
    std::string location;
    std::string body;        // byte for byte, whatever arrived, also on failure
    bool abandoned = false;  // on_wait gave it up; whether the board took it is unknown
    // Some of the request went out: from here on the board may have taken it,
    // whatever became of the answer. False only when it surely never left
    // (no connection, no name, a proxy that refused).
    bool request_sent = false;
};

// Sends the request and waits for the whole answer, redirects not followed.
// Nothing that happens on the network throws: it is reported in the response.
HttpResponse SendHttpRequest(const HttpRequest& request);

}  // namespace drwa::platform
