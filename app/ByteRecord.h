#pragma once
// A record that is held as its exact bytes, so that memory, file and link agree byte for byte.
// Typed accessors read and write little-endian values at fixed offsets.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace tavlex {

template <std::size_t N>
struct ByteRecord {
  std::array<std::uint8_t, N> bytes{};

  static constexpr std::size_t kSize = N;

  std::uint8_t* data() { return bytes.data(); }
  const std::uint8_t* data() const { return bytes.data(); }
  void Clear() { bytes.fill(0); }

  std::uint8_t U8(std::size_t at) const { return bytes[at]; }
  void SetU8(std::size_t at, std::uint8_t v) { bytes[at] = v; }

  std::uint16_t U16(std::size_t at) const {
    return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
  }
  void SetU16(std::size_t at, std::uint16_t v) {
    bytes[at] = static_cast<std::uint8_t>(v);
    bytes[at + 1] = static_cast<std::uint8_t>(v >> 8);
  }
  std::int16_t I16(std::size_t at) const { return static_cast<std::int16_t>(U16(at)); }
  void SetI16(std::size_t at, std::int16_t v) { SetU16(at, static_cast<std::uint16_t>(v)); }

  std::uint32_t U32(std::size_t at) const {
    return static_cast<std::uint32_t>(bytes[at]) | (static_cast<std::uint32_t>(bytes[at + 1]) << 8) |
           (static_cast<std::uint32_t>(bytes[at + 2]) << 16) |
           (static_cast<std::uint32_t>(bytes[at + 3]) << 24);
  }
  void SetU32(std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  }
  std::int32_t I32(std::size_t at) const { return static_cast<std::int32_t>(U32(at)); }
  void SetI32(std::size_t at, std::int32_t v) { SetU32(at, static_cast<std::uint32_t>(v)); }

  float F32(std::size_t at) const {
    std::uint32_t u = U32(at);
    float f;
    std::memcpy(&f, &u, sizeof f);
    return f;
  }
  void SetF32(std::size_t at, float f) {
    std::uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    SetU32(at, u);
  }

  // A NUL-terminated text inside a slot of `size` bytes; never reads past the slot.
  std::string_view Text(std::size_t at, std::size_t size) const {
    const char* p = reinterpret_cast<const char*>(bytes.data() + at);
    std::size_t n = 0;
    while (n < size && p[n] != '\0') ++n;
    return {p, n};
  }
  // Stores at most size - 1 characters and a NUL; the bytes after the NUL are left as they are,
  // so reserved tails of a record read from a file survive.
  void SetText(std::size_t at, std::size_t size, std::string_view text) {
    std::size_t n = text.size() < size - 1 ? text.size() : size - 1;
    std::memcpy(bytes.data() + at, text.data(), n);
    bytes[at + n] = 0;
  }
};

}  // namespace tavlex
