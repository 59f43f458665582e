// Scalar and vector types of the module, the big-endian field types of stored records, and the
// defined conversions and wrapping arithmetic the shading relies on.
#pragma once

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

using LM_bool = std::int32_t;
using LM_sint16 = std::int16_t;
using LM_uint16 = std::uint16_t;
using LM_uint8 = std::uint8_t;
using LM_sint32 = std::int32_t;
using LM_uint32 = std::uint32_t;
using LM_real64 = double;

constexpr float LM_PI = 3.1415927f;
constexpr float LM_TAN_30_VALUE = 0.57735026f;
constexpr LM_sint32 LM_LIGHT_INTENSITY_SCALE_VALUE = 32;
constexpr float LM_BUMP_DEFAULT_NORMAL_Z = 4096.0f;

// Stored again by the entry point on every call, as the module always has.
extern float LM_TAN_30;
extern LM_sint32 LM_LIGHT_INTENSITY_SCALE;

struct LM_vectori2 {
    LM_sint16 x;
    LM_sint16 y;

    float Magnitude() const;
};

struct LM_vector2f {
    float x;
    float y;
};

struct LM_vector3f {
    float x;
    float y;
    float z;
};

struct LM_color48 {
    LM_uint16 red;
    LM_uint16 green;
    LM_uint16 blue;
};

struct LM_color96 {
    LM_sint32 red;
    LM_sint32 green;
    LM_sint32 blue;
    LM_sint32 unused;
};

// Angle of (x, y) in radians against the single-precision pi.
double LM_ATan2(double y, double x);

// Float to 32-bit integer, truncating toward zero; out-of-range values saturate and NaN gives 0.
inline LM_sint32 LM_Trunc32(float f) {
    if (!(f == f))
        return 0;
    if (f >= 2147483648.0f)
        return std::numeric_limits<LM_sint32>::max();
    if (f < -2147483648.0f)
        return std::numeric_limits<LM_sint32>::min();
    return static_cast<LM_sint32>(f);
}

inline LM_sint32 LM_Trunc32(double f) {
    if (!(f == f))
        return 0;
    if (f >= 2147483648.0)
        return std::numeric_limits<LM_sint32>::max();
    if (f < -2147483648.0)
        return std::numeric_limits<LM_sint32>::min();
    return static_cast<LM_sint32>(f);
}

// 32-bit sums and products that wrap as two's complement, without signed overflow.
inline LM_sint32 LM_WrapAdd(LM_sint32 a, LM_sint32 b) {
    return static_cast<LM_sint32>(static_cast<LM_uint32>(a) + static_cast<LM_uint32>(b));
}
inline LM_sint32 LM_WrapSub(LM_sint32 a, LM_sint32 b) {
    return static_cast<LM_sint32>(static_cast<LM_uint32>(a) - static_cast<LM_uint32>(b));
}
inline LM_sint32 LM_WrapMul(LM_sint32 a, LM_sint32 b) {
    return static_cast<LM_sint32>(static_cast<LM_uint32>(a) * static_cast<LM_uint32>(b));
}

// A big-endian field of a stored record: byte-exact, alignment 1.
template <typename T> class LM_big {
    static_assert(sizeof(T) == 2 || sizeof(T) == 4);
    using Bits = std::conditional_t<sizeof(T) == 2, std::uint16_t, std::uint32_t>;
    unsigned char bytes[sizeof(T)];

  public:
    T get() const {
        Bits b;
        std::memcpy(&b, bytes, sizeof b);
        if constexpr (std::endian::native == std::endian::little)
            b = sizeof(T) == 2 ? Bits(__builtin_bswap16(std::uint16_t(b)))
                               : Bits(__builtin_bswap32(std::uint32_t(b)));
        return std::bit_cast<T>(b);
    }
    void set(T v) {
        Bits b = std::bit_cast<Bits>(v);
        if constexpr (std::endian::native == std::endian::little)
            b = sizeof(T) == 2 ? Bits(__builtin_bswap16(std::uint16_t(b)))
                               : Bits(__builtin_bswap32(std::uint32_t(b)));
        std::memcpy(bytes, &b, sizeof b);
    }
    operator T() const { return get(); }
    LM_big& operator=(T v) {
        set(v);
        return *this;
    }
};

using LM_be16s = LM_big<std::int16_t>;
using LM_be16u = LM_big<std::uint16_t>;
using LM_be32s = LM_big<std::int32_t>;
using LM_be32u = LM_big<std::uint32_t>;
using LM_befloat = LM_big<float>;
static_assert(sizeof(LM_befloat) == 4 && alignof(LM_befloat) == 1);
