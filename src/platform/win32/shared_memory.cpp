// Named shared memory on Windows: a file mapping on the paging file under the
// given name, so that a second loader of the library (in this process or
// another) that opens the same name sees the same bytes. The mapping goes with
// the last handle (Windows drops a mapping once no process holds a handle to
// it).
#include <windows.h>

#include "common/error.h"
#include "platform/shared_memory_block.h"
#include "platform/win32/wide_text.h"

namespace drwa::platform {
namespace {

struct MappingBlock final : SharedMemory::Block {
    HANDLE mapping = nullptr;
    ~MappingBlock() override {
        if (view) UnmapViewOfFile(view);
        if (mapping) CloseHandle(mapping);
    }
};

[[noreturn]] void Fail(const std::string& name, DWORD code) {
    throw Error("shared memory " + name + " cannot be made: " + win32::SystemErrorText(code));
}

}  // namespace

std::shared_ptr<SharedMemory::Block> MakeSharedBlock(const std::string& name, std::size_t size) {
    auto wide = win32::TryCp932ToWide(name);
    if (!wide) throw Error("shared memory " + name + " cannot be made");
    auto block = std::make_shared<MappingBlock>();
    block->name = name;
    block->size = size;
    // A fresh mapping of the paging file is zero-filled; an existing one of
    // that name (another loader's) is joined as it is.
    block->mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                        static_cast<DWORD>(size), wide->c_str());
    if (!block->mapping) Fail(name, GetLastError());
    block->view = MapViewOfFile(block->mapping, FILE_MAP_ALL_ACCESS, 0, 0, size);
    if (!block->view) Fail(name, GetLastError());
    return block;
}

}  // namespace drwa::platform
