#include "Upright.h"

#include <cstring>
#include <utility>
#include <vector>

namespace {

class UprightReader final : public RowReader {
  public:
    UprightReader(std::unique_ptr<RowReader> stored, int orientation)
        : stored_(std::move(stored)), transposed_(orientation >= 5),
          mirrorRows_(orientation == 2 || orientation == 3 || orientation == 7 || orientation == 8),
          mirrorColumns_(orientation == 3 || orientation == 4 || orientation == 6 || orientation == 7) {
        width_ = transposed_ ? stored_->Height() : stored_->Width();
        height_ = transposed_ ? stored_->Width() : stored_->Height();
        grey_ = stored_->Grey();
        alpha_ = stored_->Alpha();
        sixteen_ = stored_->Sixteen();
        metadata_ = stored_->Metadata();
    }

    void ReadRows(std::uint8_t* out, int count) override {
        readStored();
        const std::size_t samples = std::size_t(SamplesPerPixel());
        for (int r = 0; r < count; ++r, ++next_)
            for (int x = 0; x < width_; ++x)
                std::memcpy(out + (std::size_t(r) * std::size_t(width_) + std::size_t(x)) * samples,
                            pixels_.data() + storedIndex(x, next_) * samples, samples);
        if (next_ == height_)
            PlaneBytes().swap(pixels_);
    }

  private:
    void readStored() {
        if (next_ > 0 || !pixels_.empty())
            return;
        const std::size_t stride = std::size_t(stored_->Width()) * std::size_t(SamplesPerPixel());
        pixels_.resize(stride * std::size_t(stored_->Height()));
        stored_->ReadRows(pixels_.data(), stored_->Height());
    }

    // The stored pixel shown at (x, y).
    std::size_t storedIndex(int x, int y) const {
        const int w = stored_->Width(), h = stored_->Height();
        int u = transposed_ ? y : x;
        int v = transposed_ ? x : y;
        if (mirrorRows_)
            u = w - 1 - u;
        if (mirrorColumns_)
            v = h - 1 - v;
        return std::size_t(v) * std::size_t(w) + std::size_t(u);
    }

    std::unique_ptr<RowReader> stored_;
    const bool transposed_;
    const bool mirrorRows_;    // each stored row is read from its end
    const bool mirrorColumns_; // the stored rows are read from the last
    int next_ = 0;
    PlaneBytes pixels_;
};

} // namespace

std::unique_ptr<RowReader> ReadUpright(std::unique_ptr<RowReader> stored, int orientation) {
    return std::make_unique<UprightReader>(std::move(stored), orientation);
}
