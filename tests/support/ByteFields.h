// Integers as binary image formats store them, for building damaged and hand-made files.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <string>

// `value`'s low `size` bytes, the most significant first unless `little`.
inline std::string Int(std::uint32_t value, int size, bool little = false) {
    std::string bytes(std::size_t(size), '\0');
    for (int i = 0; i < size; ++i)
        bytes[std::size_t(little ? i : size - 1 - i)] = char(value >> (8 * i));
    return bytes;
}

inline std::uint32_t IntAt(const std::string& bytes, std::size_t at, int size, bool little = false) {
    std::uint32_t value = 0;
    for (int i = 0; i < size; ++i)
        value = value << 8 | std::uint8_t(bytes[at + std::size_t(little ? size - 1 - i : i)]);
    return value;
}

// An entry of a TIFF directory: tag, type, count and the value or its offset.
inline std::string IfdEntry(std::uint32_t tag, std::uint32_t type, std::uint32_t count,
                            const std::string& value, bool little = false) {
    return Int(tag, 2, little) + Int(type, 2, little) + Int(count, 4, little) + value;
}

// A PNG chunk: its length, type, data and checksum.
inline std::string PngChunk(const std::string& type, const std::string& data) {
    const std::string body = type + data;
    return Int(std::uint32_t(data.size()), 4) + body +
           Int(std::uint32_t(crc32(0, reinterpret_cast<const Bytef*>(body.data()), uInt(body.size()))), 4);
}
