// UTF-16, the form of every text the host hands Windows or gets from it.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace drwa_host {

// UTF-8 as UTF-16; throws std::runtime_error on bytes that are no UTF-8.
std::wstring WideFromUtf8(std::string_view utf8);
// UTF-16 as UTF-8; throws std::runtime_error on a lone surrogate.
std::string Utf8FromWide(std::wstring_view wide);
// UTF-16 as CP932 (code page 932, whatever the ANSI code page is); throws
// std::runtime_error naming the text when a character has no CP932 form.
std::string Cp932FromWide(std::wstring_view wide);
// The system's text for an error code, as UTF-8, without its line end.
std::string SystemMessage(DWORD code);

}  // namespace drwa_host
