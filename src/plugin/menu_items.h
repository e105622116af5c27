// The entries of the menu the host offers on its group list.
#pragma once

#include <array>
#include <string>

namespace drwa::plugin {

enum class MenuItem { kOpenUrl = 0, kOpenFolder = 1, kOpenErrorLog = 2, kOpenSendLog = 3 };

inline constexpr std::array<const char*, 4> kMenuTexts{
    "URLを開く",
    "フォルダを開く",
    "（存在すれば）エラーログを開く",
    "（存在すれば）送信ログを開く",
};

// The entries, each followed by CR LF: the text GetMenuItems hands the host.
inline const std::string& MenuText() {
    static const std::string text = [] {
        std::string t;
        for (const char* item : kMenuTexts) t += std::string(item) + "\r\n";
        return t;
    }();
    return text;
}

}  // namespace drwa::plugin
