// The frame every status export runs in: the error record is cleared on entry,
// and any failure of the body is caught here, stored as the last error, and
// turned into the export's failure value. No exception ever crosses into the
// host.
#pragma once

#include <cstdint>
#include <exception>
#include <new>

#include "common/error.h"
#include "config/shared_records.h"

namespace drwa::plugin {

template <typename Body>
std::int32_t RunExport(std::int32_t failure_value, Body&& body) noexcept {
    config::StoreLastError("");
    try {
        return body();
    } catch (const Error& e) {
        config::StoreLastError(e.what());
    } catch (const std::bad_alloc&) {
        config::StoreLastError("メモリが不足しています");
    } catch (const std::exception& e) {
        config::StoreLastError(e.what());
    } catch (...) {
        config::StoreLastError("不明なエラーが発生しました");
    }
    return failure_value;
}

// Copies `text` and a terminating zero: the identity exports copy exactly their
// literal, so the caller's buffer must hold it and the zero.
std::int32_t CopyText(char* out, const char* text);

}  // namespace drwa::plugin
