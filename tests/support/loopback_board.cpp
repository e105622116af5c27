#include "support/loopback_board.h"

#include <windows.h>
#include <ws2tcpip.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <utility>

#include "platform/win32/wide_text.h"

namespace drwa::testing {
namespace {

// Just enough JSON for a plan: objects, arrays, strings, numbers, literals.
struct Json {
    enum class Kind { kNull, kBool, kNumber, kString, kArray, kObject } kind = Kind::kNull;
    bool flag = false;
    double number = 0;
    std::string text;  // UTF-8 from \u escapes, other bytes as written
    std::string raw;   // a string as written between its quotes
    std::vector<Json> items;
    std::vector<std::pair<std::string, Json>> fields;

    const Json* Field(std::string_view name) const {
        for (const auto& [n, v] : fields)
            if (n == name) return &v;
        return nullptr;
    }
};

class JsonReader {
  public:
    explicit JsonReader(std::string_view text) : rest_(text) {}

    Json Document() {
        Json value = Value();
        Blanks();
        if (!rest_.empty()) Fail("text after the end");
        return value;
    }

  private:
    [[noreturn]] static void Fail(const char* what) {
        throw std::runtime_error(std::string("board plan: ") + what);
    }

    void Blanks() {
        while (!rest_.empty() &&
               std::string_view(" \t\r\n").find(rest_.front()) != std::string_view::npos)
            rest_.remove_prefix(1);
    }

    bool Take(std::string_view word) {
        if (!rest_.starts_with(word)) return false;
        rest_.remove_prefix(word.size());
        return true;
    }

    Json Value() {
        Blanks();
        if (rest_.empty()) Fail("a value is missing");
        Json v;
        if (Take("{")) {
            v.kind = Json::Kind::kObject;
            Blanks();
            if (Take("}")) return v;
            do {
                Blanks();
                std::string name = String();
                Blanks();
                if (!Take(":")) Fail("':' expected");
                v.fields.emplace_back(std::move(name), Value());
                Blanks();
            } while (Take(","));
            if (!Take("}")) Fail("'}' expected");
        } else if (Take("[")) {
            v.kind = Json::Kind::kArray;
            Blanks();
            if (Take("]")) return v;
            do {
                v.items.push_back(Value());
                Blanks();
            } while (Take(","));
            if (!Take("]")) Fail("']' expected");
        } else if (rest_.front() == '"') {
            v.kind = Json::Kind::kString;
            const std::string_view from = rest_;
            v.text = String();
            v.raw = from.substr(1, from.size() - rest_.size() - 2);
        } else if (Take("true")) {
            v.kind = Json::Kind::kBool;
            v.flag = true;
        } else if (Take("false")) {
            v.kind = Json::Kind::kBool;
        } else if (Take("null")) {
        } else {
            const std::string number(rest_.substr(0, rest_.find_first_of(",]} \t\r\n")));
            char* end = nullptr;
            v.kind = Json::Kind::kNumber;
            v.number = std::strtod(number.c_str(), &end);
            if (number.empty() || end != number.c_str() + number.size()) Fail("bad value");
            rest_.remove_prefix(number.size());
        }
        return v;
    }

    std::string String() {
        if (!Take("\"")) Fail("'\"' expected");
        std::string out;
        while (!rest_.empty() && rest_.front() != '"') {
            char c = rest_.front();
            rest_.remove_prefix(1);
            if (c != '\\') {
                out += c;
                continue;
            }
            if (rest_.empty()) break;
            c = rest_.front();
            rest_.remove_prefix(1);
            switch (c) {
                case 'n':
                    out += '\n';
                    break;
                case 'r':
                    out += '\r';
                    break;
                case 't':
                    out += '\t';
                    break;
                case 'b':
                    out += '\b';
                    break;
                case 'f':
                    out += '\f';
                    break;
                case 'u':
                    out += Utf8(CodeUnit());
                    break;
                default:
                    out += c;  // \" \\ \/
            }
        }
        if (!Take("\"")) Fail("unterminated string");
        return out;
    }

    unsigned CodeUnit() {
        if (rest_.size() < 4) Fail("short \\u escape");
        const std::string hex(rest_.substr(0, 4));
        rest_.remove_prefix(4);
        return static_cast<unsigned>(std::strtoul(hex.c_str(), nullptr, 16));
    }

    // Plans spell non-ASCII bodies as files; a BMP code point is enough here.
    static std::string Utf8(unsigned c) {
        std::string out;
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
        return out;
    }

    std::string_view rest_;
};

// The usual reason phrases, for a plan that gives only the status.
constexpr std::pair<int, const char*> kReasons[] = {
    {100, "Continue"},
    {200, "OK"},
    {201, "Created"},
    {204, "No Content"},
    {301, "Moved Permanently"},
    {302, "Found"},
    {303, "See Other"},
    {304, "Not Modified"},
    {307, "Temporary Redirect"},
    {308, "Permanent Redirect"},
    {400, "Bad Request"},
    {401, "Unauthorized"},
    {403, "Forbidden"},
    {404, "Not Found"},
    {407, "Proxy Authentication Required"},
    {500, "Internal Server Error"},
    {502, "Bad Gateway"},
    {503, "Service Unavailable"},
};

std::string ReasonOf(int status) {
    for (const auto& [code, reason] : kReasons)
        if (code == status) return reason;
    return "Unknown";
}

// A CP932 path, as the tests write them, opened through the wide API.
std::optional<std::string> ReadBodyFile(const std::string& path) {
    const std::optional<std::wstring> wide = platform::win32::TryCp932ToWide(path);
    if (!wide) return std::nullopt;
    std::ifstream in(std::filesystem::path(*wide), std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

LoopbackBoard::Answer AnswerOf(const Json& a) {
    LoopbackBoard::Answer out;
    const Json* status_field = a.Field("status");
    const int status = status_field ? static_cast<int>(status_field->number) : 200;
    const Json* reason = a.Field("reason");
    if (const Json* file = a.Field("body_file")) {
        // Tests paste a folder's path into the plan as it stands, and a Windows
        // path's backslashes read as escapes ("\root" as CR): the path as
        // written is tried when the decoded one names no file.
        std::optional<std::string> bytes = ReadBodyFile(file->text);
        if (!bytes) bytes = ReadBodyFile(file->raw);
        if (!bytes) throw std::runtime_error("board plan: cannot read " + file->raw);
        out.body = std::move(*bytes);
    } else if (const Json* body = a.Field("body"))
        out.body = body->text;
    else
        out.body = "OK";
    out.head = "HTTP/1.1 " + std::to_string(status) + " " +
               (reason && reason->kind == Json::Kind::kString ? reason->text : ReasonOf(status)) +
               "\r\n";
    if (const Json* headers = a.Field("headers"))
        for (const Json& h : headers->items)
            if (h.items.size() == 2) out.head += h.items[0].text + ": " + h.items[1].text + "\r\n";
    out.head +=
        "Content-Length: " + std::to_string(out.body.size()) + "\r\nConnection: close\r\n\r\n";
    if (const Json* delay = a.Field("delay")) out.delay = delay->number;
    if (const Json* trickle = a.Field("trickle")) out.trickle = trickle->number;
    if (const Json* close = a.Field("close")) out.close = close->flag;
    return out;
}

bool SendAll(SOCKET s, std::string_view bytes) {
    while (!bytes.empty()) {
        const int sent = send(s, bytes.data(), static_cast<int>(bytes.size()), 0);
        if (sent <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

// The request as it came: header lines up to the empty line, then as many
// bytes as Content-Length says. Empty when the client sent nothing.
std::string ReadRequest(SOCKET s) {
    std::string raw;
    std::size_t head_end = std::string::npos;
    std::size_t body_length = 0;
    char buffer[4096];
    for (;;) {
        if (head_end != std::string::npos && raw.size() >= head_end + body_length) break;
        const int got = recv(s, buffer, sizeof buffer, 0);
        if (got <= 0) break;
        raw.append(buffer, static_cast<std::size_t>(got));
        if (head_end != std::string::npos) continue;
        std::size_t line = 0;
        while (line < raw.size()) {
            const std::size_t lf = raw.find('\n', line);
            if (lf == std::string::npos) break;
            std::string_view text(raw.data() + line, lf - line);
            if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
            if (text.empty() && line > 0) {
                head_end = lf + 1;
                break;
            }
            const std::size_t colon = text.find(':');
            if (colon == 14 && _strnicmp(text.data(), "content-length", colon) == 0)
                body_length =
                    std::strtoul(std::string(text.substr(colon + 1)).c_str(), nullptr, 10);
            line = lf + 1;
        }
        if (head_end == std::string::npos) body_length = 0;  // counted again with the whole head
    }
    if (head_end != std::string::npos && raw.size() > head_end + body_length)
        raw.resize(head_end + body_length);
    return raw;
}

}  // namespace

LoopbackBoard::WinsockSession::WinsockSession() {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) throw std::runtime_error("WSAStartup failed");
}

LoopbackBoard::WinsockSession::~WinsockSession() {
    WSACleanup();
}

LoopbackBoard::LoopbackBoard(const std::string& plan) {
    if (!plan.empty())
        for (const Json& answer : JsonReader(plan).Document().items)
            plan_.push_back(AnswerOf(answer));
    if (plan_.empty()) plan_.push_back(AnswerOf(Json{}));

    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (listener_ == INVALID_SOCKET) throw std::runtime_error("socket failed");
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof a;
    if (bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        listen(listener_, SOMAXCONN) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &size) != 0) {
        closesocket(listener_);
        throw std::runtime_error("the board server cannot listen");
    }
    port_ = ntohs(a.sin_port);
    acceptor_ = std::thread([this] { AcceptLoop(); });
}

LoopbackBoard::~LoopbackBoard() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
        for (SOCKET c : clients_) shutdown(c, SD_BOTH);
    }
    stopped_.notify_all();
    // Closing the listening socket ends the accept the thread is blocked in.
    closesocket(listener_);
    acceptor_.join();
    for (std::thread& t : handlers_) t.join();
}

std::vector<std::string> LoopbackBoard::Requests() const {
    const std::lock_guard lock(mutex_);
    return requests_;
}

int LoopbackBoard::UnusedPort() {
    WinsockSession winsock;
    const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof a;
    bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    getsockname(s, reinterpret_cast<sockaddr*>(&a), &size);
    closesocket(s);
    return ntohs(a.sin_port);
}

void LoopbackBoard::AcceptLoop() {
    for (;;) {
        const SOCKET client = accept(listener_, nullptr, nullptr);
        const std::lock_guard lock(mutex_);
        if (client == INVALID_SOCKET || stopping_) {
            if (client != INVALID_SOCKET) closesocket(client);
            if (stopping_) return;
            continue;
        }
        clients_.push_back(client);
        handlers_.emplace_back([this, client] { Serve(client); });
    }
}

bool LoopbackBoard::Pause(double seconds) {
    std::unique_lock lock(mutex_);
    return !stopped_.wait_for(lock, std::chrono::duration<double>(seconds),
                              [this] { return stopping_; });
}

void LoopbackBoard::Serve(SOCKET client) {
    std::string raw = ReadRequest(client);
    if (!raw.empty()) {
        Answer answer;
        {
            const std::lock_guard lock(mutex_);
            requests_.push_back(std::move(raw));
            answer = plan_[std::min(answered_, plan_.size() - 1)];
            ++answered_;
        }
        if (Pause(answer.delay) && !answer.close) {
            if (answer.trickle <= 0) {
                SendAll(client, answer.head + answer.body);
            } else if (SendAll(client, answer.head)) {
                for (char byte : answer.body)
                    if (!Pause(answer.trickle) || !SendAll(client, std::string_view(&byte, 1)))
                        break;
            }
        }
    }
    shutdown(client, SD_SEND);
    const std::lock_guard lock(mutex_);
    std::erase(clients_, client);
    closesocket(client);
}

}  // namespace drwa::testing
