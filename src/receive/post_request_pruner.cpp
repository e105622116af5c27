#include "receive/post_request_pruner.h"

#include <optional>
#include <string>
#include <vector>

#include "common/error.h"
#include "config/text_helpers.h"
#include "platform/files.h"

namespace drwa::receive {
namespace {

bool StartsWith(const std::string& s, std::string_view p) {
    return s.rfind(p, 0) == 0;
}

bool EndsWithHandledMark(const std::string& s) {
    return s.size() >= 2 && s.compare(s.size() - 2, 2, ",,") == 0;
}

}  // namespace

void PrunePostRequestFile(std::string_view path) {
    auto bytes = platform::ReadFile(path);
    if (!bytes) return;
    const std::vector<std::string> lines = config::SplitLines(*bytes);

    std::vector<std::string> kept;
    std::optional<std::size_t> count_line;
    std::size_t i = 0;
    for (; i < lines.size() && StartsWith(lines[i], "#"); ++i) {
        if (StartsWith(lines[i], "#U:")) count_line = kept.size();
        kept.push_back(lines[i]);
    }

    enum class State { kBetween, kHandled, kPending } state = State::kBetween;
    int pending = 0;
    for (; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        switch (state) {
            case State::kBetween:
                if (!StartsWith(line, "S:")) break;  // stray line: dropped
                if (EndsWithHandledMark(line)) {
                    state = State::kHandled;
                } else {
                    state = State::kPending;
                    ++pending;
                    kept.push_back(line);
                }
                break;
            case State::kHandled:
                if (line == ".") state = State::kBetween;
                break;
            case State::kPending:
                kept.push_back(line);
                if (line == ".") state = State::kBetween;
                break;
        }
    }

    if (pending > 0) {
        std::string header = "#U:" + std::to_string(pending);
        if (count_line)
            kept[*count_line] = header;
        else
            kept.insert(kept.begin(), header);
        // What the library rewrites itself goes back with CR LF; plugins read both.
        config::SaveLinesCrLf(kept, path);
    } else if (!platform::DeleteFile(path)) {
        throw Error("ファイル:" + std::string(path) + "を削除できませんでした");
    }
}

}  // namespace drwa::receive
