#include "convert/article_converter.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "common/error.h"
#include "config/file_search.h"
#include "config/folders.h"
#include "config/settings_keys.h"
#include "config/shared_records.h"
#include "config/text_helpers.h"
#include "convert/article_reader.h"
#include "convert/delivery_journal.h"
#include "convert/mail_composer.h"
#include "convert/mail_formats.h"
#include "convert/number_list.h"
#include "platform/files.h"
#include "text/filename_base64.h"
#include "text/sjis_bytes.h"

namespace drwa::convert {
namespace {

namespace keys = config::keys;

// Paths as the Windows build counts them: longer ones cannot be opened there.
constexpr std::size_t kMaxPath = 260;
// The longest name of one folder entry on this platform, in native bytes.
constexpr std::size_t kMaxNameBytes = 255;
// Hexadecimal digits of the digest that ends a shortened article id: 64 bits,
// so that the articles of one spool folder do not meet by chance.
constexpr std::size_t kShortenedIdDigest = 16;

std::string WithoutExtension(std::string name) {
    std::size_t dot = name.rfind('.');
    if (dot != std::string::npos) name.resize(dot);
    return name;
}

std::string GroupName(const config::IniFile& group) {
    const std::string folder = config::FolderOfFile(group.path());
    std::string name = config::NameOfPath(folder);
    // A group inside another group shows whose it is.
    if (group.ReadBool(keys::kBasic, keys::kSubDir, false))
        name = config::NameOfPath(config::FolderOfFile(folder)) + "\\" + name;
    return name;
}

MailContext MakeContext(const std::string& source_name, const config::IniFile& account,
                        const config::IniFile& group) {
    MailContext c;
    c.source_name = source_name;
    c.dummy_domain = config::ReadDummyDomain();
    c.group_name = GroupName(group);
    c.guid = group.ReadString(keys::kBasic, keys::kGuid, "");
    c.url = group.ReadString(keys::kBasic, keys::kUrl, "");
    c.upload_url = group.ReadString(keys::kBasic, keys::kUpUrl, "");

    // Subject and title settings come from the account unless the group has
    // its own.
    const bool own_subject = !group.ReadBool(keys::kOption, keys::kInhSub, true);
    const config::IniFile& s = own_subject ? group : account;
    const std::string_view s_section = own_subject ? keys::kOption : keys::kPlugin;
    c.subject_with_number = s.ReadBool(s_section, keys::kSubjectIncludeNumber, false);
    c.subject_digits =
        s.ReadInteger(s_section, keys::kSubjectZeroNumber, keys::kDefaultSubjectZeroNumber);
    c.subject_format = s.ReadString(s_section, keys::kSubjectFormat, keys::kDefaultSubjectFormat);

    const bool own_title = !group.ReadBool(keys::kOption, keys::kInhTitle, true);
    const config::IniFile& t = own_title ? group : account;
    const std::string_view t_section = own_title ? keys::kOption : keys::kPlugin;
    c.title_insert = t.ReadInteger(t_section, keys::kTitleInsert, keys::kDefaultTitleInsert);
    c.title_format = t.ReadString(t_section, keys::kTitleFormat, keys::kDefaultTitleFormat);
    c.now = platform::LocalNow();
    return c;
}

bool SameFile(std::string_view a, std::string_view b) {
    if (a == b) return true;
    const auto sa = platform::StampOf(a), sb = platform::StampOf(b);
    return sa && sb && sa->device == sb->device && sa->inode == sb->inode;
}

// The mail file for an article id: the id is shortened so that the path stays
// within the Windows limit and the name within this platform's. Cutting only
// from the end would cut the article key first and give different articles one
// name, every later one then dropped as a mail already waiting. So a shortened
// id ends in a digest of the whole id: one article still finds its own mail of
// an earlier receive, different articles keep different names.
std::string MailPath(std::string_view spool, const std::string& id, std::string_view suffix) {
    const std::size_t fixed = spool.size() + suffix.size();
    std::size_t keep = kMaxPath > fixed ? kMaxPath - fixed : 1;
    keep = std::max<std::size_t>(1, std::min(keep, kMaxNameBytes - suffix.size()));
    if (keep >= id.size()) return std::string(spool) + id + std::string(suffix);
    const std::string digest = HashKey(id).substr(0, std::min(kShortenedIdDigest, keep));
    return std::string(spool) + id.substr(0, keep - digest.size()) + digest + std::string(suffix);
}

// Collects one record's mail and stores it at its end.
class MailWriter : public ArticleSink {
  public:
    MailWriter(const MailContext& context, std::string spool, NumberList* numbers,
               DeliveryJournal& journal)
        : composer_(context), spool_(std::move(spool)), numbers_(numbers), journal_(journal) {}

    void BeginRecord(const BoardValues& board, const ArticleRecord& record) override {
        mail_ = composer_.Compose(board, record, numbers_);
        force_ = record.force_delivery;
        number_ = record.number;
        text_.clear();
        for (const auto& line : mail_.headers) Append(line);
        Append("");
    }

    void BodyLine(std::string_view line) override { Append(line); }

    void EndRecord() override {
        if (mail_.duplicate && !force_) return;
        if (journal_.DeliveredBefore(mail_.article_id, force_)) return;
        // A number counts as delivered once its record is complete: one cut
        // off by the end of the file comes again whole next time.
        std::optional<std::string> number;
        if (numbers_ && number_ != "*") {
            numbers_->Add(number_);
            number = number_;
        }
        // A mail of this id still waiting in the spool folder stands for an
        // ordinary article; a forced one goes out again beside it.
        std::string name = MailName(mail_.article_id, ".eml");
        if (force_ && journal_.MailWaiting(name))
            name = MailName(mail_.article_id, "." + config::NewGuidString() + ".eml");
        journal_.Deliver(mail_.article_id, force_, name, text_, number);
    }

  private:
    void Append(std::string_view line) {
        text_.append(line);
        text_.append("\r\n");
    }

    std::string MailName(const std::string& id, std::string_view suffix) const {
        return MailPath(spool_, id, suffix).substr(spool_.size());
    }

    MailComposer composer_;
    const std::string spool_;
    NumberList* numbers_;
    DeliveryJournal& journal_;
    ComposedMail mail_;
    bool force_ = false;
    std::string number_;
    std::string text_;
};

}  // namespace

void ConvertArticleFile(std::string_view article_path, std::string_view spool_folder,
                        const config::IniFile& account, const config::IniFile& group,
                        bool delete_source) {
    if (!platform::FileExists(article_path)) return;
    std::string spool = config::WithTrailingDelimiter(spool_folder);
    if (!platform::FolderExists(spool)) platform::CreateFolders(spool);

    const std::string name = WithoutExtension(config::NameOfPath(article_path));
    const std::string group_folder = config::FolderOfFile(group.path());
    const std::string list_path = config::FileIn(group_folder, name + ".lst");
    std::optional<NumberList> numbers;
    if (group.ReadBool(keys::kOption, keys::kSaveNumber, false))
        numbers = NumberList::Load(list_path);

    const MailContext context = MakeContext(text::EncodeFileNameBase64(name), account, group);
    DeliveryJournal journal(group_folder, name, spool, context.source_name + "." + context.guid);
    if (numbers)
        for (const auto& n : journal.EarlierNumbers()) numbers->Add(n);
    MailWriter writer(context, spool, numbers ? &*numbers : nullptr, journal);
    const std::vector<std::string> header =
        ReadArticleText(PrepareArticleText(LoadArticleFile(article_path)), writer);

    // An imported board file of this very group would lose its records. The
    // path the import was given may name it in another way ("./", "//", a
    // link), so the file itself is compared, not its name.
    const std::string board_path = config::FileIn(group_folder, name + ".cmt");
    if (!header.empty() && !SameFile(board_path, article_path))
        config::SaveLinesLf(header, board_path);
    // Until the article file is gone and the number list saved, the journal
    // is what keeps the next conversion from delivering these articles again.
    bool done = !delete_source || platform::DeleteFile(article_path);
    if (numbers) {
        try {
            numbers->Save(list_path);
        } catch (const Error&) {
            // Without the list a later receive may deliver a number again;
            // that is no reason to fail this one.
            done = false;
        }
    }
    if (done) journal.Close();
}

std::string ConversionStatusPrefix(std::string_view group_ini_path) {
    const std::string group_folder = config::FolderOfFile(group_ini_path);
    const config::GroupLabel label = config::GroupLabelOf(group_folder);
    return label.base + " " + label.group + " ";
}

void ConvertGroupArticles(std::string_view account_path, std::string_view group_ini_path,
                          const ConversionReport& report) {
    const config::IniFile account{std::string(account_path)};
    const config::IniFile group{std::string(group_ini_path)};
    const std::string group_folder = config::FolderOfFile(group_ini_path);
    const std::string prefix = ConversionStatusPrefix(group_ini_path);
    if (report) report(prefix + "eml変換開始");

    std::vector<std::string> files;
    config::FindArticleFiles(group_folder, files);
    std::sort(files.begin(), files.end(), [](const std::string& a, const std::string& b) {
        return config::CompareTextNoCase(a, b) < 0;
    });
    const std::string spool = config::GetSpoolFolder(account);
    for (const auto& file : files) ConvertArticleFile(file, spool, account, group, true);

    if (report) report(prefix + "終了");
}

}  // namespace drwa::convert
