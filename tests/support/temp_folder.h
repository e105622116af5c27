// A fresh folder for one test, removed with everything in it afterwards.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace drwa::testing {

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder as the library sees paths: CP932.
    const std::string& path() const { return path_; }
    const std::filesystem::path& native() const { return native_; }

    // CP932 path of `relative` (CP932, "/" separated) inside the folder.
    std::string operator/(std::string_view relative) const;

    // Writes raw bytes to `relative`, creating the folders on the way.
    void Write(std::string_view relative, std::string_view bytes) const;
    // Copies the file `source` (a native path) to `relative`.
    void CopyIn(const std::filesystem::path& source, std::string_view relative) const;
    // The raw bytes of `relative`; empty when missing.
    std::string Read(std::string_view relative) const;
    bool Exists(std::string_view relative) const;

private:
    std::filesystem::path native_;
    std::string path_;
};

// UTF-8 <-> CP932 for test texts written in UTF-8 source (tests are compiled
// with the library's CP932 literals, so most texts need no conversion).
std::string Utf8(std::string_view cp932);

}  // namespace drwa::testing
