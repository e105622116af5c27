// The throwing forms of the charset edge, over each platform's Try forms.
#include "common/error.h"
#include "platform/charset_edge.h"

namespace drwa::platform {

std::string Cp932ToUtf8(std::string_view cp932) {
    if (auto s = TryCp932ToUtf8(cp932)) return *std::move(s);
    throw Error("Shift_JIS のテキストを UTF-8 に変換できません");
}

std::string Utf8ToCp932(std::string_view utf8) {
    if (auto s = TryUtf8ToCp932(utf8)) return *std::move(s);
    throw Error("UTF-8 のテキストを Shift_JIS に変換できません");
}

}  // namespace drwa::platform
