// Little-endian readers and writers over byte spans. Records are decoded one
// field at a time at explicit offsets, never by overlaying structs.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>

inline uint16_t ReadU16(std::span<const uint8_t> b, size_t at)
{
    return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}

inline uint32_t ReadU32(std::span<const uint8_t> b, size_t at)
{
    return static_cast<uint32_t>(b[at]) | (static_cast<uint32_t>(b[at + 1]) << 8) |
           (static_cast<uint32_t>(b[at + 2]) << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

inline void WriteU16(std::span<uint8_t> b, size_t at, uint16_t v)
{
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}

inline void WriteU32(std::span<uint8_t> b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// The text of a fixed zero-terminated field: up to its first zero byte, never
// past the field, so an unterminated field is read safely.
inline std::string ReadText(std::span<const uint8_t> b, size_t at, size_t size)
{
    const auto* start = reinterpret_cast<const char*>(b.data() + at);
    return std::string(start, strnlen(start, size));
}

// Writes `text` into a fixed field of `size` bytes, cut to size - 1 characters,
// and zero-fills the rest of the field.
inline void WriteText(std::span<uint8_t> b, size_t at, size_t size, std::string_view text)
{
    size_t n = text.size() < size ? text.size() : size - 1;
    std::memcpy(b.data() + at, text.data(), n);
    std::memset(b.data() + at + n, 0, size - n);
}

// Writes `text` and its terminating zero into a fixed field as strcpy would,
// cut to size - 1 characters, leaving the bytes after the terminator as they
// were (other programs may keep data there).
inline void PutText(std::span<uint8_t> b, size_t at, size_t size, std::string_view text)
{
    size_t n = text.size() < size ? text.size() : size - 1;
    std::memcpy(b.data() + at, text.data(), n);
    b[at + n] = 0;
}

// Fixed text fields of the records in memory, char arrays of N bytes that
// always end within themselves once read, so that the C string functions are
// safe on them.

// The field's text: up to its first zero byte, never past the field.
template <size_t N>
std::string_view FieldText(const char (&field)[N])
{
    return std::string_view(field, strnlen(field, N));
}

// Copies the N bytes of a text field from `b` at `at` and makes the text end
// within the field: one without a terminator loses its last byte to one, so
// that a field of a damaged file never runs into the next. The bytes after
// the terminator are kept as read.
template <size_t N>
void ReadTextField(std::span<const uint8_t> b, size_t at, char (&field)[N])
{
    std::memcpy(field, b.data() + at, N);
    if (!std::memchr(field, 0, N))
        field[N - 1] = 0;
}

// Puts `text` into the field, cut to N - 1 characters, and zero-fills the
// rest of the field.
template <size_t N>
void SetTextField(char (&field)[N], std::string_view text)
{
    WriteText(std::span(reinterpret_cast<uint8_t*>(field), N), 0, N, text);
}
