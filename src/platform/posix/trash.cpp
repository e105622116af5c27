#include "platform/trash.h"

#include <gio/gio.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include "common/error.h"
#include "platform/charset_edge.h"
#include "platform/files.h"

namespace drwa::platform {
namespace {

struct ObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
struct ErrorFree {
    void operator()(GError* error) const { g_error_free(error); }
};

// The system's own words for a failed call, as the user is used to them.
[[noreturn]] void ThrowSystemError(int code, const std::string& utf8_text) {
    if (code == 0 && utf8_text.empty()) throw Error("システム API 呼び出しに失敗しました");
    std::string message = "システム エラー。コード : " + std::to_string(code) + ".\n";
    throw Error(message + TryUtf8ToCp932(utf8_text).value_or(utf8_text));
}

}  // namespace

void MoveToTrash(std::string_view path) {
    const std::filesystem::path native = NativePath(path);
    std::unique_ptr<GFile, ObjectUnref> file(g_file_new_for_path(native.c_str()));
    GError* raw = nullptr;
    if (g_file_trash(file.get(), nullptr, &raw)) return;
    std::unique_ptr<GError, ErrorFree> error(raw);
    ThrowSystemError(error ? error->code : 0, error && error->message ? error->message : "");
}

void DeleteForGood(std::string_view path) {
    const std::filesystem::path native = NativePath(path);
    std::error_code ec;
    // symlink_status: a link is not a way into another folder's content.
    if (!std::filesystem::exists(std::filesystem::symlink_status(native, ec))) {
        ThrowSystemError(ENOENT, std::strerror(ENOENT));
    }
    std::filesystem::remove_all(native, ec);
    if (ec) ThrowSystemError(ec.value(), ec.message());
}

}  // namespace drwa::platform
