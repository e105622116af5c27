// import: each file converted on its own under one group's settings, the
// source kept. A file that fails is reported and the others still go; the
// exit status then says that not everything was imported.
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "common/error.h"
#include "config/folders.h"
#include "config/ini_file.h"
#include "config/settings_keys.h"
#include "config/shared_records.h"
#include "convert/article_converter.h"
#include "import_command.h"
#include "platform/account_lock.h"
#include "platform/charset_edge.h"
#include "platform/files.h"

namespace drwa_tool {
namespace {

namespace config = drwa::config;
namespace keys = drwa::config::keys;
namespace platform = drwa::platform;

constexpr const char* kUsage =
    "usage: drwa-tool import --account ACCOUNT.ini --group N [--dummy-domain @D] [--no-wait] "
    "FILE...\n"
    "  N is the group's 0-based index in the account (section N+1)\n"
    "  --no-wait: fail at once when another command is working on the account\n";

struct ImportOptions {
    std::string account;  // UTF-8, as given
    int group = -1;
    std::optional<std::string> dummy_domain;
    bool no_wait = false;
    std::vector<std::string> files;  // UTF-8, as given
};

std::optional<int> ParseIndex(std::string_view text) {
    int value = -1;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < 0) return std::nullopt;
    return value;
}

std::optional<ImportOptions> ParseOptions(const Args& args) {
    ImportOptions o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool has_value = i + 1 < args.size();
        if (a == "--account" && has_value) {
            o.account = args[++i];
        } else if (a == "--group" && has_value) {
            const auto index = ParseIndex(args[++i]);
            if (!index) return std::nullopt;
            o.group = *index;
        } else if (a == "--dummy-domain" && has_value) {
            o.dummy_domain = args[++i];
        } else if (a == "--no-wait") {
            o.no_wait = true;
        } else if (a == "--") {
            o.files.insert(o.files.end(), args.begin() + static_cast<long>(i) + 1, args.end());
            break;
        } else if (a.starts_with("--")) {
            return std::nullopt;
        } else {
            o.files.push_back(a);
        }
    }
    if (o.account.empty() || o.group < 0 || o.files.empty()) return std::nullopt;
    return o;
}

// Library messages are CP932; the terminal is UTF-8.
std::string ForTerminal(std::string_view cp932) {
    return platform::TryCp932ToUtf8(cp932).value_or(std::string(cp932));
}

// The dummy domain lives in the shared block as long as this process keeps it.
class SharedBlock {
  public:
    SharedBlock() { config::KeepSharedBlock(); }
    ~SharedBlock() { config::ReleaseSharedBlock(); }
    SharedBlock(const SharedBlock&) = delete;
    SharedBlock& operator=(const SharedBlock&) = delete;
};

std::size_t CountMailFiles(const std::string& spool) {
    const auto entries = platform::ListFolder(spool, [](std::string_view native) {
        return native.size() > 4 && native.ends_with(".eml");
    });
    return static_cast<std::size_t>(
        std::count_if(entries.begin(), entries.end(), [](const auto& e) { return !e.is_folder; }));
}

// The group's settings file, from section N+1 of the account file.
std::string GroupSettingsPath(const config::IniFile& account, int index,
                              const std::string& account_utf8) {
    const std::string section = config::GroupSection(index + 1);
    const std::string folder_name = account.ReadString(section, keys::kFolderName, "");
    if (folder_name.empty())
        throw drwa::Error("group " + std::to_string(index) + " (section " + section +
                          ") has no FOLDER_NAME in " + platform::Utf8ToCp932(account_utf8));
    const std::string path =
        config::FileIn(config::GroupFolder(config::GetDataFolder(account), folder_name),
                       config::kGroupSettingsFile);
    // Without its settings file the group has no identity, and the mails would
    // carry addresses that lead nowhere.
    if (!platform::FileExists(path)) throw drwa::Error("no group settings file " + path);
    return path;
}

// One command at a time per account, as drwa-host's receive, send and deliver:
// an import writes the group's board file and number list as a receive does.
platform::AccountLock LockAccount(const ImportOptions& o) {
    const std::string native =
        platform::Cp932ToUtf8(platform::AbsolutePath(platform::Utf8ToCp932(o.account)));
    if (auto lock = platform::AccountLock::TryAcquire(native)) return std::move(*lock);
    const std::string lock_file = platform::AccountLock::LockPathFor(native);
    if (o.no_wait)
        throw drwa::Error("another command is working on this account (lock file " +
                          platform::Utf8ToCp932(lock_file) + "); try again later");
    std::fprintf(stderr,
                 "drwa-tool import: waiting for another command on this account (lock file %s)\n",
                 lock_file.c_str());
    return platform::AccountLock::Acquire(native);
}

int Import(const ImportOptions& o) {
    const std::string account_path = platform::AbsolutePath(platform::Utf8ToCp932(o.account));
    if (!platform::FileExists(account_path))
        throw drwa::Error("no account settings file " + account_path);
    const platform::AccountLock lock = LockAccount(o);
    const config::IniFile account{account_path};
    const config::IniFile group{GroupSettingsPath(account, o.group, o.account)};
    const std::string spool = config::GetSpoolFolder(account);

    std::optional<SharedBlock> block;
    if (o.dummy_domain) {
        if (!o.dummy_domain->starts_with("@"))
            throw drwa::Error("the dummy domain must start with @: " + *o.dummy_domain);
        block.emplace();
        if (!config::StoreDummyDomain(platform::Utf8ToCp932(*o.dummy_domain)))
            throw drwa::Error("the dummy domain cannot be stored");
    }

    int status = 0;
    std::size_t total = 0;
    for (const std::string& file : o.files) {
        try {
            const std::string path = platform::AbsolutePath(platform::Utf8ToCp932(file));
            // The converter takes a missing file as nothing to do; here it is a
            // mistyped name the user should hear about.
            if (!platform::FileExists(path)) throw drwa::Error("no such file");
            const std::size_t before = CountMailFiles(spool);
            drwa::convert::ConvertArticleFile(path, spool, account, group, false);
            const std::size_t made = CountMailFiles(spool) - before;
            total += made;
            std::printf("%s: %zu mail files\n", file.c_str(), made);
        } catch (const drwa::Error& e) {
            std::fprintf(stderr, "drwa-tool import: %s: %s\n", file.c_str(),
                         ForTerminal(e.what()).c_str());
            status = 1;
        }
    }
    std::printf("%zu mail files in %s\n", total, ForTerminal(spool).c_str());
    return status;
}

}  // namespace

int RunImport(const Args& args) {
    const auto options = ParseOptions(args);
    if (!options) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    try {
        return Import(*options);
    } catch (const drwa::Error& e) {
        std::fprintf(stderr, "drwa-tool import: %s\n", ForTerminal(e.what()).c_str());
        return 1;
    }
}

}  // namespace drwa_tool
