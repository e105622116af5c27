// The parameter template of a post command: a board's posting form written as
// name=value pairs joined by "&", with placeholders for the group's settings
// and the mail's text. Everything inserted is converted to the board's code.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/error.h"
#include "platform/system.h"
#include "text/japanese_code.h"

namespace drwa::post {

// The texts the placeholders draw on, as read (Shift_JIS inside the library).
struct TemplateValues {
    std::string name, email, key, hp, user, pass, param1, param2;  // group settings
    std::string subject;                                           // the mail's, decoded
    platform::LocalTime date;
    std::vector<std::string> body_lines;  // the mail's body as it stood
};

// The value of a "$(" key ")" reference: the group's own setting of that name.
using KeyLookup = std::function<std::string(std::string_view key)>;

// "$(" key ")" references that never end: a value that refers to itself,
// directly or through other keys, or that grows without bound. It concerns one
// group's settings, so it fails the mail, not the whole send.
class ParameterLoopError : public Error {
  public:
    using Error::Error;
};

// Most "$(" key ")" expansions one template may take, and the largest text
// they may build; an honest template uses a few keys of at most 2047 bytes.
inline constexpr int kMaxKeyExpansions = 64;
inline constexpr std::size_t kMaxExpandedBytes = 64 * 1024;

// Form encoding: a blank becomes "+", ASCII letters and digits stay, every
// other byte becomes "%" and two upper-case hexadecimal digits.
std::string FormEncode(std::string_view bytes);

// The name=value pairs of `params` with every placeholder replaced, in the
// order of the placeholder table, each over the whole text. Throws drwa::Error
// for a "$(" without ")", ParameterLoopError past the limits above.
std::vector<std::string> ExpandParameterTemplate(std::string_view params,
                                                 const TemplateValues& values,
                                                 const KeyLookup& lookup,
                                                 text::JapaneseCode target);

// The pairs as a POST body: one pair alone; several each followed by "&".
// Blanks and control characters around the body are dropped.
std::string FormBody(const std::vector<std::string>& pairs);

// The pairs as a query, each followed by "&" (nothing for no pair).
std::string FormQuery(const std::vector<std::string>& pairs);

}  // namespace drwa::post
