// drwa-host: a stand-in host for the plugin library. It loads the library the
// way a mail client does, through its exports only, and offers each host
// action as a command.
#include <algorithm>
#include <array>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "host_context.h"
#include "host_system.h"
#include "setup_commands.h"
#include "terminal_text.h"

namespace drwa_host {
namespace {

#ifdef _WIN32
// These need GMime, a Maildir, the dialogs' Windows views or the settings
// code, which the Windows build of the host does not have yet: the command
// refuses, it never pretends.
constexpr const char* kUnavailableNote = " (not available in the Windows build)";
constexpr CommandFn kDeliver = nullptr, kSendmail = nullptr, kResend = nullptr,
                    kEditAccount = nullptr, kEditGroup = nullptr, kNewAccount = nullptr,
                    kShowGroup = nullptr, kSetGroup = nullptr, kAddBoard = nullptr;
#else
constexpr const char* kUnavailableNote = "";
constexpr CommandFn kDeliver = RunDeliver, kSendmail = RunSendmail, kResend = RunResend,
                    kEditAccount = RunEditAccount, kEditGroup = RunEditGroup,
                    kNewAccount = RunNewAccount, kShowGroup = RunShowGroup, kSetGroup = RunSetGroup,
                    kAddBoard = RunAddBoard;
#endif

constexpr std::size_t kAny = SIZE_MAX;

// A command and what main checks before it runs, so that a slip is named in
// the user's terms before the library is even loaded.
struct Entry {
    Command command;
    const char* what;  // the rest of `COMMAND --help`
    std::size_t min_args = 0, max_args = kAny;
    // Arguments [groups_from, groups_to) are group numbers of the account.
    std::size_t groups_from = 0, groups_to = 0;
    // kMade: runs on an account file that does not exist yet; kOwnCheck: says
    // so itself, as sendmail does with the exit status mail clients know.
    enum class AccountFile { kMustExist, kMade, kOwnCheck } account_file = AccountFile::kMustExist;
};

constexpr std::array kCommands{
    Entry{{"info", "info                  name, version, author, thread support, columns", RunInfo},
          "Prints what the library says of itself and the group list's columns.",
          0,
          0},
    Entry{{"groups", "groups                index, name, read position, enabled", RunGroups},
          "Lists the account's groups; the index is the N of the other commands.",
          0,
          0},
    Entry{{"enable", "enable N...           enable the groups for receiving", RunEnable},
          "Turns receiving on for groups N (numbers from `groups`).",
          1,
          kAny,
          0,
          kAny},
    Entry{{"disable", "disable N...          disable the groups", RunDisable},
          "Turns receiving off for groups N; their settings and mails stay.",
          1,
          kAny,
          0,
          kAny},
    Entry{{"delete", "delete N...           delete the groups (asks first: y = OK)", RunDelete},
          "Deletes groups N with their folders, after a question answered on standard\n"
          "input: `echo y | drwa-host ... delete 2`.",
          1,
          kAny,
          0,
          kAny},
    Entry{{"check", "check ADDRESS         1 if ADDRESS is an enabled group's address, else 0",
           RunCheck},
          "Prints 1 when a mail to ADDRESS would be posted by an enabled group, else 0.",
          1,
          1},
    Entry{
        {"menu", "menu ITEM N...        menu entry ITEM (0 URL, 1 folder, 2 error log, 3 send log)",
         RunMenu},
        "Runs a menu entry for groups N: 0 opens the board, 1 the group folder,\n"
        "2 the error log, 3 the send log.",
        1,
        kAny,
        1,
        kAny},
    Entry{{"receive", "receive [N...]        receive the groups (all without N); Ctrl-C stops",
           RunReceive},
          "Receives groups N, or every enabled group, into the spool folder as mails;\n"
          "`deliver` then moves them into a Maildir.",
          0,
          kAny,
          0,
          kAny},
    Entry{{"send", "send                  post every mail of the outbox; Ctrl-C stops", RunSend},
          "Posts the mails that `sendmail` queued to their boards.",
          0,
          0},
    Entry{{"resend", "resend [FILE...]      list the held mails, or give them back to the outbox",
           kResend},
          "A send holds a mail whose request may have reached the board (stopped,\n"
          "timed out, an answer it could not read) in SMTP.BOX/held instead of posting\n"
          "it twice. Without FILE, lists them; with FILE (a path or a name there), puts\n"
          "each back into the outbox, where the next `send` posts it. Look at the board\n"
          "first.",
          0,
          kAny},
    Entry{{"deliver", "deliver --maildir DIR move the received mails into a Maildir", kDeliver},
          "Moves the received mails from the spool folder into the Maildir DIR\n"
          "(made when missing), where mutt or any Maildir reader finds them.",
          2,
          2},
    Entry{{"new-account",
           "new-account [--plugins DIR]  a new account file with the account dialog's defaults",
           kNewAccount},
          "Makes the --account file (and its folder) as the account dialog writes a new\n"
          "account, with the plugin folder DIR (default: the sample plugins). It never\n"
          "overwrites an account.",
          0,
          2,
          0,
          0,
          Entry::AccountFile::kMade},
    Entry{{"edit-account",
           "edit-account          the account settings dialog (makes a missing account file)",
           kEditAccount},
          "Opens the account settings dialog (needs a display).",
          0,
          0,
          0,
          0,
          Entry::AccountFile::kMade},
    Entry{{"edit-group",
           "edit-group [N...]     the group properties dialog (a new group without N)", kEditGroup},
          "Opens the group properties dialog for groups N, or for a new group (needs a\n"
          "display).",
          0,
          kAny,
          0,
          kAny},
    Entry{{"add-board",
           "add-board URL [--plugin NAME] [--name NAME] [--set K=V...]  a new group for a board",
           kAddBoard},
          "Makes a group for the board at URL, as the group dialog's \"make\" and OK\n"
          "would, with receiving on: its folder NAME, the plugin NAME of the account's\n"
          "plugin folder and the plugin's own settings. Without --plugin, each plugin of\n"
          "the folder is asked whether it reads URL, and the one that does is taken;\n"
          "without --name, the board's title names the group (else the URL's last part).\n"
          "--set writes more keys as set-group does.",
          1},
    Entry{{"show-group", "show-group N          a group's settings, decoded to UTF-8", kShowGroup},
          "Prints the settings file of group N, section by section, in UTF-8.",
          1,
          1,
          0,
          1},
    Entry{{"set-group", "set-group N KEY=VALUE...  change a group's settings", kSetGroup},
          "Sets keys of group N's settings: KEY=VALUE for section BASIC (NAME, EMAIL,\n"
          "URL...), SECTION.KEY=VALUE for another. Values must have a Shift_JIS form.",
          2,
          kAny,
          0,
          1},
    Entry{{"exports", "exports               every export found by name and by ordinal: the same?",
           RunExports},
          "Looks every export up by name and by ordinal; exit 1 when the two differ.",
          0,
          0},
    Entry{{"sendmail",
           "sendmail [--forward CMD] [-oi -t -f X] [--] [RCPT]  queue the mail on standard input",
           kSendmail},
          "Queues the mail on standard input for `send`, as a mail client's sendmail:\n"
          "set sendmail=\"drwa-host --account ACCOUNT.ini sendmail\" in mutt. A mail\n"
          "for people (an address that is no board's) is refused with exit 67, nothing\n"
          "sent, unless --forward CMD (or --forward=CMD) or SENDMAIL_FORWARD in the account's "
          "[HOST] names\n"
          "a command (\"/usr/sbin/sendmail -oi\") that gets it unchanged, the people's\n"
          "addresses as its arguments; the board's part is queued as ever.",
          0,
          kAny,
          0,
          0,
          Entry::AccountFile::kOwnCheck},
};

void Usage(FILE* out) {
    Print(out,
          "usage: drwa-host [--lib PATH] [--by-ordinal] [--account ACCOUNT.ini]\n"
          "                 [--dummy-domain @DOMAIN] [--mode N] [--trace FILE] [--no-wait]\n"
          "                 COMMAND [ARGS...]\n\ncommands:\n");
    for (const auto& e : kCommands)
        Print(out, "  %s%s\n", e.command.usage, e.command.run ? "" : kUnavailableNote);
    Print(out, "\n`drwa-host COMMAND --help` says more about one command.\n");
}

// The command's own part of its usage line: up to the blanks before its text.
std::string Synopsis(const Entry& e) {
    const std::string usage = e.command.usage;
    return usage.substr(0, usage.find("  "));
}

// What a newcomer slips on is said before anything runs: too few or too many
// words, an account file that is not there, a group the account does not have.
void CheckArguments(const Entry& e, const std::vector<std::string>& args) {
    if (args.size() >= e.min_args && args.size() <= e.max_args) return;
    throw std::runtime_error(
        std::string(e.command.name) +
        (args.size() < e.min_args ? " is missing an argument" : " was given too many arguments") +
        "\nusage: drwa-host --account ACCOUNT.ini " + Synopsis(e) + "\n(drwa-host " +
        e.command.name + " --help says more)");
}

void CheckAccountFile(const Entry& e, const std::optional<std::string>& account) {
    if (!account || e.account_file != Entry::AccountFile::kMustExist) return;
    // UTF-8 whatever the system's own code page, so that Windows finds it too.
    const std::filesystem::path path(std::u8string(account->begin(), account->end()));
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        throw std::runtime_error(*account +
                                 " is a folder: --account names the account's settings file, "
                                 "e.g. " +
                                 *account + "/account.ini");
    if (!std::filesystem::exists(path, ec))
        throw std::runtime_error("there is no account file " + *account +
                                 "\n(drwa-host --account " + *account + " new-account makes one)");
}

void CheckGroupNumbers(const Entry& e, const std::vector<std::string>& args, HostContext& host) {
    const std::size_t to = std::min(e.groups_to, args.size());
    if (e.groups_from >= to) return;
    const std::vector<std::string> numbers(args.begin() + e.groups_from, args.begin() + to);
    std::vector<int32_t> indexes;
    try {
        indexes = ParseGroupIndexes(numbers, 0);
    } catch (const std::runtime_error& error) {
        throw std::runtime_error(
            std::string(error.what()) +
            "\n(groups are numbered from 0, as `drwa-host groups` lists them)");
    }
    const int32_t count =
        host.library.Get<decltype(GetGroupCount)>("GetGroupCount")(host.Account());
    for (const int32_t index : indexes) {
        if (index >= 0 && index < count) continue;
        const std::string which =
            "there is no group " + std::to_string(index) + " in " + ToUtf8(host.Account());
        throw std::runtime_error(count <= 0 ? which + ": it has no groups yet"
                                            : which + ": its groups are 0 to " +
                                                  std::to_string(count - 1) +
                                                  " (`drwa-host groups` lists them)");
    }
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
        const Entry* entry = nullptr;
        for (const auto& e : kCommands)
            if (o.rest[0] == e.command.name) entry = &e;
        if (!entry) {
            Print(stderr, "drwa-host: there is no command \"%s\"\n\n", o.rest[0].c_str());
            Usage(stderr);
            return 2;
        }
        const Command* command = &entry->command;
        std::vector<std::string> args(o.rest.begin() + 1, o.rest.end());
        if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
            Print(stdout, "usage: drwa-host [OPTIONS] --account ACCOUNT.ini %s\n\n%s\n",
                  Synopsis(*entry).c_str(), entry->what);
            return 0;
        }
        if (!command->run) {
            Print(stderr, "drwa-host: %s is not available in the Windows build\n", command->name);
            return 2;
        }
        CheckArguments(*entry, args);
        CheckAccountFile(*entry, o.account);

        PluginLibrary library(o.lib, o.lookup);
        HostContext host{library, std::nullopt, o.trace, o.no_wait};
        // A mail client hands the library full paths; so do we.
        if (o.account) host.account = LibraryPath(*o.account);
        if (o.dummy_domain && library.Get<decltype(SetDummyDomain)>("SetDummyDomain")(
                                  ToCp932(*o.dummy_domain).c_str()) != 0)
            throw std::runtime_error("SetDummyDomain failed");
        if (o.mode && library.Get<decltype(SetRecSendMode)>("SetRecSendMode")(*o.mode) != 0)
            throw std::runtime_error("SetRecSendMode failed");

        CheckGroupNumbers(*entry, args, host);
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
