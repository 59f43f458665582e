// Compiled once per vector target; the running machine picks its best. Lanes follow the double
// vector: the inverse root and the relief's mirror term are done in double, so the float vectors are
// that many lanes wide; the relief's quads and average, integers only, use whole vectors. Mul and
// Add stay separate instructions (no MulAdd: the build forbids contraction as well), except inside
// the inverse root, whose test enumerates every input.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "LM_shade_rows.cpp"
#include <hwy/foreach_target.h> // IWYU pragma: keep

#include <hwy/highway.h>

#include "LM_bumps.h"
#include "LM_shade_rows.h"
#include "LM_shader.h"

#include <algorithm>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <type_traits>

HWY_BEFORE_NAMESPACE();
namespace lm_rows {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

using DD = hn::ScalableTag<double>;
using DF = hn::Rebind<float, DD>;
using DI = hn::Rebind<int32_t, DD>;
using D8 = hn::Rebind<uint8_t, DD>;
using VF = hn::Vec<DF>;
using VI = hn::Vec<DI>;
using MF = hn::Mask<DF>;

constexpr std::size_t kMaxLanes = HWY_MAX_BYTES / sizeof(double);

// The last lanes of a row, fewer than a vector: copied into a full vector's room and back.
template <typename T> struct Staged {
    T* row;
    std::size_t count;
    std::remove_const_t<T> local[kMaxLanes]{};

    Staged(T* at, std::size_t n) : row(at), count(n) { std::memcpy(local, at, n * sizeof(T)); }
    ~Staged() {
        if constexpr (!std::is_const_v<T>)
            std::memcpy(row, local, count * sizeof(T));
    }
    Staged(const Staged&) = delete;
    Staged& operator=(const Staged&) = delete;
};

// Calls body with the arrays advanced to each vector of lanes; a short tail goes through copies.
template <typename Body, typename... T> void OverRow(std::size_t n, Body body, T*... arrays) {
    const std::size_t lanes = hn::Lanes(DF());
    std::size_t i = 0;
    for (; i + lanes <= n; i += lanes)
        body((arrays + i)...);
    if (i < n)
        [&](auto&&... tail) { body(tail.local...); }(Staged<T>(arrays + i, n - i)...);
}

// One Newton step toward 1 / sqrt(q): y (1 + e / 2) with e = 1 - q y^2; it squares the relative error
// and multiplies it by about 1.5, plus a few double roundings.
HWY_INLINE hn::Vec<DD> NewtonStep(hn::Vec<DD> q, hn::Vec<DD> y) {
    const DD dd;
    const hn::Vec<DD> e = hn::NegMulAdd(hn::Mul(q, y), y, hn::Set(dd, 1.0));
    return hn::MulAdd(hn::Mul(y, hn::Set(dd, 0.5)), e, y);
}

// float(1.0 / sqrt(double(q))) without a double root or division. The float estimate (relative error
// at most 1.5 * 2^-12 as documented) refined by two Newton steps is within 2^-43.7 of the true root,
// the definition's double within 2^-52: both round to the same float unless the estimate lies within
// 2^9.3 double ulps of a point halfway between floats (every result is a normal float, so that point
// is the 29th fraction bit). Lanes within kNear ulps, room for an estimate three times worse, take the
// definition itself (one lane in 4096), and so do inputs outside the normal floats (zero, subnormals,
// infinity, NaN), where the estimate fails.
HWY_INLINE VF InverseRoot(VF q) {
#if HWY_TARGET == HWY_SCALAR
    // One lane saves nothing, and the estimate there is too coarse for two steps.
    return hn::Set(DF(), float(1.0 / std::sqrt(double(hn::GetLane(q)))));
#else
    const DD dd;
    const hn::RebindToSigned<DD> di;
    constexpr int64_t kHalf = int64_t{1} << 28, kBelowFloat = (int64_t{1} << 29) - 1,
                      kNear = int64_t{1} << 16;
    const hn::Vec<DD> qd = hn::PromoteTo(dd, q);
    const hn::Vec<DD> y = NewtonStep(qd, NewtonStep(qd, hn::PromoteTo(dd, hn::ApproximateReciprocalSqrt(q))));
    const auto fromHalf =
        hn::And(hn::Sub(hn::BitCast(di, y), hn::Set(di, kHalf - kNear)), hn::Set(di, kBelowFloat));
    const auto decided = hn::And(hn::RebindMask(dd, fromHalf > hn::Set(di, 2 * kNear)),
                                 hn::And(qd >= hn::Set(dd, FLT_MIN), qd <= hn::Set(dd, FLT_MAX)));
    if (hn::AllTrue(dd, decided))
        return hn::DemoteTo(DF(), y);
    return hn::DemoteTo(DF(), hn::IfThenElse(decided, y, hn::Div(hn::Set(dd, 1.0), hn::Sqrt(qd))));
#endif
}

// As LM_Trunc32: toward zero, saturating, NaN to 0 (unless f is known not to be NaN).
template <bool kNeverNaN = false> HWY_INLINE VI TruncToInt(VF f) {
    const DI di;
    if constexpr (kNeverNaN)
        return hn::ConvertTo(di, f);
    return hn::IfThenElseZero(hn::RebindMask(di, f == f), hn::ConvertTo(di, f));
}

HWY_INLINE VF Splat(float v) {
    return hn::Set(DF(), v);
}

// As LM_SpreadFactor: the index truncated, then kept inside the filled entries.
HWY_INLINE VF Spread(const LM_row_light& l, VF cosA) {
    const VF f = hn::Mul(hn::Sub(cosA, Splat(l.base)), Splat(l.scale));
    const VF inside = hn::Min(hn::IfThenElseZero(f >= hn::Zero(DF()), f), Splat(float(l.last)));
    return hn::GatherIndex(DF(), l.spread, hn::ConvertTo(DI(), inside));
}

struct Sums {
    VI red, green, blue;
};

HWY_INLINE Sums Zeros() {
    const VI z = hn::Zero(DI());
    return {z, z, z};
}

template <bool kNeverNaN = false> HWY_INLINE void AddTerms(Sums& s, const LM_row_light& l, VF factor) {
    s.red = hn::Add(s.red, TruncToInt<kNeverNaN>(hn::Mul(Splat(l.red), factor)));
    s.green = hn::Add(s.green, TruncToInt<kNeverNaN>(hn::Mul(Splat(l.green), factor)));
    s.blue = hn::Add(s.blue, TruncToInt<kNeverNaN>(hn::Mul(Splat(l.blue), factor)));
}

HWY_INLINE void AddConstantTerms(Sums& s, const LM_sint32* terms) {
    const DI di;
    s.red = hn::Add(s.red, hn::Set(di, terms[0]));
    s.green = hn::Add(s.green, hn::Set(di, terms[1]));
    s.blue = hn::Add(s.blue, hn::Set(di, terms[2]));
}

// Applies add to sums kept as LM_color96, the fourth word untouched.
template <typename Add> HWY_INLINE void UpdateSums(LM_color96* sums, Add add) {
    const DI di;
    Sums s;
    VI unused;
    hn::LoadInterleaved4(di, &sums->red, s.red, s.green, s.blue, unused);
    add(s);
    hn::StoreInterleaved4(s.red, s.green, s.blue, unused, di, &sums->red);
}

struct Factors {
    VF diffuse, specular;
};

// A vector of a flat surface's positions.
struct Flat {
    VF x, y;
    bool finite;

    explicit Flat(const LM_vector2f* positions) {
        const DF df;
        hn::LoadInterleaved2(df, &positions->x, x, y);
        finite = hn::AllTrue(df, hn::And(hn::IsFinite(x), hn::IsFinite(y)));
    }
};

// The factors of LM_ShadeLight for a point light that lights the flat surface; zero outside the cone.
HWY_INLINE Factors FlatFactors(const LM_row_light& l, const Flat& p) {
    const float lz = l.oz;
    const VF lx = hn::Sub(Splat(l.ox), p.x);
    const VF ly = hn::Sub(Splat(l.oy), p.y);
    const VF inv = InverseRoot(hn::Add(hn::Add(hn::Mul(lx, lx), hn::Mul(ly, ly)), Splat(lz * lz)));
    if (l.type == lightTypeOmni)
        return {hn::Mul(Splat(lz), inv), hn::Mul(Splat(lz * lz), inv)};
    const VF dot = hn::Add(hn::Add(hn::Mul(Splat(l.dx), lx), hn::Mul(Splat(l.dy), ly)), Splat(l.dz * lz));
    const VF cosA = hn::Mul(hn::Neg(dot), inv);
    const MF lit = hn::Not(cosA <= Splat(l.cutoff));
    const VF k = Spread(l, cosA);
    return {hn::IfThenElseZero(lit, hn::Mul(hn::Mul(Splat(lz), k), inv)),
            hn::IfThenElseZero(lit, hn::Mul(hn::Mul(Splat(lz * lz), inv), k))};
}

// A light that lights the flat surface added to its sums; a directional light adds the same everywhere.
HWY_INLINE void AddFlatTerms(Sums& d, Sums& s, const LM_row_light& l, const Flat& p) {
    if (l.type == lightTypeDirectional) {
        AddConstantTerms(d, l.flatDiffuse);
        AddConstantTerms(s, l.flatSpecular);
        return;
    }
    const Factors f = FlatFactors(l, p);
    if (l.tame && p.finite) {
        AddTerms<true>(d, l, f.diffuse);
        AddTerms<true>(s, l, f.specular);
    } else {
        AddTerms(d, l, f.diffuse);
        AddTerms(s, l, f.specular);
    }
}

void ShadeLightRow(const LM_row_light& light, LM_uint32 n, const LM_vector2f* positions, LM_color96* diffuse,
                   LM_color96* specular) {
    if (!light.flatLit)
        return;
    OverRow(
        n,
        [&](const LM_vector2f* p, LM_color96* d, LM_color96* s) {
            UpdateSums(
                d, [&](Sums& sd) { UpdateSums(s, [&](Sums& ss) { AddFlatTerms(sd, ss, light, Flat(p)); }); });
        },
        positions, diffuse, specular);
}

bool LightsRelief(const LM_row_light& l) {
    return l.type == lightTypeOmni || l.type == lightTypeDirectional || l.type == lightTypeSpot;
}

// A vector of samples' normals with the light-independent parts of the mirror rule.
struct Relief {
    VF nx, ny, nz, t, tz;

    explicit Relief(const LM_vector3f* normals) {
        const DD dd;
        hn::LoadInterleaved3(DF(), &normals->x, nx, ny, nz);
        t = hn::Add(nz, nz);
        tz = hn::DemoteTo(DF(),
                          hn::Sub(hn::Mul(hn::PromoteTo(dd, t), hn::PromoteTo(dd, nz)), hn::Set(dd, 1.0)));
    }
};

// The factors of LM_ShadeLightBumps for a light that lights reliefs; zero where a sample is unlit.
HWY_INLINE Factors ReliefFactors(const LM_row_light& l, const LM_vector2f* positions, const Relief& n) {
    const DF df;
    const bool directional = l.type == lightTypeDirectional;
    const bool spot = l.type == lightTypeSpot;
    const float z = directional ? l.dz : l.oz;
    VF lx = Splat(l.dx), ly = Splat(l.dy), inv = Splat(l.inverseLength);
    const VF lz = Splat(z);
    if (!directional) {
        VF px, py;
        hn::LoadInterleaved2(df, &positions->x, px, py);
        lx = hn::Sub(Splat(l.ox), px);
        ly = hn::Sub(Splat(l.oy), py);
        inv = InverseRoot(hn::Add(hn::Add(hn::Mul(lx, lx), hn::Mul(ly, ly)), Splat(z * z)));
    }
    MF lit = hn::FirstN(df, hn::Lanes(df));
    VF k = Splat(1.0f);
    if (spot) {
        const VF dot =
            hn::Add(hn::Add(hn::Mul(Splat(l.dx), lx), hn::Mul(Splat(l.dy), ly)), hn::Mul(Splat(l.dz), lz));
        const VF cosA = hn::Mul(hn::Neg(dot), inv);
        lit = cosA > Splat(l.cutoff);
        k = Spread(l, cosA);
    }
    const VF dn = hn::Add(hn::Add(hn::Mul(n.nx, lx), hn::Mul(n.ny, ly)), hn::Mul(n.nz, lz));
    const MF facing = hn::And(lit, dn > hn::Zero(df));
    const VF fd = spot ? hn::Mul(hn::Mul(dn, k), inv) : hn::Mul(dn, inv);
    const VF rz =
        hn::Add(hn::Add(hn::Mul(hn::Mul(n.t, n.nx), lx), hn::Mul(hn::Mul(n.t, n.ny), ly)), hn::Mul(n.tz, lz));
    const VF rr = hn::Mul(hn::Mul(rz, rz), inv);
    const VF fs = spot ? hn::Mul(rr, k) : rr;
    return {hn::IfThenElseZero(facing, fd), hn::IfThenElseZero(hn::And(facing, rz > hn::Zero(df)), fs)};
}

void ShadeLightBumpsRow(const LM_row_light& light, LM_uint32 n, const LM_vector2f* positions,
                        const LM_vector3f* normals, LM_color96* diffuse, LM_color96* specular) {
    if (!LightsRelief(light))
        return;
    OverRow(
        n,
        [&](const LM_vector2f* p, const LM_vector3f* nrm, LM_color96* d, LM_color96* s) {
            const Factors f = ReliefFactors(light, p, Relief(nrm));
            UpdateSums(d, [&](Sums& sd) { AddTerms(sd, light, f.diffuse); });
            UpdateSums(s, [&](Sums& ss) { AddTerms(ss, light, f.specular); });
        },
        positions, normals, diffuse, specular);
}

void InverseRootRow(LM_uint32 n, const float* q, float* out) {
    OverRow(
        n, [](const float* in, float* o) { hn::StoreU(InverseRoot(hn::LoadU(DF(), in)), DF(), o); }, q, out);
}

void BumpNormalsRow(LM_uint32 n, const LM_sint32* gx, const LM_sint32* gy, LM_vector3f* normals) {
    OverRow(
        n,
        [&](const LM_sint32* x, const LM_sint32* y, LM_vector3f* out) {
            const DF df;
            const DD dd;
            const DI di;
            const VI ix = hn::LoadU(di, x), iy = hn::LoadU(di, y);
            const VF fx = hn::ConvertTo(df, ix), fy = hn::ConvertTo(df, iy);
            // Below 2^25 the squares and their sum are exact in double, as in 64-bit integers.
            const VF limit = Splat(33554432.0f);
            if (!hn::AllTrue(df, hn::And(hn::Abs(fx) < limit, hn::Abs(fy) < limit))) {
                for (std::size_t i = 0; i < hn::Lanes(df); ++i)
                    out[i] = LM_BumpNormal(x[i], y[i]);
                return;
            }
            const auto dx = hn::PromoteTo(dd, ix), dy = hn::PromoteTo(dd, iy);
            const VF q = hn::DemoteTo(df, hn::Add(hn::Mul(dx, dx), hn::Mul(dy, dy)));
            const VF inv =
                InverseRoot(hn::Add(q, Splat(LM_BUMP_DEFAULT_NORMAL_Z * LM_BUMP_DEFAULT_NORMAL_Z)));
            const MF flat = hn::RebindMask(df, hn::And(ix == hn::Zero(di), iy == hn::Zero(di)));
            const VF nx = hn::IfThenZeroElse(flat, hn::Mul(hn::Neg(fx), inv));
            const VF ny = hn::IfThenZeroElse(flat, hn::Mul(fy, inv));
            const VF nz = hn::IfThenElse(flat, Splat(1.0f), hn::Mul(Splat(LM_BUMP_DEFAULT_NORMAL_Z), inv));
            hn::StoreInterleaved3(nx, ny, nz, df, &out->x);
        },
        gx, gy, normals);
}

// A quad's gradient, as LM_GeneratePreviewBumpSample forms it: wrapping differences, halved.
struct QuadGradient {
    hn::Vec<hn::ScalableTag<int32_t>> x, y;
};

HWY_INLINE QuadGradient Quad(hn::Vec<hn::ScalableTag<uint32_t>> a, hn::Vec<hn::ScalableTag<uint32_t>> b,
                             hn::Vec<hn::ScalableTag<uint32_t>> c, hn::Vec<hn::ScalableTag<uint32_t>> d) {
    const hn::ScalableTag<int32_t> ds;
    const auto dd = hn::Sub(c, a), de = hn::Sub(b, d);
    return {hn::ShiftRight<1>(hn::BitCast(ds, hn::Add(de, dd))),
            hn::ShiftRight<1>(hn::BitCast(ds, hn::Sub(de, dd)))};
}

// One vector of pixels from three map rows (each the pixels' left neighbours onward), four entries a
// pixel out.
HWY_INLINE void ReliefQuads(const LM_sint32* r0, const LM_sint32* r1, const LM_sint32* r2, LM_sint32* gx,
                            LM_sint32* gy, LM_sint32* weights) {
    const hn::ScalableTag<int32_t> ds;
    const hn::ScalableTag<uint32_t> du;
    const auto at = [&](const LM_sint32* r, int c) { return hn::BitCast(du, hn::LoadU(ds, r + c)); };
    const auto h00 = at(r0, 0), h01 = at(r0, 1), h02 = at(r0, 2);
    const auto h10 = at(r1, 0), h11 = at(r1, 1), h12 = at(r1, 2);
    const auto h20 = at(r2, 0), h21 = at(r2, 1), h22 = at(r2, 2);
    const QuadGradient q[4] = {Quad(h00, h01, h11, h10), Quad(h01, h02, h12, h11), Quad(h11, h12, h22, h21),
                               Quad(h10, h11, h21, h20)};
    // Flat quads as -1: their count gives the merged weight, the first of them carries it.
    hn::Vec<decltype(ds)> flat[4], flats = hn::Zero(ds);
    for (int j = 0; j < 4; ++j) {
        flat[j] = hn::VecFromMask(ds, hn::Or(q[j].x, q[j].y) == hn::Zero(ds));
        flats = hn::Sub(flats, flat[j]);
    }
    const auto merged = hn::ShiftLeft<2>(flats), four = hn::Set(ds, 4);
    hn::Vec<decltype(ds)> w[4], before = hn::Zero(ds);
    for (int j = 0; j < 4; ++j) {
        w[j] = hn::IfThenElse(hn::MaskFromVec(flat[j]), hn::AndNot(before, merged), four);
        before = hn::Or(before, flat[j]);
    }
    hn::StoreInterleaved4(q[0].x, q[1].x, q[2].x, q[3].x, ds, gx);
    hn::StoreInterleaved4(q[0].y, q[1].y, q[2].y, q[3].y, ds, gy);
    hn::StoreInterleaved4(w[0], w[1], w[2], w[3], ds, weights);
}

void ReliefQuadsRow(const LM_sint32* heights, LM_uint32 rowLength, LM_uint32 pixels, LM_sint32* gx,
                    LM_sint32* gy, LM_sint32* weights) {
    const std::size_t lanes = hn::Lanes(hn::ScalableTag<int32_t>());
    const LM_sint32 *r0 = heights, *r1 = r0 + rowLength, *r2 = r1 + rowLength;
    std::size_t k = 0;
    for (; k + lanes <= pixels; k += lanes)
        ReliefQuads(r0 + k, r1 + k, r2 + k, gx + 4 * k, gy + 4 * k, weights + 4 * k);
    if (k == pixels)
        return;
    // The last pixels: their heights (two more than pixels a row) and quads through copies.
    constexpr std::size_t kMax = HWY_MAX_BYTES / sizeof(int32_t);
    LM_sint32 rows[3][kMax + 2]{}, x[4 * kMax], y[4 * kMax], w[4 * kMax];
    const std::size_t left = pixels - k;
    std::copy_n(r0 + k, left + 2, rows[0]);
    std::copy_n(r1 + k, left + 2, rows[1]);
    std::copy_n(r2 + k, left + 2, rows[2]);
    ReliefQuads(rows[0], rows[1], rows[2], x, y, w);
    std::copy_n(x, 4 * left, gx + 4 * k);
    std::copy_n(y, 4 * left, gy + 4 * k);
    std::copy_n(w, 4 * left, weights + 4 * k);
}

// One vector of pixels: each quad's sample read as four bytes, red and blue weighted in one product
// (each at most 16 x 255, so neither reaches the other's half), green in another.
HWY_INLINE void AverageQuads(const LM_rgb8* shaded, const LM_sint32* samples, const LM_sint32* weights,
                             LM_rgb8* result) {
    const hn::ScalableTag<int32_t> ds;
    const hn::Rebind<uint8_t, decltype(ds)> d8;
    hn::Vec<decltype(ds)> s[4], w[4];
    hn::LoadInterleaved4(ds, samples, s[0], s[1], s[2], s[3]);
    hn::LoadInterleaved4(ds, weights, w[0], w[1], w[2], w[3]);
    static_assert(std::endian::native == std::endian::little, "red is the low byte");
    const auto* base = reinterpret_cast<const int32_t*>(shaded);
    const auto byte = hn::Set(ds, 0xFF), redBlue = hn::Set(ds, 0xFF00FF);
    auto rb = hn::Zero(ds), g = hn::Zero(ds);
    for (int j = 0; j < 4; ++j) {
        const auto v = hn::GatherOffset(ds, base, hn::Add(hn::Add(s[j], s[j]), s[j]));
        rb = hn::Add(rb, hn::Mul(hn::And(v, redBlue), w[j]));
        g = hn::Add(g, hn::Mul(hn::And(hn::ShiftRight<8>(v), byte), w[j]));
    }
    const auto out = [&](hn::Vec<decltype(ds)> sum) {
        return hn::DemoteTo(d8, hn::And(hn::ShiftRight<4>(sum), byte));
    };
    hn::StoreInterleaved3(out(rb), out(g), out(hn::ShiftRight<16>(rb)), d8, &result->red);
}

void AverageQuadsRow(LM_uint32 pixels, const LM_rgb8* shaded, const LM_sint32* samples,
                     const LM_sint32* weights, LM_rgb8* result) {
    const std::size_t lanes = hn::Lanes(hn::ScalableTag<int32_t>());
    std::size_t k = 0;
    for (; k + lanes <= pixels; k += lanes)
        AverageQuads(shaded, samples + 4 * k, weights + 4 * k, result + k);
    if (k == pixels)
        return;
    constexpr std::size_t kMax = HWY_MAX_BYTES / sizeof(int32_t);
    LM_sint32 s[4 * kMax]{}, w[4 * kMax]{};
    LM_rgb8 out[kMax];
    const std::size_t left = pixels - k;
    std::copy_n(samples + 4 * k, 4 * left, s);
    std::copy_n(weights + 4 * k, 4 * left, w);
    AverageQuads(shaded, s, w, out);
    std::copy_n(out, left, result + k);
}

// The surface settings of LM_CombineRow.
struct Surface {
    VI ambient[3];
    LM_sint32 material;
    VI m, gloss, gloss255, exposure, metalWhite;

    explicit Surface(const foo* block) : material(block->material) {
        const DI di;
        for (int c = 0; c < 3; ++c)
            ambient[c] = hn::Set(di, block->ambient[c]);
        const LM_sint32 g = block->gloss;
        m = hn::Set(di, material);
        gloss = hn::Set(di, g);
        gloss255 = hn::Set(di, LM_WrapMul(g, 255));
        exposure = hn::Set(di, block->exposure);
        metalWhite = hn::Set(di, 255 * (256 - material)); // used only for 0 < material < 256
    }

    // One channel's total, as LM_CombineRow's `total`.
    HWY_INLINE VI Total(int c, VI d, VI s, VI p) const {
        const VI lit = hn::Add(d, ambient[c]);
        const VI highlight = hn::ShiftRight<8>(s);
        if (material <= 0)
            return hn::Add(hn::Mul(lit, p), hn::Mul(highlight, gloss255));
        if (material >= 256)
            return hn::Mul(hn::Add(lit, hn::Mul(highlight, gloss)), p);
        const VI weight = hn::ShiftRight<8>(hn::Add(hn::Mul(p, m), metalWhite));
        return hn::Add(hn::Mul(lit, p), hn::Mul(hn::Mul(highlight, gloss), weight));
    }

    HWY_INLINE hn::Vec<D8> Byte(VI total) const {
        const DI di;
        const VI v = hn::ShiftRight<15>(hn::Mul(hn::ShiftRight<8>(total), exposure));
        return hn::DemoteTo(D8(), hn::Min(hn::Max(v, hn::Zero(di)), hn::Set(di, 255)));
    }

    HWY_INLINE void Combine(const Sums& d, const Sums& s, const LM_rgb8* colors, LM_rgb8* result) const {
        const D8 d8;
        const DI di;
        hn::Vec<D8> r, g, b;
        hn::LoadInterleaved3(d8, reinterpret_cast<const uint8_t*>(colors), r, g, b);
        r = Byte(Total(0, d.red, s.red, hn::PromoteTo(di, r)));
        g = Byte(Total(1, d.green, s.green, hn::PromoteTo(di, g)));
        b = Byte(Total(2, d.blue, s.blue, hn::PromoteTo(di, b)));
        hn::StoreInterleaved3(r, g, b, d8, reinterpret_cast<uint8_t*>(result));
    }
};

HWY_INLINE Sums LoadSums(const LM_color96* sums) {
    Sums s;
    VI unused;
    hn::LoadInterleaved4(DI(), &sums->red, s.red, s.green, s.blue, unused);
    return s;
}

void CombineRow(const foo* block, LM_uint32 n, const LM_color96* diffuse, const LM_color96* specular,
                const LM_rgb8* colors, LM_rgb8* result) {
    const Surface surface(block);
    OverRow(
        n,
        [&](const LM_color96* d, const LM_color96* s, const LM_rgb8* c, LM_rgb8* out) {
            surface.Combine(LoadSums(d), LoadSums(s), c, out);
        },
        diffuse, specular, colors, result);
}

void ShadeRowAllLights(const foo* block, const LM_row_lights& lights, LM_uint32 n,
                       const LM_vector2f* positions, const LM_rgb8* colors, LM_rgb8* result) {
    const Surface surface(block);
    OverRow(
        n,
        [&](const LM_vector2f* p, const LM_rgb8* c, LM_rgb8* out) {
            const Flat flat(p);
            Sums d = Zeros(), s = Zeros();
            for (int i = 0; i < lights.count; ++i) {
                const LM_row_light& l = lights.lights[i];
                if (l.flatLit)
                    AddFlatTerms(d, s, l, flat);
            }
            surface.Combine(d, s, c, out);
        },
        positions, colors, result);
}

void ShadeBumpsAllLights(const foo* block, const LM_row_lights& lights, LM_uint32 n,
                         const LM_vector2f* positions, const LM_vector3f* normals, const LM_rgb8* colors,
                         LM_rgb8* result) {
    const Surface surface(block);
    OverRow(
        n,
        [&](const LM_vector2f* p, const LM_vector3f* nrm, const LM_rgb8* c, LM_rgb8* out) {
            const Relief relief(nrm);
            Sums d = Zeros(), s = Zeros();
            for (int i = 0; i < lights.count; ++i) {
                const LM_row_light& l = lights.lights[i];
                if (!LightsRelief(l))
                    continue;
                const Factors f = ReliefFactors(l, p, relief);
                AddTerms(d, l, f.diffuse);
                AddTerms(s, l, f.specular);
            }
            surface.Combine(d, s, c, out);
        },
        positions, normals, colors, result);
}

} // namespace HWY_NAMESPACE
} // namespace lm_rows
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace lm_rows {
HWY_EXPORT(ShadeLightRow);
HWY_EXPORT(ShadeLightBumpsRow);
HWY_EXPORT(CombineRow);
HWY_EXPORT(BumpNormalsRow);
HWY_EXPORT(ReliefQuadsRow);
HWY_EXPORT(AverageQuadsRow);
HWY_EXPORT(InverseRootRow);
HWY_EXPORT(ShadeRowAllLights);
HWY_EXPORT(ShadeBumpsAllLights);
} // namespace lm_rows

namespace {

// Whether a point light's factors on a flat surface are finite at every finite position, so that no
// radiance x factor is NaN: q >= lz^2 >= 2^-120 keeps the inverse root at most 2^60, and lz and the
// spread entries at most 2^20 keep every factor below 2^120. Positions far from the origin only make
// q infinite and the factors 0.
bool tameOnFlat(const LM_row_light& l) {
    if (!std::isfinite(l.ox) || !std::isfinite(l.oy) || !(l.oz >= 0x1p-60f && l.oz <= 0x1p20f))
        return false;
    return l.type != lightTypeSpot ||
           std::all_of(l.spread, l.spread + l.last + 1, [](float k) { return std::fabs(k) <= 0x1p20f; });
}

} // namespace

void LM_PrepareRowLights(const foo* block, LM_row_lights& out) {
    out.count = std::min<int>(block->lightCount, LM_MAX_LIGHTS);
    for (int i = 0; i < out.count; ++i) {
        const LM_light& in = block->lights[i];
        LM_row_light& l = out.lights[i];
        l.type = in.type;
        const LM_radiance r = LM_RadianceOf(in);
        l.red = r.red, l.green = r.green, l.blue = r.blue;
        l.ox = in.origin[0], l.oy = in.origin[1], l.oz = in.origin[2];
        l.dx = in.direction[0], l.dy = in.direction[1], l.dz = in.direction[2];
        l.cutoff = in.cutoff, l.base = in.spreadBase, l.scale = in.spreadScale;
        l.last = LM_SpreadLastEntry(l.scale);
        l.inverseLength = LM_InverseLength(l.dx, l.dy, l.dz);
        const bool known =
            l.type == lightTypeOmni || l.type == lightTypeDirectional || l.type == lightTypeSpot;
        const float height = l.type == lightTypeDirectional ? l.dz : l.oz;
        l.flatLit = known && double(height) > 0;
        const float rgb[3] = {l.red, l.green, l.blue};
        for (int c = 0; c < 3; ++c) {
            l.flatDiffuse[c] = LM_Trunc32(rgb[c] * (l.dz * l.inverseLength));
            l.flatSpecular[c] = LM_Trunc32(rgb[c] * ((l.dz * l.dz) * l.inverseLength));
        }
        if (l.type == lightTypeSpot)
            for (int e = 0; e <= l.last; ++e)
                l.spread[e] = in.spreadTable[e];
        l.tame = tameOnFlat(l);
    }
}

void LM_ShadeLightRow(const LM_row_light& light, LM_uint32 n, const LM_vector2f* positions,
                      LM_color96* diffuse, LM_color96* specular) {
    HWY_DYNAMIC_DISPATCH(lm_rows::ShadeLightRow)(light, n, positions, diffuse, specular);
}

void LM_ShadeLightBumpsRow(const LM_row_light& light, LM_uint32 n, const LM_vector2f* positions,
                           const LM_vector3f* normals, LM_color96* diffuse, LM_color96* specular) {
    HWY_DYNAMIC_DISPATCH(lm_rows::ShadeLightBumpsRow)(light, n, positions, normals, diffuse, specular);
}

void LM_BumpNormalsRow(LM_uint32 n, const LM_sint32* gx, const LM_sint32* gy, LM_vector3f* normals) {
    HWY_DYNAMIC_DISPATCH(lm_rows::BumpNormalsRow)(n, gx, gy, normals);
}

void LM_ReliefQuadsRow(const LM_sint32* heights, LM_uint32 rowLength, LM_uint32 pixels, LM_sint32* gx,
                       LM_sint32* gy, LM_sint32* weights) {
    HWY_DYNAMIC_DISPATCH(lm_rows::ReliefQuadsRow)(heights, rowLength, pixels, gx, gy, weights);
}

void LM_AverageQuadsRow(LM_uint32 pixels, const LM_rgb8* shaded, const LM_sint32* samples,
                        const LM_sint32* weights, LM_rgb8* result) {
    HWY_DYNAMIC_DISPATCH(lm_rows::AverageQuadsRow)(pixels, shaded, samples, weights, result);
}

void LM_InverseRootRow(LM_uint32 n, const float* q, float* out) {
    HWY_DYNAMIC_DISPATCH(lm_rows::InverseRootRow)(n, q, out);
}

void LM_CombineRowFast(const foo* block, LM_uint32 n, const LM_color96* diffuse, const LM_color96* specular,
                       const LM_rgb8* colors, LM_rgb8* result) {
    HWY_DYNAMIC_DISPATCH(lm_rows::CombineRow)(block, n, diffuse, specular, colors, result);
}

void LM_ShadeRowAllLights(const foo* block, const LM_row_lights& lights, LM_uint32 n,
                          const LM_vector2f* positions, const LM_rgb8* colors, LM_rgb8* result) {
    HWY_DYNAMIC_DISPATCH(lm_rows::ShadeRowAllLights)(block, lights, n, positions, colors, result);
}

void LM_ShadeBumpsAllLights(const foo* block, const LM_row_lights& lights, LM_uint32 n,
                            const LM_vector2f* positions, const LM_vector3f* normals, const LM_rgb8* colors,
                            LM_rgb8* result) {
    HWY_DYNAMIC_DISPATCH(lm_rows::ShadeBumpsAllLights)(block, lights, n, positions, normals, colors, result);
}
#endif
