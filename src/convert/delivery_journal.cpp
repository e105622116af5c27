#include "convert/delivery_journal.h"

#include "config/folders.h"
#include "config/text_helpers.h"
#include "convert/mail_formats.h"
#include "platform/files.h"

namespace drwa::convert {
namespace {

// Lines of the journal, each ended by CR LF.
constexpr std::string_view kNumberLine = "N:";   // + a number added to the number list
constexpr std::string_view kArticleLine = "M:";  // + article id + " " + mail file name
constexpr std::string_view kForcedLine = "O:";   // the same for a forced article
constexpr std::string_view kStagingSuffix = ".part";

bool IsStagingName(std::string_view native_name) {
    return native_name.size() > kStagingSuffix.size() && native_name.front() == '.' &&
           native_name.ends_with(kStagingSuffix);
}

}  // namespace

DeliveryJournal::DeliveryJournal(std::string_view group_folder, std::string_view name,
                                 std::string spool, std::string_view id_prefix)
    : spool_(std::move(spool)),
      spool_folder_(spool_),
      // Hashed names: short whatever the article file is called, and the
      // mails of other groups in the same spool folder never match.
      staging_prefix_("." + HashKey(id_prefix).substr(0, 12) + "-"),
      path_(config::FileIn(group_folder, "." + HashKey(name).substr(0, 16) + ".cmj")),
      existed_(platform::FileExists(path_)),
      file_(path_) {
    if (existed_) Recover(file_.earlier());
}

std::string DeliveryJournal::StagingName(std::string_view mail_name) const {
    return staging_prefix_ + HashKey(mail_name).substr(0, 20) + std::string(kStagingSuffix);
}

void DeliveryJournal::Recover(std::string_view earlier) {
    for (const std::string& line : config::SplitLines(earlier)) {
        const std::string_view kind = std::string_view(line).substr(0, 2);
        const std::string value = line.substr(std::min<std::size_t>(2, line.size()));
        if (kind == kNumberLine) {
            earlier_numbers_.push_back(value);
            continue;
        }
        if (kind != kArticleLine && kind != kForcedLine) continue;
        const std::size_t blank = value.find(' ');
        if (blank == std::string::npos) continue;
        const std::string id = value.substr(0, blank), mail_name = value.substr(blank + 1);
        earlier_ids_.insert(id);
        if (kind == kForcedLine) ++earlier_forced_[id];
        // Journaled but not yet renamed when the conversion stopped.
        const std::string staged = StagingName(mail_name);
        if (spool_folder_.Exists(staged) && !spool_folder_.RenameNoReplace(staged, mail_name))
            spool_folder_.Delete(staged);
    }
    // Whatever is left under a hidden name was never journaled: it is written
    // again when its record comes.
    for (const auto& entry : platform::ListFolder(spool_, IsStagingName)) {
        if (!entry.is_folder && entry.name.starts_with(staging_prefix_))
            spool_folder_.Delete(entry.name);
    }
}

bool DeliveryJournal::DeliveredBefore(const std::string& article_id, bool forced) {
    if (!forced) return earlier_ids_.count(article_id) > 0;
    const auto it = earlier_forced_.find(article_id);
    if (it == earlier_forced_.end() || it->second == 0) return false;
    --it->second;
    return true;
}

void DeliveryJournal::Deliver(const std::string& article_id, bool forced,
                              const std::string& mail_name, std::string_view mail,
                              const std::optional<std::string>& number) {
    const std::string staged = StagingName(mail_name);
    spool_folder_.WriteStaging(staged, mail);
    std::string entry;
    if (number) entry.append(kNumberLine).append(*number).append("\r\n");
    entry.append(forced ? kForcedLine : kArticleLine).append(article_id);
    entry.append(" ").append(mail_name).append("\r\n");
    try {
        file_.Append(entry);
    } catch (...) {
        spool_folder_.Delete(staged);
        throw;
    }
    // A mail of that name still waiting is this article's from before.
    if (!spool_folder_.RenameNoReplace(staged, mail_name)) spool_folder_.Delete(staged);
}

void DeliveryJournal::Close() {
    file_.Remove();
}

}  // namespace drwa::convert
