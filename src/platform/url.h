// Taking URLs apart, with the HTTP library's own parser.
#pragma once

#include <string>
#include <string_view>

namespace drwa::platform {

// The host part of a URL ("http://b.example.jp:8080/x" -> "b.example.jp"), or
// empty when the URL has none or cannot be parsed.
std::string UrlHost(std::string_view url);

}  // namespace drwa::platform
