// What every part that reads or writes PNG's chunk stream shares: the file's
// signature, the largest chunk length the format allows and its big-endian
// 32-bit fields.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <span>

namespace imageio::detail {

inline constexpr std::array<std::uint8_t, 8> kPngSignature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
inline constexpr std::uint32_t kMaximumPngChunkLength = 0x7FFFFFFF;

inline bool startsWithPngSignature(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= kPngSignature.size() &&
           std::memcmp(bytes.data(), kPngSignature.data(), kPngSignature.size()) == 0;
}

inline std::uint32_t readBigEndian32(const std::uint8_t* at) {
    return std::uint32_t{at[0]} << 24 | std::uint32_t{at[1]} << 16 | std::uint32_t{at[2]} << 8 | at[3];
}

inline void writeBigEndian32(std::uint8_t* at, std::uint32_t value) {
    at[0] = static_cast<std::uint8_t>(value >> 24);
    at[1] = static_cast<std::uint8_t>(value >> 16);
    at[2] = static_cast<std::uint8_t>(value >> 8);
    at[3] = static_cast<std::uint8_t>(value);
}

}  // namespace imageio::detail
