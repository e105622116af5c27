#include "support/temp_folder.h"

#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

#include "platform/charset_edge.h"

namespace drwa::testing {

namespace {

// The UTF-8 form of a native path, whatever the platform's narrow encoding.
std::string Utf8Of(const std::filesystem::path& p) {
    const std::u8string u8 = p.u8string();
    return {u8.begin(), u8.end()};
}

std::filesystem::path NativeOf(std::string_view cp932) {
    const std::string utf8 = platform::Cp932ToUtf8(cp932);
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

}  // namespace

TempFolder::TempFolder() {
    // A name nobody else has: create_directory fails on an existing one.
    std::random_device seed;
    std::mt19937_64 random(seed());
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0;; ++attempt) {
        native_ = base / ("drwa-test-" + std::to_string(random() % 1000000000000ULL));
        if (std::filesystem::create_directory(native_)) break;
        if (attempt == 100) throw std::runtime_error("no temporary folder could be made");
    }
    path_ = platform::Utf8ToCp932(Utf8Of(native_));
}

TempFolder::~TempFolder() {
    std::error_code ec;
    std::filesystem::permissions(native_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(native_, ec);
}

std::string TempFolder::operator/(std::string_view relative) const {
#ifdef _WIN32
    // Native delimiters, as the library builds its own paths; "/" is never a
    // byte of a double-byte character.
    std::string native(relative);
    for (char& c : native)
        if (c == '/') c = '\\';
    return path_ + "\\" + native;
#else
    return path_ + "/" + std::string(relative);
#endif
}

void TempFolder::Write(std::string_view relative, std::string_view bytes) const {
    std::filesystem::path p = native_ / NativeOf(relative);
    std::filesystem::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + Utf8Of(p));
}

void TempFolder::CopyIn(const std::filesystem::path& source, std::string_view relative) const {
    std::ifstream in(source, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + Utf8Of(source));
    Write(relative, std::string(std::istreambuf_iterator<char>(in), {}));
}

std::string TempFolder::Read(std::string_view relative) const {
    std::ifstream in(native_ / NativeOf(relative), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool TempFolder::Exists(std::string_view relative) const {
    return std::filesystem::exists(native_ / NativeOf(relative));
}

std::string Utf8(std::string_view cp932) {
    return platform::Cp932ToUtf8(cp932);
}

}  // namespace drwa::testing
