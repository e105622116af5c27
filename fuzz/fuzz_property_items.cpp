// The plugin's parameter page on any bytes given as a group settings file: the
// [DIALOG] list comes from a plugin's file. Building the page and saving it
// into [BASIC] must neither fail nor damage the file: every section and key
// that was there is still found, and the item list reads as before.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "common/error.h"
#include "config/ini_file.h"
#include "dialogs/property_items.h"

namespace {

using drwa::config::IniFile;
using drwa::dialogs::PropertyItem;

// One scratch file per process, removed when the process ends normally, so
// the replay test run on every build leaves nothing behind.
struct ScratchFile {
    std::string path = "/dev/shm/drwa-fuzz-items-" + std::to_string(getpid());
    ~ScratchFile() { unlink(path.c_str()); }
};

const std::string& Scratch() {
    static const ScratchFile file;
    return file.path;
}

bool SameItems(const std::vector<PropertyItem>& a, const std::vector<PropertyItem>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].kind != b[i].kind || a[i].key != b[i].key || a[i].caption != b[i].caption)
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::ofstream(Scratch(), std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    IniFile ini(Scratch());

    const auto items = drwa::dialogs::ReadPropertyItems(ini);
    std::vector<std::pair<std::string, std::string>> keys;
    for (const auto& section : ini.ReadSections())
        for (const auto& key : ini.ReadSection(section)) keys.emplace_back(section, key);

    drwa::dialogs::TFramePropertyEdit page;
    page.BuildPropertyItems(ini);
    if (page.Editors().size() > items.size()) std::abort();
    for (const auto& editor : page.Editors()) {
        if (editor.component_name.empty()) std::abort();
        if (editor.selected < -1 || editor.selected >= static_cast<int>(editor.choices.size()))
            std::abort();
    }
    // Pick the last button of every group, so radio pairs are written too.
    for (auto& editor : page.Editors())
        editor.selected = static_cast<int>(editor.choices.size()) - 1;

    try {
        page.SaveTo("BASIC", ini);
    } catch (const drwa::Error&) {
        std::abort();  // the scratch file is always writable
    }
    if (!SameItems(drwa::dialogs::ReadPropertyItems(ini), items)) std::abort();
    for (const auto& [section, key] : keys)
        if (!ini.ValueExists(section, key)) std::abort();
    return 0;
}
