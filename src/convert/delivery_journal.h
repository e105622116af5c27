// What the conversion of one article file has delivered so far, kept in a
// hidden file of the group folder until the article file is done with.
//
// A conversion can stop part-way: the disk fills up, the process is killed.
// The article file then stays for the next receive, and the host may have
// taken the mails written so far out of the spool folder in between. Without
// a record of them, the next conversion would deliver those articles a second
// time (with or without the number list, which is saved only at the end). So
// every mail gets its name in the spool folder only after the journal knows
// it: it is written under a hidden name, the journal line is appended, then
// the mail is renamed. A journal line thus always stands for a mail that is
// in the spool folder, was taken from there, or is still under its hidden
// name, which the next conversion renames; a hidden mail without a journal
// line is removed and written again.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/staged_files.h"

namespace drwa::convert {

class DeliveryJournal {
  public:
    // Opens the journal of article file `name` (without extension) of the
    // group folder, for mails into `spool` (ending in a delimiter) whose ids
    // begin with `id_prefix`. When an earlier conversion of that name stopped
    // part-way, the mails it had journaled are put in place and those it had
    // not are removed. Throws drwa::Error when the journal cannot be opened.
    DeliveryJournal(std::string_view group_folder, std::string_view name, std::string spool,
                    std::string_view id_prefix);

    // Numbers the stopped conversion had added to the number list.
    const std::vector<std::string>& EarlierNumbers() const { return earlier_numbers_; }

    // True when the stopped conversion delivered the article already: any
    // delivery of its id counts for an ordinary article; a forced article
    // counts each forced delivery once, as a file may force one article more
    // than once.
    bool DeliveredBefore(const std::string& article_id, bool forced);

    // Puts `mail` into the spool folder as `mail_name`, journaled first along
    // with `number` (added to the number list; nullopt: none). A mail of that
    // name already waiting stays as it is (the article counts as delivered).
    // Throws drwa::Error with the reason when the mail or the journal line
    // cannot be written; nothing of the article is then left behind.
    void Deliver(const std::string& article_id, bool forced, const std::string& mail_name,
                 std::string_view mail, const std::optional<std::string>& number);

    // True when a mail of that name is waiting in the spool folder.
    bool MailWaiting(std::string_view mail_name) const { return spool_folder_.Exists(mail_name); }

    // The article file is done with: the journal goes.
    void Close();

  private:
    std::string StagingName(std::string_view mail_name) const;
    void Recover(std::string_view earlier);

    std::string spool_;
    platform::OpenFolder spool_folder_;
    std::string staging_prefix_;  // hidden names of this article file's mails start so
    std::string path_;
    bool existed_;  // left by a conversion that stopped part-way
    platform::AppendOnlyFile file_;
    std::vector<std::string> earlier_numbers_;
    std::set<std::string> earlier_ids_;
    std::map<std::string, int> earlier_forced_;  // forced deliveries not matched yet
};

}  // namespace drwa::convert
