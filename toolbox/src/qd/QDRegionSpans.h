// The scan-line form behind a RgnHandle: horizontal bands, each with the sorted x inversion points of
// its spans. Coordinates are 32-bit so the wide-open clip region and offsets cannot overflow.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

struct Rect;

namespace qdraw {

struct Band {
    std::int32_t top;
    std::int32_t bottom;
    std::vector<std::int32_t> xs; // pairs [x0, x1), sorted, disjoint, not touching
    bool operator==(const Band&) const = default;
};

class Spans {
  public:
    Spans() = default;
    static Spans rect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom);
    static Spans fromRect(const Rect& r);

    bool empty() const { return bands_.empty(); }
    const std::vector<Band>& bands() const { return bands_; }
    bool contains(std::int32_t x, std::int32_t y) const;
    // Bounding box; all zero when empty.
    void bounds(std::int32_t* left, std::int32_t* top, std::int32_t* right, std::int32_t* bottom) const;
    bool isRect() const { return bands_.size() == 1 && bands_[0].xs.size() == 2; }
    void offset(std::int32_t dh, std::int32_t dv);
    bool operator==(const Spans&) const = default;

    static Spans unite(const Spans& a, const Spans& b);
    static Spans intersect(const Spans& a, const Spans& b);
    static Spans subtract(const Spans& a, const Spans& b);
    static Spans exclusiveOr(const Spans& a, const Spans& b);

    // Appends a band below the last one, merging it when it continues the last band unchanged.
    void appendBand(std::int32_t top, std::int32_t bottom, std::vector<std::int32_t> xs);

  private:
    template <class Op> static Spans combine(const Spans& a, const Spans& b, Op op);
    std::vector<Band> bands_;
};

// Collects spans row by row in any order and overlapping, then builds the region.
class SpanCollector {
  public:
    void addSpan(std::int32_t y, std::int32_t x0, std::int32_t x1);
    void addRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom);
    Spans finish() const;

  private:
    std::map<std::int32_t, std::vector<std::pair<std::int32_t, std::int32_t>>> rows_;
};

} // namespace qdraw
