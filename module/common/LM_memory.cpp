#include "LM_memory.h"

#include "Memory.h"

namespace {

constexpr long kMinPurgeableSpace = 16384;

} // namespace

void* LM_NewPtr(long size) {
    if (MaxBlock() < size) {
        PurgeMem(size);
        Size grow = 0;
        if (MaxBlock() < size && MaxMem(&grow) < size)
            return nullptr;
    }
    long total = 0, contig = 0;
    PurgeSpace(&total, &contig);
    if (total - size < kMinPurgeableSpace)
        return nullptr;
    return NewPtr(size);
}

void LM_DisposePtr(void* p) {
    DisposePtr(static_cast<Ptr>(p));
}
