// Searches of the group and plugin folders for the files that the subsystems
// exchange. Names match their patterns without regard to case, as on the
// file systems the layout comes from; hidden entries (leading ".") never match.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace drwa::config {

// Appends folder + delimiter + name of every "*.cmw" post-request file, and
// searches folders whose names match "*.cmw" the same way, recursively.
void FindPostRequestFiles(std::string_view folder, std::vector<std::string>& found);

// Appends folder + delimiter + name of every "*.cm$" article file (not folders,
// not recursive).
void FindArticleFiles(std::string_view folder, std::vector<std::string>& found);

// Appends folder + delimiter + name of every "vxq*.tmp" outgoing mail the host
// left in its outbox (not folders, not recursive), in the order of their names.
void FindOutgoingMailFiles(std::string_view folder, std::vector<std::string>& found);

enum class PluginKind { kPerl = 1, kRuby = 2, kExe = 3 };

struct ArticlePlugin {
    std::string name;  // file name without "cm_" and extension
    PluginKind kind;
};

// The article plugins ("cm_" + name + ".PL", ".RB" or ".EXE") of a folder,
// sorted by name without regard to case, each name once: when a plugin comes
// in several kinds, the one whose file name sorts first stays.
std::vector<ArticlePlugin> ListArticlePlugins(std::string_view plugin_folder);

// The extension of a plugin kind, as it is appended to "cm_" + name.
std::string_view PluginExtension(PluginKind kind);

}  // namespace drwa::config
