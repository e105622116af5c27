// Limits and fixed texts that several parts of the library share.
#pragma once

#include <cstddef>
#include <cstdint>

namespace drwa::limits {

// Texts the host reads back through fixed buffers: 255 bytes plus a zero.
inline constexpr std::size_t kHostText = 255;

// Longest value a settings read returns (the private-profile buffer is 2048).
inline constexpr std::size_t kIniValue = 2047;

// The shared-memory block and its records.
inline constexpr std::int32_t kBlockSize = 524;
inline constexpr std::int32_t kErrorLengthOffset = 0;
inline constexpr std::int32_t kErrorTextOffset = 4;
inline constexpr std::int32_t kDomainLengthOffset = 260;
inline constexpr std::int32_t kDomainTextOffset = 264;
inline constexpr std::int32_t kModeOffset = 520;
inline constexpr std::int32_t kRecordText = 255;

}  // namespace drwa::limits
