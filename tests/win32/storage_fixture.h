// A fresh folder with a Japanese name for one test, made and removed with the
// wide API, so that what the library writes can be checked against the names
// Windows really holds (UTF-16), not against the library's own reading.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace drwa::testing {

class WideTempFolder {
  public:
    WideTempFolder();
    ~WideTempFolder();
    WideTempFolder(const WideTempFolder&) = delete;
    WideTempFolder& operator=(const WideTempFolder&) = delete;

    const std::string& path() const { return path_; }     // CP932, as the library sees it
    const std::wstring& wide() const { return wide_; }    // as Windows holds it
    std::string operator/(std::string_view cp932) const;  // CP932 path inside
    std::wstring Wide(std::wstring_view relative) const;  // wide path inside

  private:
    std::wstring wide_;
    std::string path_;
};

// The bytes of a file read with the wide API; empty when missing.
std::string ReadWide(const std::wstring& path);
// Creates a file with the wide API (names CP932 cannot express).
void WriteWide(const std::wstring& path, std::string_view bytes);
DWORD AttributesOf(const std::wstring& path);

}  // namespace drwa::testing
