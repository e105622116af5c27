// A real account on disk for conversion tests: the account settings file, one
// group folder "NEWS" with its settings, the spool folder, and the article
// file fixtures of tests/data/convert copied into the group folder.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "config/ini_file.h"
#include "support/temp_folder.h"

namespace drwa::testing {

inline constexpr std::string_view kGroupGuid = "6F1C2A4E-3B7D-4E8F-9A10-2B3C4D5E6F70";

// The bytes of a fixture file of tests/data/convert.
std::string ReadFixture(std::string_view name);

class AccountFixture {
  public:
    // Extra lines (CR LF ended) for the account's [PLUGIN] section and the
    // group's [OPTION] section.
    explicit AccountFixture(std::string_view plugin_lines = "", std::string_view option_lines = "");

    const TempFolder& folder() const { return folder_; }
    config::IniFile account() const;
    config::IniFile group() const;
    std::string spool() const;  // with its trailing delimiter

    // Copies a fixture into the group folder, as `as_name` when given; returns
    // its path.
    std::string AddArticleFile(std::string_view fixture, std::string_view as_name = "") const;

    // ConvertArticleFile on a file of the group folder, into the spool folder.
    void Convert(std::string_view article_path, bool delete_source = true) const;

    // The names of the files in the spool folder, sorted.
    std::vector<std::string> MailNames() const;
    std::string Mail(std::string_view name) const;
    // Every mail of the spool folder, in the order of their names.
    std::vector<std::string> Mails() const;

    // Relative to the account folder.
    static constexpr std::string_view kGroupFolder = "BBS/NEWS";

  private:
    TempFolder folder_;
};

// The value of the first header line `name` (without "name: "), or "<none>".
std::string HeaderValue(std::string_view mail, std::string_view name);
// The body of a mail: what follows the first empty line.
std::string MailBody(std::string_view mail);

// True when a mail file name ends in "." + a GUID (8-4-4-4-12 upper-case
// hexadecimal digits) + ".eml": the name of a forced copy.
bool EndsWithGuid(std::string_view name);

// The mail file name for an article key of a source name.
std::string MailName(std::string_view source_name, std::string_view key);

}  // namespace drwa::testing
