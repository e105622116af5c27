// Detection and conversion of a text that arrives in blocks (a pipe, a file
// read piece by piece), with the same result as DetectJapaneseCode and
// ConvertJapaneseCode on the whole text at once, in memory that does not grow
// with the text.
//
// The code of the whole text is decided by its first byte that decides
// anything, so the blocks are held only until such a byte has come (and the
// first 512 bytes, which are checked for binary data, are in). A long start of
// plain ASCII, which converts to itself in every code, is handed on at once.
// After the decision the text is converted piece by piece, each piece ending
// where the conversion of the whole text would start a new character in its
// initial state: after two bytes below 0x80 in a row in Shift_JIS and EUC-JP,
// at an escape or character boundary in ISO-2022-JP, whose double-byte mode is
// carried over.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "text/japanese_code.h"

namespace drwa::text {

// Where the text goes on: called with each converted piece, in order.
using TextSink = std::function<void(std::string_view)>;

class JapaneseCodeStream {
  public:
    // Takes the next bytes. Bytes that need no decision (the leading plain
    // ASCII) go to `release` at once and are held no longer; the rest is
    // held until the code is decided.
    void Feed(std::string_view bytes, const TextSink& release);
    // The code, once no later byte can change it.
    std::optional<JapaneseCode> Decided() const { return code_; }
    // The end of the text: the code of all of it.
    JapaneseCode Finish();

    // The bytes held, not yet released, for the caller to take on.
    std::string TakeHeld() { return std::move(held_); }

  private:
    std::string held_;
    bool plain_so_far_ = true;       // nothing but plain ASCII was fed
    std::size_t detected_size_ = 0;  // held_'s size at the last look
    std::optional<JapaneseCode> code_;
};

class JapaneseConvertStream {
  public:
    // Converts to `target` as ConvertJapaneseCode does, into `sink`.
    JapaneseConvertStream(JapaneseCode target, TextSink sink);

    void Feed(std::string_view bytes);
    // The end of the text: the rest is converted.
    void Finish();

  private:
    enum class Mode { kDetecting, kPassThrough, kConvert };

    void Start(JapaneseCode source, std::string held);
    void ConvertPending(bool at_end);
    std::size_t SplitPoint();
    std::size_t JisSplitPoint(bool& double_byte_after);
    void ConvertPiece(std::size_t size, bool double_byte_after, bool at_end);

    JapaneseCode target_;
    TextSink sink_;
    Mode mode_ = Mode::kDetecting;
    JapaneseCodeStream detection_;
    JapaneseCode source_ = JapaneseCode::kAscii;
    std::string pending_;       // bytes after the last piece converted
    std::size_t searched_ = 0;  // no split point before this in pending_
    // ISO-2022-JP: the mode at the start of pending_, and how far the walk
    // over pending_ got (a character or escape starts there).
    bool double_byte_ = false;
    std::size_t walked_ = 0;
    bool walk_double_ = false;
    bool ended_ = false;   // a NUL ended the Shift_JIS text: nothing more comes
    std::string scratch_;  // an ISO-2022-JP piece with its mode and sentinel
};

}  // namespace drwa::text
