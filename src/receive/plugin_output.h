// What a running plugin prints, on its way to the host and to the error log,
// in memory of a fixed size whatever the plugin prints: a plugin written by
// someone else may print megabytes without a line end, or flood its error
// output.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/staged_files.h"

namespace drwa::receive {

// The longest status text a plugin's output gives the host, in bytes; a
// longer one is cut on a character boundary and ends in kCutMark.
inline constexpr std::size_t kMaxStatusBytes = 4096;
extern const std::string kCutMark;

// `text` as a status shows it: unchanged up to kMaxStatusBytes, else its start
// and kCutMark within that size.
std::string CapStatusText(std::string_view text);

// Standard output not reported yet. In line mode, whole lines (ended by CR LF)
// are taken one by one and the unfinished line after them is kept; in collect
// mode every byte belongs to one text, line ends included. Either way what is
// kept never exceeds kMaxStatusBytes beyond the lines not yet taken: the rest
// of an overlong text is dropped and the text ends in kCutMark.
class PluginOutput {
  public:
    void Feed(std::string_view bytes);
    // Every byte from now on, line ends included, belongs to the text kept.
    void CollectAll() { collect_ = true; }

    // Line mode: the next whole line, without its CR LF (cut when overlong).
    bool NextLine(std::string& line);
    // What is kept after the whole lines: the unfinished line, or in collect
    // mode everything.
    std::string_view Unfinished() const;

  private:
    void CapUnfinished();

    std::string buffer_;             // whole lines from `taken_` on, then the unfinished text
    std::size_t taken_ = 0;          // bytes of `buffer_` already handed out
    std::size_t unfinished_at_ = 0;  // where the unfinished text starts
    bool dropping_ = false;          // the unfinished text was cut: its bytes go
    bool cr_at_end_ = false;         // the last byte dropped was a CR
    bool collect_ = false;
};

// The plugin's standard error, written into the group's error log as it
// arrives, each line ended by CR LF whether it came with CR LF, LF or CR.
// The log is replaced only when the run wrote something there, and then
// whole, once the run is over; failures to write it are ignored.
class ErrorLogWriter {
  public:
    explicit ErrorLogWriter(std::string_view log_path);
    ~ErrorLogWriter();
    ErrorLogWriter(const ErrorLogWriter&) = delete;
    ErrorLogWriter& operator=(const ErrorLogWriter&) = delete;

    void Feed(std::string_view bytes);
    // Ends the last line and puts the log in place.
    void Finish() noexcept;

  private:
    void Flush();

    platform::ReplacingFile file_;
    std::string pending_;  // converted bytes not yet written
    bool after_cr_ = false;
    bool line_open_ = false;  // the last byte was not a line end
    bool finished_ = false;
};

}  // namespace drwa::receive
