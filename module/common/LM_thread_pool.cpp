#include "LM_thread_pool.h"

#include <algorithm>
#include <exception>

namespace {

// About 50 microseconds of waiting before a thread sleeps: longer than the host takes between
// two tiles, far shorter than a tile.
constexpr int kSpins = 2000;

std::atomic<int> requestedThreads{0};

void relax() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#else
    std::this_thread::yield();
#endif
}

std::uint32_t generationOf(std::uint64_t state) {
    return std::uint32_t(state >> 32);
}
int itemsOf(std::uint64_t state) {
    return int((state >> 16) & 0xFFFF);
}
int nextOf(std::uint64_t state) {
    return int(state & 0xFFFF);
}

} // namespace

int LM_ThreadCount() {
    const int requested = requestedThreads.load(std::memory_order_relaxed);
    if (requested > 0)
        return requested;
    return std::max(1, int(std::thread::hardware_concurrency()));
}

void LM_SetThreadCount(int threads) {
    requestedThreads.store(std::max(0, threads), std::memory_order_relaxed);
}

LM_thread_pool::LM_thread_pool(int threads) {
    for (int t = 1; t < threads; ++t) {
        try {
            helpers_.emplace_back([this, t] { Helper(t); });
        } catch (const std::exception&) {
            break;
        }
    }
}

LM_thread_pool::~LM_thread_pool() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    for (std::thread& helper : helpers_)
        helper.join();
}

void LM_thread_pool::Run(int items, void* job, Trampoline call) {
    items = std::clamp(items, 0, 0xFFFF);
    const std::uint32_t generation = generationOf(state_.load(std::memory_order_relaxed)) + 1;
    job_ = job;
    call_ = call;
    done_.store(0, std::memory_order_relaxed);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        state_.store(std::uint64_t(generation) << 32 | std::uint64_t(items) << 16, std::memory_order_release);
    }
    wake_.notify_all();
    Work(generation, 0);
    AwaitDone(items);
}

void LM_thread_pool::Work(std::uint32_t generation, int thread) {
    std::uint64_t state = state_.load(std::memory_order_acquire);
    while (generationOf(state) == generation && nextOf(state) < itemsOf(state)) {
        if (!state_.compare_exchange_weak(state, state + 1, std::memory_order_acq_rel,
                                          std::memory_order_acquire))
            continue;
        // The claimed item keeps the job alive: the caller waits for it before it publishes another.
        call_(job_, nextOf(state), thread);
        if (done_.fetch_add(1, std::memory_order_acq_rel) + 1 == itemsOf(state)) {
            std::lock_guard<std::mutex> lock(mutex_);
            finished_.notify_one();
        }
        state = state_.load(std::memory_order_acquire);
    }
}

void LM_thread_pool::AwaitDone(int items) {
    for (int spin = 0; spin < kSpins; ++spin) {
        if (done_.load(std::memory_order_acquire) == items)
            return;
        relax();
    }
    std::unique_lock<std::mutex> lock(mutex_);
    finished_.wait(lock, [&] { return done_.load(std::memory_order_acquire) == items; });
}

std::uint32_t LM_thread_pool::AwaitGeneration(std::uint32_t seen) {
    for (int spin = 0; spin < kSpins; ++spin) {
        const std::uint32_t generation = generationOf(state_.load(std::memory_order_acquire));
        if (generation != seen)
            return generation;
        relax();
    }
    std::unique_lock<std::mutex> lock(mutex_);
    wake_.wait(lock, [&] { return stop_ || generationOf(state_.load(std::memory_order_acquire)) != seen; });
    return generationOf(state_.load(std::memory_order_acquire));
}

void LM_thread_pool::Helper(int thread) {
    std::uint32_t seen = 0;
    for (;;) {
        seen = AwaitGeneration(seen);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (stop_)
                return;
        }
        Work(seen, thread);
    }
}
