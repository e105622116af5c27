// The bridge between the library's CP932 text and the UTF-16 of the Windows
// API, and the system's words for a failed call. Code page 932 is always named
// explicitly: the system's ANSI code page may be any other, and a path read in
// it would name another file or none.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace drwa::platform::win32 {

// CP932 -> UTF-16; nothing for a byte sequence that is not CP932.
std::optional<std::wstring> TryCp932ToWide(std::string_view cp932);
// UTF-16 -> CP932; nothing for a character CP932 lacks (no best-fit guess:
// "é" must not quietly become "e" and name another file).
std::optional<std::string> TryWideToCp932(std::wstring_view wide);

std::optional<std::wstring> TryUtf8ToWide(std::string_view utf8);
std::optional<std::string> TryWideToUtf8(std::wstring_view wide);

// The wide form of a CP932 path; throws drwa::Error naming the path.
std::wstring WidePath(std::string_view cp932);

// A wide name as far as CP932 can show it (unmappable characters as "?"), for
// messages only.
std::string ShowableName(std::wstring_view wide);

// "システム エラー。コード : N." LF + the system's text for the code, CP932.
std::string SystemErrorText(unsigned long code);

// Throws drwa::Error: the path, then SystemErrorText(code).
[[noreturn]] void FailOnPath(std::string_view path, unsigned long code);

// Writes all of `bytes` to the open file `handle` (a HANDLE), in pieces that
// WriteFile's DWORD count can take; false on the first failure.
bool WriteAllTo(void* handle, std::string_view bytes);

}  // namespace drwa::platform::win32
