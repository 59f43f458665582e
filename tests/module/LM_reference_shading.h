// The shading arithmetic written out plainly, pixel by pixel and sample by sample, to check the
// shaders over whole tiles. Independent of the shaders: no caches, no row buffers, one light and
// one pixel at a time.
#pragma once

#include "LM_parameters.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace reference {

inline std::int32_t Trunc(float f) {
    return std::isnan(f)         ? 0
           : f >= 2147483648.0f  ? INT32_MAX
           : f <= -2147483648.0f ? INT32_MIN
                                 : std::int32_t(f);
}

inline std::int32_t Add(std::int32_t a, std::int32_t b) {
    return std::int32_t(std::uint32_t(a) + std::uint32_t(b));
}
inline std::int32_t Mul(std::int32_t a, std::int32_t b) {
    return std::int32_t(std::uint32_t(a) * std::uint32_t(b));
}

struct Light3 {
    std::int32_t d[3] = {0, 0, 0}, s[3] = {0, 0, 0};
    void add(const LM_light& l, float fd, float fs) {
        for (int c = 0; c < 3; ++c) {
            d[c] = Add(d[c], Trunc(float(l.radiance[c].get()) * fd));
            s[c] = Add(s[c], Trunc(float(l.radiance[c].get()) * fs));
        }
    }
};

struct Ray {
    float x, y, z, inv;
    bool inCone = true;
    float k = 1; // spread factor, spotlights only
};

// L from the surface point to the light, 1 / |L|, the cone test and the spread factor.
inline Ray Toward(const LM_light& l, float px, float py) {
    Ray r;
    if (l.type == lightTypeDirectional) {
        r.x = l.direction[0], r.y = l.direction[1], r.z = l.direction[2];
    } else {
        r.x = l.origin[0] - px, r.y = l.origin[1] - py, r.z = l.origin[2];
    }
    r.inv = float(1.0 / std::sqrt(double(r.x * r.x + r.y * r.y + r.z * r.z)));
    if (l.type == lightTypeSpot) {
        const float cosA = -(l.direction[0] * r.x + l.direction[1] * r.y + l.direction[2] * r.z) * r.inv;
        r.inCone = cosA > l.cutoff;
        const int last = l.spreadScale == LM_SpreadScale(LM_SPREAD_ENTRIES_PREVIEW) ? 255 : 1023;
        if (r.inCone)
            r.k = l.spreadTable[std::clamp(Trunc((cosA - l.spreadBase) * l.spreadScale), 0, last)];
    }
    return r;
}

inline void FlatLight(const LM_light& l, float px, float py, Light3& sum) {
    const Ray r = Toward(l, px, py);
    if (!r.inCone || !(double(r.z) > 0))
        return;
    const bool spot = l.type == lightTypeSpot;
    sum.add(l, spot ? (r.z * r.k) * r.inv : r.z * r.inv,
            spot ? ((r.z * r.z) * r.inv) * r.k : (r.z * r.z) * r.inv);
}

inline void BumpLight(const LM_light& l, const Ray& r, float nx, float ny, float nz, Light3& sum) {
    const float d = nx * r.x + ny * r.y + nz * r.z;
    if (!r.inCone || !(d > 0))
        return;
    const bool spot = l.type == lightTypeSpot;
    const float t = float(2.0 * nz);
    const float rz = (t * nx) * r.x + (t * ny) * r.y + float(double(t) * nz - 1.0) * r.z;
    const float fd = spot ? (d * r.k) * r.inv : d * r.inv;
    const float fs = rz > 0 ? (spot ? ((rz * rz) * r.inv) * r.k : (rz * rz) * r.inv) : 0.0f;
    sum.add(l, fd, fs);
}

// The combination with ambient, material, gloss and exposure into three bytes.
inline void Combine(const foo& b, const Light3& sum, const unsigned char* colour, unsigned char* out) {
    const std::int32_t m = b.material, g = b.gloss, e = b.exposure;
    for (int c = 0; c < 3; ++c) {
        const std::int32_t D = sum.d[c], S = sum.s[c], A = b.ambient[c], p = colour[c];
        std::int32_t T;
        if (m <= 0)
            T = Add(Mul(Add(D, A), p), Mul(S >> 8, Mul(g, 255)));
        else if (m >= 256)
            T = Mul(Add(Add(D, A), Mul(S >> 8, g)), p);
        else
            T = Add(Mul(Add(D, A), p), Mul(Mul(S >> 8, g), (p * m + 255 * (256 - m)) >> 8));
        const std::int32_t v = Mul(T >> 8, e) >> 15;
        out[c] = static_cast<unsigned char>(v <= 0 ? 0 : v >= 255 ? 255 : v);
    }
}

// The normal of a gradient: q exact, the sum with 4096^2 in float, the root and division in double.
inline LM_vector3f Normal(std::int32_t gx, std::int32_t gy) {
    const std::uint64_t q = std::uint64_t(std::int64_t(gx) * gx) + std::uint64_t(std::int64_t(gy) * gy);
    const float inv = float(1.0 / std::sqrt(double(float(q) + 4096.0f * 4096.0f)));
    return {-float(gx) * inv, float(gy) * inv, 4096.0f * inv};
}

inline float Position(int i, int extent, float s) {
    return float(((i - extent * 0.5) + 0.5) * s);
}

// The flat result of image pixel (x, y) of an area fw x fh.
inline void FlatPixel(const foo& b, int x, int y, int fw, int fh, const unsigned char* colour,
                      unsigned char* out) {
    const float s = b.worldWidth.get() / float(fw);
    Light3 sum;
    for (int i = 0; i < b.lightCount; ++i)
        FlatLight(b.lights[i], Position(x, fw, s), Position(y, fh, s), sum);
    Combine(b, sum, colour, out);
}

// The relief result of image pixel (x, y), with h(r, c) the filtered heights around it
// (r, c in -1..1).
template <typename Heights>
void BumpPixel(const foo& b, int x, int y, int fw, int fh, const unsigned char* colour, Heights h,
               unsigned char* out) {
    struct Sample {
        std::int32_t gx, gy, w;
    };
    std::vector<Sample> samples;
    const int corners[4][2] = {{-1, -1}, {-1, 0}, {0, 0}, {0, -1}}; // top-left of each quad
    for (const auto& q : corners) {
        const std::int32_t a = h(q[0], q[1]), bb = h(q[0], q[1] + 1), c = h(q[0] + 1, q[1] + 1),
                           d = h(q[0] + 1, q[1]);
        const std::int32_t gx = ((bb - a) + (c - d)) >> 1, gy = ((a - d) + (bb - c)) >> 1;
        auto flat =
            std::find_if(samples.begin(), samples.end(), [](const Sample& s) { return !s.gx && !s.gy; });
        if (!gx && !gy && flat != samples.end())
            flat->w += 4;
        else
            samples.push_back({gx, gy, 4});
    }
    const float s = b.worldWidth.get() / float(fw);
    const float px = Position(x, fw, s), py = Position(y, fh, s);
    int total[3] = {0, 0, 0};
    for (const Sample& sm : samples) {
        const LM_vector3f n = sm.gx || sm.gy ? Normal(sm.gx, sm.gy) : LM_vector3f{0, 0, 1};
        Light3 sum;
        for (int i = 0; i < b.lightCount; ++i)
            BumpLight(b.lights[i], Toward(b.lights[i], px, py), n.x, n.y, n.z, sum);
        unsigned char shaded[3];
        Combine(b, sum, colour, shaded);
        for (int c = 0; c < 3; ++c)
            total[c] += shaded[c] * sm.w;
    }
    for (int c = 0; c < 3; ++c)
        out[c] = static_cast<unsigned char>(total[c] >> 4);
}

} // namespace reference
