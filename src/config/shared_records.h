// The records of the shared-memory block: the last error, the dummy domain and
// the receive/send mode. Each operation opens its own stream on the block; the
// stream kept from load to unload keeps the records alive between calls.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace drwa::config {

// "HalvoDRWAPluginMem" + the decimal module handle of this library.
std::string SharedBlockName();

// Domain used while the host has set none; like a dummy domain it starts with
// the at sign.
inline constexpr std::string_view kFallbackDomain = "@drwa-plugin.invalid";

// Opens the block at load and keeps it until ReleaseSharedBlock at unload.
// Never throws: without the block every record operation reports its failure.
void KeepSharedBlock();
void ReleaseSharedBlock();

// Stores at most 255 bytes of `text` as the last error. Never fails.
void StoreLastError(std::string_view text) noexcept;
// The last error text, or nothing when the block cannot be read.
std::optional<std::string> ReadLastError() noexcept;

// False when the block cannot be written.
bool StoreDummyDomain(std::string_view domain) noexcept;
// The host's dummy domain, or the fallback domain when none is set or the block
// cannot be read.
std::string ReadDummyDomain() noexcept;

bool StoreRecSendMode(std::int32_t mode) noexcept;
// Throws drwa::Error when the block cannot be opened.
std::int32_t ReadRecSendMode();

}  // namespace drwa::config
