#include "account_fixture.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "config/folders.h"
#include "convert/article_converter.h"

namespace drwa::testing {

std::string ReadFixture(std::string_view name) {
    const std::filesystem::path path = std::filesystem::path(DRWA_TEST_DATA) / "convert" / name;
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("missing fixture " + path.string());
    return std::string(std::istreambuf_iterator<char>(in), {});
}

AccountFixture::AccountFixture(std::string_view plugin_lines, std::string_view option_lines) {
    folder_.Write("account.ini", "[PLUGIN]\r\nGROUP_COUNT=1\r\n" + std::string(plugin_lines) +
                                     "[00001]\r\nFOLDER_NAME=NEWS\r\n");
    folder_.Write(std::string(kGroupFolder) + "/drwa_BBS.ini",
                  "[BASIC]\r\nGUID=" + std::string(kGroupGuid) +
                      "\r\nURL=http://bbs.example.jp/news/\r\n[OPTION]\r\n" +
                      std::string(option_lines));
}

config::IniFile AccountFixture::account() const {
    return config::IniFile(folder_ / "account.ini");
}

config::IniFile AccountFixture::group() const {
    return config::IniFile(folder_ / (std::string(kGroupFolder) + "/drwa_BBS.ini"));
}

std::string AccountFixture::spool() const {
    return config::GetSpoolFolder(account());
}

std::string AccountFixture::AddArticleFile(std::string_view fixture,
                                           std::string_view as_name) const {
    const std::string relative =
        std::string(kGroupFolder) + "/" + std::string(as_name.empty() ? fixture : as_name);
    folder_.Write(relative, ReadFixture(fixture));
    return folder_ / relative;
}

void AccountFixture::Convert(std::string_view article_path, bool delete_source) const {
    convert::ConvertArticleFile(article_path, spool(), account(), group(), delete_source);
}

std::vector<std::string> AccountFixture::MailNames() const {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder_.native() / "spool", ec))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string AccountFixture::Mail(std::string_view name) const {
    return folder_.Read("spool/" + std::string(name));
}

std::vector<std::string> AccountFixture::Mails() const {
    std::vector<std::string> mails;
    for (const auto& name : MailNames()) mails.push_back(Mail(name));
    return mails;
}

std::string HeaderValue(std::string_view mail, std::string_view name) {
    const std::string prefix = std::string(name) + ": ";
    for (std::size_t at = 0; at < mail.size();) {
        std::size_t end = mail.find("\r\n", at);
        if (end == std::string_view::npos) end = mail.size();
        const std::string_view line = mail.substr(at, end - at);
        if (line.empty()) break;
        if (line.starts_with(prefix)) return std::string(line.substr(prefix.size()));
        at = end + 2;
    }
    return "<none>";
}

std::string MailBody(std::string_view mail) {
    const std::size_t at = mail.find("\r\n\r\n");
    return at == std::string_view::npos ? std::string() : std::string(mail.substr(at + 4));
}

bool EndsWithGuid(std::string_view name) {
    if (name.size() < 42 || !name.ends_with(".eml")) return false;
    const std::string_view guid = name.substr(name.size() - 40, 36);
    for (std::size_t i = 0; i < guid.size(); ++i) {
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        const char ch = guid[i];
        if (dash ? ch != '-' : !((ch >= '0' && ch <= '9') || (ch >= 'A' && ch <= 'F')))
            return false;
    }
    return name[name.size() - 41] == '.';
}

std::string MailName(std::string_view source_name, std::string_view key) {
    return std::string(source_name) + "." + std::string(kGroupGuid) + "." + std::string(key) +
           ".eml";
}

}  // namespace drwa::testing
