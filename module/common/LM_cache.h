// One preview cache: a buffer from the guarded allocator and whether it holds what the current
// settings give. A cache without a buffer is never hot.
#pragma once

#include "LM_memory.h"
#include "LM_types.h"

#include <utility>

template <typename T> class LM_cache {
  public:
    LM_cache() = default;
    ~LM_cache() { Free(); }
    LM_cache(const LM_cache&) = delete;
    LM_cache& operator=(const LM_cache&) = delete;

    // A cold buffer of `elements` unless there is one already; none when out of memory.
    void Allocate(unsigned long elements) {
        if (data_)
            return;
        data_ = static_cast<T*>(LM_NewPtr(long(elements * sizeof(T))));
        hot_ = false;
    }
    void Free() {
        LM_DisposePtr(data_);
        data_ = nullptr;
        hot_ = false;
    }
    void Invalidate() { hot_ = false; }
    void SetHot(bool hot) { hot_ = data_ && hot; }
    void Swap(LM_cache& other) {
        std::swap(data_, other.data_);
        std::swap(hot_, other.hot_);
    }

    bool Used() const { return data_ != nullptr; }
    bool Hot() const { return hot_; }
    T* Data() const { return data_; }

  private:
    T* data_ = nullptr;
    bool hot_ = false;
};

// A light's own terms over the preview, kept while only other lights change.
struct LM_light_caches {
    LM_cache<LM_color96> diffuse;
    LM_cache<LM_color96> specular;

    void Free() {
        diffuse.Free();
        specular.Free();
    }
    void Invalidate() {
        diffuse.Invalidate();
        specular.Invalidate();
    }
    void Swap(LM_light_caches& other) {
        diffuse.Swap(other.diffuse);
        specular.Swap(other.specular);
    }
};
