// The library's exports as a host finds them: by name, or by the ordinal the
// mail client's plugin interface gives each (a host may use either).
#pragma once

#include <array>

namespace drwa_host {

struct ExportEntry {
    const char* name;
    int ordinal;
};

// Ordinals 4, 14 and 15 belong to no export.
constexpr std::array<ExportEntry, 21> kExports{{
    {"GetPluginName", 1},      {"GetPluginVersion", 2},
    {"EditAccount", 3},        {"SendAll", 5},
    {"ReceiveOne", 6},         {"ReceiveAll", 7},
    {"GetGroupCount", 8},      {"GetGroupProperty", 9},
    {"EditGroupProperty", 10}, {"GetGroupEnabled", 11},
    {"SetGroupEnabled", 12},   {"DeleteGroup", 13},
    {"GetGroupColumns", 16},   {"GetPluginAuthor", 17},
    {"CheckGroup", 18},        {"GetPluginLastError", 19},
    {"SetDummyDomain", 20},    {"ThreadSupported", 21},
    {"GetMenuItems", 22},      {"OnMenuItemClick", 23},
    {"SetRecSendMode", 24},
}};

}  // namespace drwa_host
