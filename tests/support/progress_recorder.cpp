#include "support/progress_recorder.h"

#include <stdexcept>
#include <thread>

namespace drwa::testing {
namespace {
ProgressRecorder* active = nullptr;
}

ProgressRecorder::ProgressRecorder() {
    if (active) throw std::logic_error("one ProgressRecorder at a time");
    active = this;
}

ProgressRecorder::~ProgressRecorder() {
    active = nullptr;
}

ProgressCallback ProgressRecorder::callback() {
    return &ProgressRecorder::Record;
}

void ProgressRecorder::AbortWhen(std::function<bool(const std::string&)> when) {
    std::lock_guard lock(mutex_);
    abort_when_ = std::move(when);
}

std::vector<std::string> ProgressRecorder::texts() const {
    std::lock_guard lock(mutex_);
    return texts_;
}

bool ProgressRecorder::Saw(const std::string& part) const {
    for (const auto& t : texts())
        if (t.find(part) != std::string::npos) return true;
    return false;
}

std::vector<std::size_t> ProgressRecorder::callers() const {
    std::lock_guard lock(mutex_);
    return callers_;
}

void DRWA_CALL ProgressRecorder::Record(const char* text, int32_t* abort_flag) {
    ProgressRecorder* self = active;
    if (!self) return;
    std::lock_guard lock(self->mutex_);
    self->texts_.emplace_back(text);
    self->callers_.push_back(std::hash<std::thread::id>{}(std::this_thread::get_id()));
    if (self->abort_when_ && self->abort_when_(text)) *abort_flag = 1;
}

}  // namespace drwa::testing
