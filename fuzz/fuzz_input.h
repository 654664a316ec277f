// The byte layout every fuzz target reads its input with, and the seed maker
// writes it with: fixed-size values in native byte order, then texts with a
// 16-bit length. A value cut short by the end of the input reads as zero, so
// every input is a valid one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <type_traits>

namespace life3d::fuzz {

struct InputReader {
  const uint8_t* data;
  size_t size;

  bool Empty() const { return size == 0; }
  template <typename T>
  T Take() {
    static_assert(std::is_trivially_copyable_v<T>);
    T value{};
    const size_t n = size < sizeof(T) ? size : sizeof(T);
    std::memcpy(&value, data, n);
    data += n;
    size -= n;
    return value;
  }
  // Up to the next 16-bit length of bytes (fewer when the input ends first).
  std::string_view TakeText() {
    const size_t want = Take<uint16_t>();
    const size_t n = want < size ? want : size;
    const std::string_view text(reinterpret_cast<const char*>(data), n);
    data += n;
    size -= n;
    return text;
  }
  std::string_view Rest() {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    data += size;
    size = 0;
    return text;
  }
};

struct InputWriter {
  std::string bytes;
  template <typename T>
  void Put(T value) {
    static_assert(std::is_trivially_copyable_v<T>);
    bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
  }
  void PutText(std::string_view text) {
    Put(static_cast<uint16_t>(text.size()));
    bytes.append(text.substr(0, 0xFFFF));
  }
};

}  // namespace life3d::fuzz
