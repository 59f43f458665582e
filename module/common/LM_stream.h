// Byte streams for style data: typed big-endian writes and reads over a byte sink or source.
// The style files themselves are file streams (LM_mac_stream); memory streams serve data that
// arrives as bytes (imports, tests).
#pragma once

#include "LM_types.h"

#include <cstddef>
#include <vector>

constexpr LM_uint16 LM_STYLE_BYTE_ORDER_MARK = 0x4242;
constexpr LM_uint32 LM_STYLE_MAGIC = 0x51584C4D; // "QXLM"
constexpr LM_uint32 styleFormatTag = 144;

class LM_ostream {
  public:
    virtual ~LM_ostream() = default;
    LM_bool WriteU8(LM_uint32 value) { return WriteField(value, 1); }
    LM_bool WriteU16(LM_uint16 value) { return WriteField(value, 2); }
    LM_bool WriteU32(LM_uint32 value) { return WriteField(value, 4); }
    LM_bool WriteS8(std::int8_t value) { return WriteField(LM_uint32(value), 1); }
    LM_bool WriteS16(LM_sint16 value) { return WriteField(LM_uint32(value), 2); }
    LM_bool WriteS32(LM_sint32 value) { return WriteField(LM_uint32(value), 4); }

    // Writes count bytes; the number written, or -1 when the stream cannot take them.
    virtual long WriteRaw(long count, const void* source) = 0;

  protected:
    // Writes the magic that follows the byte-order mark.
    LM_bool WriteHeader() { return WriteU32(LM_STYLE_MAGIC); }

  private:
    LM_bool WriteField(LM_uint32 value, int bytes);
};

class LM_istream {
  public:
    virtual ~LM_istream() = default;
    LM_bool ReadU8(LM_uint8& value);
    LM_bool ReadU16(LM_uint16& value);
    LM_bool ReadU32(LM_uint32& value);
    LM_bool ReadS8(std::int8_t& value);
    LM_bool ReadS16(LM_sint16& value);
    LM_bool ReadS32(LM_sint32& value);

    // Reads count bytes; the number read, or -1 when the stream has none to give.
    virtual long ReadRaw(long count, void* destination) = 0;

  protected:
    // Reads the byte-order mark and the magic; false when either is not there.
    LM_bool ReadHeader();

  private:
    LM_bool ReadField(LM_uint32& value, int bytes);
};

// A style as bytes in memory: the byte-order mark and magic first, then the body.
class LM_memory_ostream : public LM_ostream {
  public:
    LM_bool Open();
    long WriteRaw(long count, const void* source) override;
    const std::vector<unsigned char>& Bytes() const { return bytes_; }

  private:
    std::vector<unsigned char> bytes_;
    bool open_ = false;
};

class LM_memory_istream : public LM_istream {
  public:
    LM_memory_istream(const void* data, std::size_t size);
    // Checks the byte-order mark and the magic.
    LM_bool Open();
    long ReadRaw(long count, void* destination) override;

  private:
    const unsigned char* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};
