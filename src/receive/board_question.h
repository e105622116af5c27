// Asking an article plugin whether it reads a board, before there is a group
// for it: the plugin started as the receive run starts it, with the arguments
// "u" and the board's address. A plugin that reads the board answers "OK" and
// the board's title on the first two lines of its standard output and exits
// with 0; anything else is no.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "config/file_search.h"
#include "config/ini_file.h"

namespace drwa::receive {

// A board question fetches one or two small files; a plugin still busy after
// this long is taken to say no and is stopped.
inline constexpr int kBoardQuestionMs = 20000;

// The board's title as `plugin` answered for `url` (CP932; control characters
// dropped, blanks trimmed; empty when the board has none), run in `folder`.
// Nothing when the plugin says no, cannot be started, or is still running
// after `time_limit_ms` (it is then killed with everything it started).
std::optional<std::string> AskPluginForBoard(const config::IniFile& account,
                                             const config::ArticlePlugin& plugin,
                                             std::string_view url, std::string_view folder,
                                             int time_limit_ms = kBoardQuestionMs);

// The answer printed by a plugin, as above: the title after a first line "OK".
std::optional<std::string> ParseBoardAnswer(std::string_view output);

}  // namespace drwa::receive
