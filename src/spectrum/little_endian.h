#pragma once

#include <bit>
#include <cstdint>
#include <string>
#include <string_view>

namespace sorvane {

// Explicit little-endian encoding of the binary file fields, whatever the host.

inline void put_u8(std::string& out, std::uint8_t value) {
    out += static_cast<char>(value);
}

inline void put_u16(std::string& out, std::uint16_t value) {
    put_u8(out, static_cast<std::uint8_t>(value & 0xFF));
    put_u8(out, static_cast<std::uint8_t>(value >> 8));
}

inline void put_u32(std::string& out, std::uint32_t value) {
    put_u16(out, static_cast<std::uint16_t>(value & 0xFFFF));
    put_u16(out, static_cast<std::uint16_t>(value >> 16));
}

inline void put_i16(std::string& out, std::int16_t value) {
    put_u16(out, static_cast<std::uint16_t>(value));
}
inline void put_i32(std::string& out, std::int32_t value) {
    put_u32(out, static_cast<std::uint32_t>(value));
}
inline void put_f32(std::string& out, float value) {
    put_u32(out, std::bit_cast<std::uint32_t>(value));
}

inline std::uint8_t get_u8(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint8_t>(bytes[at]);
}
inline std::uint16_t get_u16(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint16_t>(get_u8(bytes, at) | (get_u8(bytes, at + 1) << 8));
}
inline std::uint32_t get_u32(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint32_t>(get_u16(bytes, at)) |
           (static_cast<std::uint32_t>(get_u16(bytes, at + 2)) << 16);
}
inline std::int16_t get_i16(std::string_view bytes, std::size_t at) {
    return static_cast<std::int16_t>(get_u16(bytes, at));
}
inline std::int32_t get_i32(std::string_view bytes, std::size_t at) {
    return static_cast<std::int32_t>(get_u32(bytes, at));
}
inline float get_f32(std::string_view bytes, std::size_t at) {
    return std::bit_cast<float>(get_u32(bytes, at));
}

}  // namespace sorvane
