// drwa-host: a stand-in host for the plugin library. It loads the library the
// way a mail client does, through its exports only, and offers each host
// action as a command.
#include <array>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "host_context.h"
#include "host_system.h"
#include "terminal_text.h"

namespace drwa_host {
namespace {

#ifdef _WIN32
// These need GMime, a Maildir or the dialogs' Windows views, which the
// Windows build does not have yet: the command refuses, it never pretends.
constexpr const char* kUnavailableNote = " (not available in the Windows build)";
constexpr CommandFn kDeliver = nullptr, kSendmail = nullptr, kEditAccount = nullptr,
                    kEditGroup = nullptr;
#else
constexpr const char* kUnavailableNote = "";
constexpr CommandFn kDeliver = RunDeliver, kSendmail = RunSendmail, kEditAccount = RunEditAccount,
                    kEditGroup = RunEditGroup;
#endif

constexpr std::array kCommands{
    Command{"info", "info                  name, version, author, thread support, columns",
            RunInfo},
    Command{"groups", "groups                index, name, read position, enabled", RunGroups},
    Command{"enable", "enable N...           enable the groups for receiving", RunEnable},
    Command{"disable", "disable N...          disable the groups", RunDisable},
    Command{"delete", "delete N...           delete the groups (asks first: y = OK)", RunDelete},
    Command{"check", "check ADDRESS         1 if ADDRESS is an enabled group's address, else 0",
            RunCheck},
    Command{"menu",
            "menu ITEM N...        menu entry ITEM (0 URL, 1 folder, 2 error log, 3 send log)",
            RunMenu},
    Command{"receive", "receive [N...]        receive the groups (all without N); Ctrl-C stops",
            RunReceive},
    Command{"send", "send                  post every mail of the outbox; Ctrl-C stops", RunSend},
    Command{"deliver", "deliver --maildir DIR move the received mails into a Maildir", kDeliver},
    Command{"edit-account",
            "edit-account          the account settings dialog (makes a missing account file)",
            kEditAccount},
    Command{"edit-group",
            "edit-group [N...]     the group properties dialog (a new group without N)",
            kEditGroup},
    Command{"exports", "exports               every export found by name and by ordinal: the same?",
            RunExports},
    Command{"sendmail",
            "sendmail [-oi -t -f X] [--] [RCPT]  queue the mail on standard input for sending",
            kSendmail},
};

void Usage(FILE* out) {
    Print(out,
          "usage: drwa-host [--lib PATH] [--by-ordinal] [--account ACCOUNT.ini]\n"
          "                 [--dummy-domain @DOMAIN] [--mode N] [--trace FILE] [--no-wait]\n"
          "                 COMMAND [ARGS...]\n\ncommands:\n");
    for (const auto& c : kCommands) Print(out, "  %s%s\n", c.usage, c.run ? "" : kUnavailableNote);
}

struct Options {
    // The library beside this program, where the build and an install put it.
    std::string lib = DefaultLibraryPath();
    PluginLibrary::Lookup lookup = PluginLibrary::Lookup::kByName;
    std::optional<std::string> account, dummy_domain, trace;
    std::optional<int32_t> mode;
    bool no_wait = false;
    std::vector<std::string> rest;
};

Options Parse(const std::vector<std::string>& argv) {
    Options o;
    const std::size_t argc = argv.size();
    std::size_t i = 1;
    auto value = [&](const char* flag) -> std::string {
        if (i + 1 >= argc) throw std::runtime_error(std::string(flag) + " needs a value");
        return argv[++i];
    };
    for (; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--lib")
            o.lib = value("--lib");
        else if (a == "--by-ordinal")
            o.lookup = PluginLibrary::Lookup::kByOrdinal;
        else if (a == "--account")
            o.account = value("--account");
        else if (a == "--dummy-domain")
            o.dummy_domain = value("--dummy-domain");
        else if (a == "--trace")
            o.trace = value("--trace");
        else if (a == "--mode")
            o.mode = std::stoi(value("--mode"));
        else if (a == "--no-wait")
            o.no_wait = true;
        else if (a == "-h" || a == "--help") {
            Usage(stdout);
            std::exit(0);
        } else if (a.rfind("--", 0) == 0)
            throw std::runtime_error("unknown option " + a);
        else
            break;
    }
    for (; i < argc; ++i) o.rest.emplace_back(argv[i]);
    return o;
}

}  // namespace

const char* HostContext::Account() const {
    if (!account) throw std::runtime_error("this command needs --account ACCOUNT.ini");
    return account->c_str();
}

}  // namespace drwa_host

int main(int argc, char** argv) {
    using namespace drwa_host;
    try {
        PrepareStandardStreams();
        Options o = Parse(Utf8Arguments(argc, argv));
        if (o.rest.empty()) {
            Usage(stderr);
            return 2;
        }
        const Command* command = nullptr;
        for (const auto& c : kCommands)
            if (o.rest[0] == c.name) command = &c;
        if (!command) {
            Print(stderr, "drwa-host: unknown command %s\n", o.rest[0].c_str());
            Usage(stderr);
            return 2;
        }
        if (!command->run) {
            Print(stderr, "drwa-host: %s is not available in the Windows build\n", command->name);
            return 2;
        }

        PluginLibrary library(o.lib, o.lookup);
        HostContext host{library, std::nullopt, o.trace, o.no_wait};
        // A mail client hands the library full paths; so do we.
        if (o.account) host.account = LibraryPath(*o.account);
        if (o.dummy_domain && library.Get<decltype(SetDummyDomain)>("SetDummyDomain")(
                                  ToCp932(*o.dummy_domain).c_str()) != 0)
            throw std::runtime_error("SetDummyDomain failed");
        if (o.mode && library.Get<decltype(SetRecSendMode)>("SetRecSendMode")(*o.mode) != 0)
            throw std::runtime_error("SetRecSendMode failed");

        std::vector<std::string> args(o.rest.begin() + 1, o.rest.end());
        const int status = command->run(host, args);
        // Everything said before the library is let go, whatever its unload does.
        std::fflush(stdout);
        std::fflush(stderr);
        return status;
    } catch (const std::exception& e) {
        Print(stderr, "drwa-host: %s\n", e.what());
        return 2;
    }
}
