#include "account_folders.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <string>

#include "terminal_text.h"

namespace drwa_host {
namespace {

std::string Trim(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// A value of section SERVER; the host writes only ASCII keys there.
std::string ServerValue(const std::filesystem::path& account, const std::string& key) {
    std::ifstream in(account, std::ios::binary);
    std::string line;
    bool in_server = false;
    while (std::getline(in, line)) {
        const std::string t = Trim(line);
        if (!t.empty() && t[0] == '[') {
            in_server = Upper(t.substr(1, t.find(']') - 1)) == "SERVER";
        } else if (in_server) {
            const auto eq = t.find('=');
            if (eq != std::string::npos && Upper(Trim(t.substr(0, eq))) == key)
                return Trim(t.substr(eq + 1));
        }
    }
    return {};
}

std::filesystem::path BaseFolder(const std::filesystem::path& account) {
    const std::string specify = ServerValue(account, "SPECIFYFOLDER");
    if (!specify.empty() && specify != "0") {
        const std::string folder = ServerValue(account, "DATAFOLDER");
        if (!folder.empty()) return ToUtf8(folder);
    }
    return account.parent_path();
}

}  // namespace

std::filesystem::path SpoolFolder(const std::filesystem::path& account) {
    return BaseFolder(account) / "spool";
}

std::filesystem::path OutboxFolder(const std::filesystem::path& account) {
    return account.parent_path() / "SMTP.BOX";
}

}  // namespace drwa_host
