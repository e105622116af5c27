#include "text/base64.h"

#include "common/error.h"
#include "text/base64_core.h"
#include "text/filename_base64.h"

namespace drwa::text {
namespace {

constexpr Base64Alphabet kMimeAlphabet{
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/"};

// "/" would be a path separator in a file name: "@" takes value 63.
constexpr Base64Alphabet kFileNameAlphabet{
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+@"};

}  // namespace

std::string EncodeBase64(std::string_view bytes) {
    return EncodeBase64With(kMimeAlphabet, bytes);
}

std::string DecodeBase64(std::string_view text) {
    return DecodeBase64With(kMimeAlphabet, text);
}

std::string EncodeFileNameBase64(std::string_view bytes) {
    return EncodeBase64With(kFileNameAlphabet, bytes);
}

std::string DecodeFileNameBase64(std::string_view text) {
    // The message is the one the decoder has always given; callers and error
    // mails show it as it is.
    if (text.size() % 4 != 0) throw Error("Uneven size in DecodeToStream.");
    return DecodeBase64With(kFileNameAlphabet, text);
}

}  // namespace drwa::text
