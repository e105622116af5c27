// Message digests, from a library (never hand-written).
#pragma once

#include <string>
#include <string_view>

namespace drwa::platform {

// The MD5 digest of the bytes as 32 upper-case hexadecimal digits.
std::string Md5UpperHex(std::string_view bytes);

}  // namespace drwa::platform
