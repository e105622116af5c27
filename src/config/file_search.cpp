#include "config/file_search.h"

#include <algorithm>

#include "config/ini_file.h"
#include "platform/files.h"

namespace drwa::config {
namespace {

// Case-insensitive ASCII suffix test; the patterns are ASCII, and they are
// applied to the native names before any conversion.
bool EndsWithNoCase(std::string_view s, std::string_view suffix) {
    return s.size() >= suffix.size() && SameTextNoCase(s.substr(s.size() - suffix.size()), suffix);
}

bool Visible(std::string_view name) {
    return !name.empty() && name.front() != '.';
}

bool MatchesPostRequest(std::string_view n) {
    return Visible(n) && EndsWithNoCase(n, ".cmw");
}
bool MatchesArticle(std::string_view n) {
    return Visible(n) && EndsWithNoCase(n, ".cm$");
}
bool MatchesOutgoingMail(std::string_view n) {
    return Visible(n) && StartsWithNoCase(n, "vxq") && n.size() >= 7 && EndsWithNoCase(n, ".tmp");
}
bool MatchesPlugin(std::string_view n) {
    return Visible(n) && StartsWithNoCase(n, "cm_");
}

// Listing order is the file system's; sort for results that do not depend on it.
std::vector<platform::FolderEntry> SortedListing(std::string_view folder,
                                                 platform::NameFilter match) {
    auto entries = platform::ListFolder(folder, match);
    std::sort(entries.begin(), entries.end(),
              [](const auto& a, const auto& b) { return a.name < b.name; });
    return entries;
}

}  // namespace

void FindPostRequestFiles(std::string_view folder, std::vector<std::string>& found) {
    for (const auto& entry : SortedListing(folder, MatchesPostRequest)) {
        std::string path = platform::JoinPath(folder, entry.name);
        if (entry.is_folder)
            FindPostRequestFiles(path, found);
        else
            found.push_back(std::move(path));
    }
}

void FindArticleFiles(std::string_view folder, std::vector<std::string>& found) {
    for (const auto& entry : SortedListing(folder, MatchesArticle)) {
        if (!entry.is_folder) found.push_back(platform::JoinPath(folder, entry.name));
    }
}

void FindOutgoingMailFiles(std::string_view folder, std::vector<std::string>& found) {
    for (const auto& entry : SortedListing(folder, MatchesOutgoingMail)) {
        if (!entry.is_folder) found.push_back(platform::JoinPath(folder, entry.name));
    }
}

std::string_view PluginExtension(PluginKind kind) {
    switch (kind) {
        case PluginKind::kPerl:
            return ".PL";
        case PluginKind::kRuby:
            return ".RB";
        case PluginKind::kExe:
            return ".EXE";
    }
    return "";
}

std::vector<ArticlePlugin> ListArticlePlugins(std::string_view plugin_folder) {
    auto entries = platform::ListFolder(plugin_folder, MatchesPlugin);
    // The order the plugins are met in decides which kind of a plugin stays.
    std::stable_sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        return CompareTextNoCase(a.name, b.name) < 0;
    });
    std::vector<ArticlePlugin> plugins;
    for (const auto& entry : entries) {
        if (entry.is_folder) continue;
        std::string_view rest = std::string_view(entry.name).substr(3);
        std::size_t dot = rest.rfind('.');
        if (dot == std::string_view::npos) continue;
        std::string_view ext = rest.substr(dot);
        std::string_view name = rest.substr(0, dot);
        PluginKind kind;
        if (SameTextNoCase(ext, ".PL"))
            kind = PluginKind::kPerl;
        else if (SameTextNoCase(ext, ".RB"))
            kind = PluginKind::kRuby;
        else if (SameTextNoCase(ext, ".EXE"))
            kind = PluginKind::kExe;
        else
            continue;
        auto pos = std::lower_bound(plugins.begin(), plugins.end(), name,
                                    [](const ArticlePlugin& p, std::string_view n) {
                                        return CompareTextNoCase(p.name, n) < 0;
                                    });
        if (pos != plugins.end() && CompareTextNoCase(pos->name, name) == 0) continue;
        plugins.insert(pos, ArticlePlugin{std::string(name), kind});
    }
    return plugins;
}

}  // namespace drwa::config
