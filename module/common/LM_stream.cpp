#include "LM_stream.h"

#include <algorithm>
#include <cstring>

LM_bool LM_ostream::WriteField(LM_uint32 value, int bytes) {
    unsigned char b[4];
    for (int i = 0; i < bytes; ++i)
        b[i] = static_cast<unsigned char>(value >> (8 * (bytes - 1 - i)));
    return WriteRaw(bytes, b) == bytes;
}

LM_bool LM_istream::ReadField(LM_uint32& value, int bytes) {
    unsigned char b[4];
    if (ReadRaw(bytes, b) != bytes)
        return false;
    value = 0;
    for (int i = 0; i < bytes; ++i)
        value = (value << 8) | b[i];
    return true;
}

LM_bool LM_istream::ReadU8(LM_uint8& value) {
    LM_uint32 v;
    return ReadField(v, 1) ? (value = LM_uint8(v), true) : false;
}
LM_bool LM_istream::ReadU16(LM_uint16& value) {
    LM_uint32 v;
    return ReadField(v, 2) ? (value = LM_uint16(v), true) : false;
}
LM_bool LM_istream::ReadU32(LM_uint32& value) {
    return ReadField(value, 4);
}
LM_bool LM_istream::ReadS8(std::int8_t& value) {
    LM_uint32 v;
    return ReadField(v, 1) ? (value = std::int8_t(v), true) : false;
}
LM_bool LM_istream::ReadS16(LM_sint16& value) {
    LM_uint32 v;
    return ReadField(v, 2) ? (value = LM_sint16(v), true) : false;
}
LM_bool LM_istream::ReadS32(LM_sint32& value) {
    LM_uint32 v;
    return ReadField(v, 4) ? (value = LM_sint32(v), true) : false;
}

LM_bool LM_istream::ReadHeader() {
    LM_uint16 mark = 0;
    LM_uint32 magic = 0;
    return ReadU16(mark) && mark == LM_STYLE_BYTE_ORDER_MARK && ReadU32(magic) && magic == LM_STYLE_MAGIC;
}

LM_bool LM_memory_ostream::Open() {
    if (open_)
        return false;
    open_ = true;
    bytes_.clear();
    return WriteU16(LM_STYLE_BYTE_ORDER_MARK) && WriteHeader();
}

long LM_memory_ostream::WriteRaw(long count, const void* source) {
    if (!open_ || count < 0)
        return -1;
    const auto* p = static_cast<const unsigned char*>(source);
    bytes_.insert(bytes_.end(), p, p + count);
    return count;
}

LM_memory_istream::LM_memory_istream(const void* data, std::size_t size)
    : data_(static_cast<const unsigned char*>(data)), size_(size) {}

LM_bool LM_memory_istream::Open() {
    at_ = 0;
    return ReadHeader();
}

long LM_memory_istream::ReadRaw(long count, void* destination) {
    if (count < 0)
        return -1;
    const std::size_t n = std::min(std::size_t(count), size_ - at_);
    std::memcpy(destination, data_ + at_, n);
    at_ += n;
    return long(n);
}
