#include "CodecThread.h"

#include "Interrupt.h"

#include <algorithm>

namespace {

// Rows decoded between two reports to the filter's side: small enough that the first tile row
// starts early, large enough that the lock is rare.
constexpr int kBandRows = 16;

} // namespace

CodecThread::CodecThread(std::unique_ptr<RowReader> image, Document& document)
    : image_(std::move(image)), width_(document.width), height_(document.height),
      targets_(SourceTargets(document, *image_)), planes_{document.result[0].data(),
                                                          document.result[1].data(),
                                                          document.result[2].data(),
                                                          document.source.alpha
                                                              ? document.channels[3].bytes.data()
                                                              : nullptr},
      source_(document.source), sourceMetadata_(document.metadata),
      decoder_([this] { guarded(&CodecThread::decode); }),
      encoder_([this] { guarded(&CodecThread::encodeAll); }) {}

CodecThread::~CodecThread() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    decoder_.join();
    encoder_.join();
}

// The first error of either thread is the run's.
void CodecThread::guarded(void (CodecThread::*work)()) {
    try {
        (this->*work)();
    } catch (...) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!error_)
            error_ = std::current_exception();
    }
    changed_.notify_all();
}

void CodecThread::encodeAll() {
    if (!encode())
        return;
    std::lock_guard<std::mutex> lock(mutex_);
    encoded_ = true;
}

void CodecThread::decode() {
    const int samples = image_->SamplesPerPixel();
    const std::size_t stride = std::size_t(width_) * std::size_t(samples);
    std::vector<std::uint8_t> band(stride * kBandRows);
    for (int y = 0; y < height_; y += kBandRows) {
        const int count = std::min(kBandRows, height_ - y);
        image_->ReadRows(band.data(), count);
        for (int r = 0; r < count; ++r)
            SplitRow(band.data() + std::size_t(r) * stride, samples, width_, y + r, targets_);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (stopping_)
                return;
            decoded_ = y + count;
        }
        changed_.notify_all();
    }
    image_.reset();
}

// False when the run stopped before every row was written. A restart, asked for when the filter
// rewrites a row already sent, empties the file and begins again with the rows finished since.
bool CodecThread::encode() {
    {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return stopping_ || output_; });
        if (stopping_)
            return false;
    }
    std::vector<std::uint8_t> row(layout_.RowBytes(width_));
    for (;;) {
        std::unique_ptr<RowWriter> writer = StartImage(output_->Stream(), format_, layout_, metadata_, width_,
                                                       height_, quality_, output_->Target());
        int y = 0;
        while (y < height_) {
            const int until = awaitFinished(y);
            if (until <= y)
                break;
            for (; y < until; ++y) {
                InterleaveRow(planes_, layout_, width_, y, row.data());
                writer->WriteRow(row.data());
            }
        }
        if (y == height_ && awaitClosing()) {
            writer->Finish();
            return true;
        }
        writer.reset();
        std::lock_guard<std::mutex> lock(mutex_);
        if (stopping_)
            return false;
        output_->Rewind();
        restarting_ = false;
        changed_.notify_all();
    }
}

// The rows finished and decoded once there are more than `row`; `row` or fewer when the run stops
// or the output restarts. Rows outside the area are finished before they are decoded: decoding
// puts the source into the result.
int CodecThread::awaitFinished(int row) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return stopping_ || restarting_ || std::min(finished_, decoded_) > row; });
    return stopping_ || restarting_ ? row : std::min(finished_, decoded_);
}

// True once the run is over and every row sent stands; false when it stops or restarts first.
bool CodecThread::awaitClosing() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return stopping_ || restarting_ || closing_; });
    return !stopping_ && !restarting_;
}

void CodecThread::AwaitRows(int rows) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return decoded_ >= rows || error_; });
    if (decoded_ < rows)
        std::rethrow_exception(error_);
}

void CodecThread::PlanOutput(const std::string& target, ImageFormat format, int quality, const Rect& area) {
    area_ = area;
    written_.assign(std::size_t(std::max(0, area.bottom - area.top)), 0);
    planned_ = Plan{target, format, quality};
}

void CodecThread::openOutput() {
    if (!planned_)
        return;
    auto output = std::make_unique<AtomicOutput>(planned_->target);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        output_ = std::move(output);
        format_ = planned_->format;
        layout_ = LayoutFor(planned_->format, source_);
        metadata_ = MetadataFor(planned_->format, sourceMetadata_);
        quality_ = planned_->quality;
    }
    planned_.reset();
    changed_.notify_all();
    publishFinished(area_.top);
}

void CodecThread::Writing(const Rect& rect) {
    openOutput();
    if (!streaming_ || rect.right <= rect.left || rect.bottom <= rect.top ||
        std::max<int>(rect.top, 0) >= frontier_)
        return;
    // Rows may be in the file already: from now on the result goes out whole at the end.
    streaming_ = false;
    frontier_ = 0;
    std::unique_lock<std::mutex> lock(mutex_);
    finished_ = 0;
    restarting_ = true;
    changed_.notify_all();
    changed_.wait(lock, [this] { return !restarting_ || error_; });
}

void CodecThread::Written(const Rect& rect) {
    const int left = std::max(rect.left, area_.left);
    const int right = std::min(rect.right, area_.right);
    const int top = std::max(rect.top, area_.top);
    const int bottom = std::min(rect.bottom, area_.bottom);
    if (!streaming_ || left >= right || top >= bottom)
        return;
    const int areaWidth = area_.right - area_.left;
    for (int y = top; y < bottom; ++y)
        written_[std::size_t(y - area_.top)] += right - left;
    int frontier = frontier_;
    while (frontier < area_.bottom && written_[std::size_t(frontier - area_.top)] >= areaWidth)
        ++frontier;
    publishFinished(frontier == area_.bottom ? height_ : frontier);
}

void CodecThread::publishFinished(int rows) {
    frontier_ = rows;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        finished_ = rows;
    }
    changed_.notify_all();
}

void CodecThread::Finish() {
    openOutput();
    frontier_ = height_;
    {
        std::unique_lock<std::mutex> lock(mutex_);
        finished_ = height_;
        closing_ = true;
        changed_.notify_all();
        changed_.wait(lock, [this] { return encoded_ || error_; });
        if (error_)
            std::rethrow_exception(error_);
    }
    StopIfInterrupted(output_->Target());
    output_->Commit();
}
