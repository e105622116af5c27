// The board server of board_server.py inside the test process, over Winsock,
// for the Windows tests: a Windows program under Wine cannot start the Linux
// python3. Same plan (a JSON list of answers, see board_server.py), same
// answers, same bytes recorded; the log is kept in memory.
#pragma once

#include <winsock2.h>

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace drwa::testing {

class LoopbackBoard {
  public:
    // Listens on a port of 127.0.0.1 the system chooses. Throws
    // std::runtime_error when the plan is not valid JSON or no socket is had.
    explicit LoopbackBoard(const std::string& plan);
    // Ends every answer still waiting or trickling, then every thread.
    ~LoopbackBoard();
    LoopbackBoard(const LoopbackBoard&) = delete;
    LoopbackBoard& operator=(const LoopbackBoard&) = delete;

    int port() const { return port_; }
    // Every request so far, byte for byte, in the order received.
    std::vector<std::string> Requests() const;

    // A port on 127.0.0.1 where nothing listens (bound, then released).
    static int UnusedPort();

    struct Answer {
        std::string head;  // status line and headers, with the empty line
        std::string body;
        double delay = 0;    // seconds of silence before the answer
        double trickle = 0;  // seconds before each byte of the body
        bool close = false;  // hang up without answering
    };

  private:
    // Winsock is started for as long as the server lives.
    struct WinsockSession {
        WinsockSession();
        ~WinsockSession();
    };

    void AcceptLoop();
    void Serve(SOCKET client);
    // Waits `seconds` unless the server stops first; false when it stopped.
    bool Pause(double seconds);

    WinsockSession winsock_;
    std::vector<Answer> plan_;
    SOCKET listener_ = INVALID_SOCKET;
    int port_ = 0;

    mutable std::mutex mutex_;         // guards everything below
    std::condition_variable stopped_;  // signalled when stopping_ turns true
    bool stopping_ = false;
    std::vector<std::string> requests_;
    std::size_t answered_ = 0;
    std::vector<SOCKET> clients_;  // open connections, shut down on stop

    std::vector<std::thread> handlers_;  // touched by the accepting thread, then the destructor
    std::thread acceptor_;
};

}  // namespace drwa::testing
