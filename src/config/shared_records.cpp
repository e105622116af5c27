#include "config/shared_records.h"

#include <algorithm>
#include <memory>

#include "common/limits.h"
#include "config/common_memory_stream.h"
#include "platform/system.h"
#include "text/sjis_bytes.h"

namespace drwa::config {
namespace {

std::unique_ptr<TCommonMemoryStream>& KeptStream() {
    static std::unique_ptr<TCommonMemoryStream> kept;
    return kept;
}

TCommonMemoryStream OpenStream() { return TCommonMemoryStream(SharedBlockName(), limits::kBlockSize); }

// A length record followed by at most 255 bytes of text. The cut never splits
// a double-byte character: a lone lead byte before the host's terminating zero
// would make a reader take the zero as its trail byte and run past the text.
void WriteText(TCommonMemoryStream& s, std::int32_t offset, std::string_view text) {
    auto length = static_cast<std::int32_t>(text::SjisSafeCut(text, limits::kHostText));
    s.Seek(offset, TCommonMemoryStream::kFromBeginning);
    s.Write(&length, sizeof length);
    if (length > 0) s.Write(text.data(), length);
}

// The length is capped whatever a foreign writer left there, so a reader never
// leaves its record.
std::string ReadText(TCommonMemoryStream& s, std::int32_t offset) {
    std::int32_t length = 0;
    s.Seek(offset, TCommonMemoryStream::kFromBeginning);
    s.Read(&length, sizeof length);
    length = std::min<std::int32_t>(length, limits::kRecordText);
    if (length <= 0) return {};
    std::string text(static_cast<std::size_t>(length), '\0');
    text.resize(static_cast<std::size_t>(s.Read(text.data(), length)));
    return text;
}

}  // namespace

std::string SharedBlockName() {
    return "HalvoDRWAPluginMem" + std::to_string(platform::ModuleHandle());
}

void KeepSharedBlock() {
    try {
        KeptStream() = std::make_unique<TCommonMemoryStream>(SharedBlockName(), limits::kBlockSize);
    } catch (...) {
        KeptStream().reset();
    }
}

void ReleaseSharedBlock() { KeptStream().reset(); }

void StoreLastError(std::string_view text) noexcept {
    try {
        auto s = OpenStream();
        WriteText(s, limits::kErrorLengthOffset, text);
    } catch (...) {
        // Storing an error must never raise a second one.
    }
}

std::optional<std::string> ReadLastError() noexcept {
    try {
        auto s = OpenStream();
        return ReadText(s, limits::kErrorLengthOffset);
    } catch (...) {
        return std::nullopt;
    }
}

bool StoreDummyDomain(std::string_view domain) noexcept {
    try {
        auto s = OpenStream();
        WriteText(s, limits::kDomainLengthOffset, domain);
        return true;
    } catch (...) {
        return false;
    }
}

std::string ReadDummyDomain() noexcept {
    try {
        auto s = OpenStream();
        std::string domain = ReadText(s, limits::kDomainLengthOffset);
        if (!domain.empty()) return domain;
    } catch (...) {
    }
    return std::string(kFallbackDomain);
}

bool StoreRecSendMode(std::int32_t mode) noexcept {
    try {
        auto s = OpenStream();
        s.Seek(limits::kModeOffset, TCommonMemoryStream::kFromBeginning);
        s.Write(&mode, sizeof mode);
        return true;
    } catch (...) {
        return false;
    }
}

std::int32_t ReadRecSendMode() {
    auto s = OpenStream();
    std::int32_t mode = 0;
    s.Seek(limits::kModeOffset, TCommonMemoryStream::kFromBeginning);
    s.Read(&mode, sizeof mode);
    return mode;
}

}  // namespace drwa::config
