#include "support/temp_folder.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "platform/charset_edge.h"

namespace drwa::testing {

TempFolder::TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "drwa-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    native_ = pattern;
    path_ = platform::Utf8ToCp932(pattern);
}

TempFolder::~TempFolder() {
    std::error_code ec;
    std::filesystem::permissions(native_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(native_, ec);
}

std::string TempFolder::operator/(std::string_view relative) const {
    return path_ + "/" + std::string(relative);
}

void TempFolder::Write(std::string_view relative, std::string_view bytes) const {
    std::filesystem::path p = native_ / platform::Cp932ToUtf8(relative);
    std::filesystem::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + p.string());
}

std::string TempFolder::Read(std::string_view relative) const {
    std::ifstream in(native_ / platform::Cp932ToUtf8(relative), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool TempFolder::Exists(std::string_view relative) const {
    return std::filesystem::exists(native_ / platform::Cp932ToUtf8(relative));
}

std::string Utf8(std::string_view cp932) { return platform::Cp932ToUtf8(cp932); }

}  // namespace drwa::testing
