// The image codec work of one run, on two threads of its own so that decoding, encoding and the
// filter, which stays on the main thread, overlap. The source rows are decoded into the document
// ahead of the tiles that need them; result rows are encoded as soon as the filter has finished
// them and they are decoded.
//
// A result row is finished when every pixel of it inside the filtered area has been handed back
// once (rows outside the area are finished from the start); at the end every row is. A filter that
// hands back a row a second time (the dialog's preview walk does) makes the output start over and
// wait for the end.
#pragma once

#include "AtomicOutput.h"
#include "Document.h"
#include "ImageIO.h"
#include "Types.h"

#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

class CodecThread {
  public:
    // Starts decoding `image` into `document`, which BlankDocument made from it. The codec threads
    // touch only the planes that exist now: channels may be added to the document meanwhile.
    CodecThread(std::unique_ptr<RowReader> image, Document& document);
    // Stops the threads; an output not yet committed is removed.
    ~CodecThread();
    CodecThread(const CodecThread&) = delete;
    CodecThread& operator=(const CodecThread&) = delete;

    // Blocks until source rows [0, rows) are decoded; throws what stopped the decoder before.
    void AwaitRows(int rows);
    // Names the output: the result goes to `target` in `format` as its rows are finished, counted
    // in the filtered `area`. Its temporary file is made only when the first result pixels come
    // (a dialog cancelled leaves none behind).
    void PlanOutput(const std::string& target, ImageFormat format, int quality, const Rect& area);
    // Before the filter's result pixels of `rect` are stored: opens the output at the first call
    // (throws HostError when the file cannot be created); when they cover rows that may have been
    // sent, waits until the encoder has let go of them and starts the output over.
    void Writing(const Rect& rect);
    // After they are stored: counts them towards finished rows.
    void Written(const Rect& rect);
    // Every row is final: waits for the encoder, then puts the output in place. Throws what
    // stopped the decoder or encoder, or a cancel after Ctrl-C.
    void Finish();

  private:
    void guarded(void (CodecThread::*work)());
    void decode();
    void encodeAll();
    bool encode();
    int awaitFinished(int row);
    bool awaitClosing();
    void publishFinished(int rows);
    void openOutput();

    // Fixed before the threads start.
    std::unique_ptr<RowReader> image_;
    const int width_;
    const int height_;
    std::vector<RowTarget> targets_;
    const std::uint8_t* planes_[4]; // the result's red, green, blue; the source's alpha or null
    const RowLayout source_;
    const ImageMetadata sourceMetadata_;

    // Main thread only.
    Rect area_{};
    std::vector<int> written_; // per row of the area, the pixels handed back
    int frontier_ = 0;         // rows before it are finished
    bool streaming_ = true;    // rows go out as they are finished
    struct Plan {
        std::string target;
        ImageFormat format;
        int quality;
    };
    std::optional<Plan> planned_; // the output named but not yet opened

    // Shared, under mutex_.
    std::mutex mutex_;
    std::condition_variable changed_;
    int decoded_ = 0;
    int finished_ = 0;
    bool stopping_ = false;
    bool encoded_ = false;
    bool restarting_ = false; // the encoder is to empty the output and wait for the end
    bool closing_ = false;    // every row is final
    std::exception_ptr error_;
    std::unique_ptr<AtomicOutput> output_;
    ImageFormat format_ = ImageFormat::png;
    RowLayout layout_;
    ImageMetadata metadata_;
    int quality_ = 0;

    std::thread decoder_;
    std::thread encoder_;
};
