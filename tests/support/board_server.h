// The board server of tests/support/board_server.py, started for one test:
// it records every request it gets and answers by a plan. On Windows the same
// server runs inside the test process (loopback_board.h): a Windows program
// under Wine cannot start the Linux python3.
#pragma once

#ifndef _WIN32
#include <sys/types.h>
#endif

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "support/temp_folder.h"

namespace drwa::testing {

// One request as the server received it, byte for byte.
struct RecordedRequest {
    std::string raw;     // request line, header lines, empty line, body
    std::string method;  // "POST"
    std::string path;    // "/test/bbs.cgi"
    std::string query;   // after "?", without it; empty without one
    bool has_query = false;
    std::vector<std::pair<std::string, std::string>> headers;  // in order, values trimmed
    std::string body;

    // The first header of that name (any letter case); empty when missing.
    std::string Header(std::string_view name) const;
    bool HasHeader(std::string_view name) const;
};

#ifdef _WIN32
class LoopbackBoard;
#endif

class BoardServer {
  public:
    // Starts the server with its files in `dir`. `plan` is the JSON list of
    // answers described in board_server.py; empty: 200 "OK" to everything.
    explicit BoardServer(const TempFolder& dir, const std::string& plan = "");
#ifdef _WIN32
    // In the test process the requests are kept in memory: no folder needed.
    explicit BoardServer(const std::string& plan = "");
#endif
    ~BoardServer();
    BoardServer(const BoardServer&) = delete;
    BoardServer& operator=(const BoardServer&) = delete;

    int port() const {
        return port_;
    }
    // "http://127.0.0.1:<port>" + path.
    std::string Url(std::string_view path = "/") const;

    // Every request so far, in the order received.
    std::vector<RecordedRequest> Requests() const;

  private:
#ifdef _WIN32
    std::unique_ptr<LoopbackBoard> board_;
#else
    void Stop();

    std::string log_;
    pid_t pid_ = -1;
#endif
    int port_ = 0;
};

// The parts of one request as the server logged it.
RecordedRequest ParseRecordedRequest(std::string raw);

// A port on 127.0.0.1 where nothing listens (bound, then released).
int UnusedPort();

}  // namespace drwa::testing
