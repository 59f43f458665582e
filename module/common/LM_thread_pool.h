// Helper threads that share a job with the calling thread: the job's items are claimed one at a
// time by whichever thread is free, so a helper that wakes late costs nothing but its share. The
// threads live as long as the pool; between jobs they spin briefly, then sleep.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

// The threads a final run shades with: what the host asked for, else the machine's cores.
int LM_ThreadCount();
// 0 gives the machine's cores back.
void LM_SetThreadCount(int threads);

class LM_thread_pool {
  public:
    // `threads` in all, the caller included; helpers the system refuses are done without.
    explicit LM_thread_pool(int threads);
    ~LM_thread_pool();
    LM_thread_pool(const LM_thread_pool&) = delete;
    LM_thread_pool& operator=(const LM_thread_pool&) = delete;

    int Threads() const { return int(helpers_.size()) + 1; }

    // Calls job(item, thread) for every item in [0, items), thread 0 being the caller and each
    // helper 1 .. Threads() - 1; returns when every item is done.
    template <typename Job> void Run(int items, Job& job) {
        Run(items, &job, [](void* j, int item, int thread) { (*static_cast<Job*>(j))(item, thread); });
    }

  private:
    using Trampoline = void (*)(void* job, int item, int thread);

    void Run(int items, void* job, Trampoline call);
    void Helper(int thread);
    // Claims and does items of the job published as `generation`, if any are left.
    void Work(std::uint32_t generation, int thread);
    std::uint32_t AwaitGeneration(std::uint32_t seen);
    void AwaitDone(int items);

    std::vector<std::thread> helpers_;
    // generation << 32 | items << 16 | next item: one word, so a claim can never take an item
    // of a job that has already ended.
    std::atomic<std::uint64_t> state_{0};
    std::atomic<int> done_{0};
    void* job_ = nullptr;
    Trampoline call_ = nullptr;
    bool stop_ = false;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable finished_;
};
