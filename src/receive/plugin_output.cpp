#include "receive/plugin_output.h"

#include "text/sjis_bytes.h"

namespace drwa::receive {
namespace {

// Converted error output is written in pieces of about this size.
constexpr std::size_t kLogBlock = 64 * 1024;

}  // namespace

const std::string kCutMark = "...(以下省略)";

std::string CapStatusText(std::string_view text) {
    if (text.size() <= kMaxStatusBytes) return std::string(text);
    std::string out(text.substr(0, text::SjisSafeCut(text, kMaxStatusBytes - kCutMark.size())));
    out += kCutMark;
    return out;
}

void PluginOutput::Feed(std::string_view bytes) {
    while (!bytes.empty()) {
        if (dropping_) {
            if (collect_) return;
            // The dropped text of an overlong line goes on to its line end.
            std::size_t end;
            if (cr_at_end_ && bytes.front() == '\n') {
                end = 1;
            } else {
                const std::size_t crlf = bytes.find("\r\n");
                if (crlf == std::string_view::npos) {
                    cr_at_end_ = bytes.back() == '\r';
                    return;
                }
                end = crlf + 2;
            }
            buffer_ += "\r\n";
            unfinished_at_ = buffer_.size();
            dropping_ = cr_at_end_ = false;
            bytes.remove_prefix(end);
            continue;
        }
        buffer_.append(bytes);
        bytes = {};
        if (!collect_) {
            // Only the unfinished line and what just came can hold a new line
            // end (its CR perhaps at the end of the earlier bytes).
            const std::size_t last = buffer_.rfind("\r\n");
            if (last != std::string::npos && last >= unfinished_at_) unfinished_at_ = last + 2;
        }
        CapUnfinished();
    }
}

void PluginOutput::CapUnfinished() {
    if (buffer_.size() - unfinished_at_ <= kMaxStatusBytes) return;
    cr_at_end_ = buffer_.back() == '\r';
    const std::string capped = CapStatusText(std::string_view(buffer_).substr(unfinished_at_));
    buffer_.resize(unfinished_at_);
    buffer_ += capped;
    dropping_ = true;
}

bool PluginOutput::NextLine(std::string& line) {
    if (taken_ == unfinished_at_) {
        buffer_.erase(0, taken_);
        unfinished_at_ -= taken_;
        taken_ = 0;
        return false;
    }
    const std::size_t end = buffer_.find("\r\n", taken_);
    line = CapStatusText(std::string_view(buffer_).substr(taken_, end - taken_));
    taken_ = end + 2;
    return true;
}

std::string_view PluginOutput::Unfinished() const {
    return std::string_view(buffer_).substr(unfinished_at_);
}

ErrorLogWriter::ErrorLogWriter(std::string_view log_path) : file_(log_path) {}

ErrorLogWriter::~ErrorLogWriter() {
    Finish();
}

void ErrorLogWriter::Feed(std::string_view bytes) {
    // CR LF, LF and CR alone each end a line; each line end becomes CR LF. A CR
    // LF split between two reads is still one line end.
    while (!bytes.empty()) {
        if (after_cr_ && bytes.front() == '\n') bytes.remove_prefix(1);
        after_cr_ = false;
        const std::size_t end = bytes.find_first_of("\r\n");
        const std::string_view text = bytes.substr(0, end);
        pending_.append(text);
        if (!text.empty()) line_open_ = true;
        if (end == std::string_view::npos) break;
        pending_ += "\r\n";
        line_open_ = false;
        after_cr_ = bytes[end] == '\r';
        bytes.remove_prefix(end + 1);
    }
    if (pending_.size() >= kLogBlock) Flush();
}

void ErrorLogWriter::Flush() {
    file_.Append(pending_);
    pending_.clear();
}

void ErrorLogWriter::Finish() noexcept {
    if (finished_) return;
    finished_ = true;
    try {
        if (line_open_) pending_ += "\r\n";
        Flush();
        file_.Commit();
    } catch (...) {
        // A log that cannot be written must not hide the run's own outcome.
    }
}

}  // namespace drwa::receive
