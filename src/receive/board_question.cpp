#include "receive/board_question.h"

#include <algorithm>
#include <cstdint>

#include "common/error.h"
#include "config/text_helpers.h"
#include "convert/comma_text.h"
#include "platform/process.h"
#include "platform/system.h"
#include "receive/plugin_command_line.h"

namespace drwa::receive {
namespace {

// An answer is two short lines; what a plugin prints beyond this is not kept.
constexpr std::size_t kAnswerLimit = 64 * 1024;

std::string_view LineAt(std::string_view text, std::size_t& at) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    std::string_view line = text.substr(at, end - at);
    at = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

}  // namespace

std::optional<std::string> ParseBoardAnswer(std::string_view output) {
    std::size_t at = 0;
    if (LineAt(output, at) != "OK") return std::nullopt;
    std::string title;
    // Lead and trail bytes of CP932 are never below 0x40: a byte below 0x20
    // is a control character wherever it stands.
    for (const char c : at < output.size() ? LineAt(output, at) : std::string_view{})
        if (static_cast<unsigned char>(c) >= 0x20 && c != '\x7f') title += c;
    return std::string(config::TrimText(title));
}

std::optional<std::string> AskPluginForBoard(const config::IniFile& account,
                                             const config::ArticlePlugin& plugin,
                                             std::string_view url, std::string_view folder,
                                             int time_limit_ms) {
    const std::string command =
        PluginCommandLine(account, plugin.name, static_cast<int>(plugin.kind)) + " \"u\" " +
        convert::Quoted(url);
    std::optional<platform::ChildProcess> child;
    try {
        child.emplace(command, folder);
    } catch (const Error&) {
        return std::nullopt;  // a plugin that cannot start reads no board
    }
    std::string out;
    const auto keep = [&](std::string_view bytes) {
        if (out.size() < kAnswerLimit) out.append(bytes.substr(0, kAnswerLimit - out.size()));
    };
    const auto discard = [](std::string_view) {};
    const std::uint64_t deadline =
        platform::MonotonicMs() + static_cast<std::uint64_t>(time_limit_ms);
    while (!child->HasExited()) {
        const std::uint64_t now = platform::MonotonicMs();
        if (now >= deadline) {
            child->Kill();
            return std::nullopt;
        }
        child->Wait(static_cast<int>(std::min<std::uint64_t>(deadline - now, 100)));
        child->Drain(keep, discard);
    }
    child->Drain(keep, discard);
    if (child->ExitCode() != 0) return std::nullopt;
    return ParseBoardAnswer(out);
}

}  // namespace drwa::receive
