// The heap is malloc underneath; what it adds is accounting: a byte limit, purgeable handles that
// can really be purged, and an injectable allocation failure so every out-of-memory path is testable.
#include "Memory.h"

#include "Refusals.h"
#include "Reset.h"

#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <mutex>

namespace {

constexpr std::uint32_t kPtrMagic = 0x4C4D5054; // guards DisposePtr against foreign pointers
constexpr signed char kLocked = static_cast<signed char>(0x80);
constexpr signed char kPurgeable = 0x40;

struct PtrHeader {
    Size size;
    std::uint32_t magic;
    std::uint32_t pad;
};

// A handle is the address of `data`, the master pointer, which stays put while the data moves.
struct Master {
    Ptr data;
    Size size;
    signed char flags;
    Master* prev;
    Master* next;
};

constexpr Size kDefaultLimit = Size(4) << 30;

struct Heap {
    std::mutex lock;
    Size limit = kDefaultLimit;
    Size live = 0;
    long blocks = 0;
    long allocations = 0;
    long failAt = 0;
    long clientAllocations = 0; // requests from outside the Toolbox
    long clientFailAt = 0;
    OSErr error = noErr;
    long refusals = 0;
    Master* handles = nullptr;
};

// Never destroyed: resources of modules still registered at exit are released after other statics.
Heap& heap() {
    static Heap* h = new Heap;
    return *h;
}

Master* master(Handle h) {
    return reinterpret_cast<Master*>(h);
}

// True when `caller` lies outside this library: a request of the module or the host itself.
bool outsideToolbox(const void* caller) {
    static const void* const own = [] {
        Dl_info info{};
        return dladdr(reinterpret_cast<const void*>(&outsideToolbox), &info) ? info.dli_fbase : nullptr;
    }();
    Dl_info info{};
    return dladdr(caller, &info) != 0 && info.dli_fbase != own;
}

void refuse(Heap& hp) {
    hp.error = memFullErr;
    ++hp.refusals;
}

bool countDown(long& failAt) {
    return failAt > 0 && --failAt == 0;
}

// Reserves bytes against the limit; false when the request must fail.
bool reserve(Heap& hp, Size size, bool client) {
    ++hp.allocations;
    hp.clientAllocations += client;
    const bool injected = countDown(hp.failAt);
    if (injected || (client && countDown(hp.clientFailAt))) {
        refuse(hp);
        return false;
    }
    if (size < 0 || size > hp.limit - hp.live) {
        refuse(hp);
        return false;
    }
    hp.live += size;
    hp.error = noErr;
    return true;
}

Size purgeableBytes(const Heap& hp) {
    Size total = 0;
    for (Master* m = hp.handles; m; m = m->next)
        if ((m->flags & kPurgeable) && !(m->flags & kLocked) && m->data)
            total += m->size;
    return total;
}

void purge(Heap& hp, Master* m) {
    std::free(m->data);
    m->data = nullptr;
    hp.live -= m->size;
}

Ptr newPtr(Size size, bool clear, bool client) {
    Heap& hp = heap();
    std::lock_guard g(hp.lock);
    if (!reserve(hp, size, client))
        return nullptr;
    auto* hdr = static_cast<PtrHeader*>(clear ? std::calloc(1, sizeof(PtrHeader) + size)
                                              : std::malloc(sizeof(PtrHeader) + size));
    if (!hdr) {
        hp.live -= size;
        refuse(hp);
        return nullptr;
    }
    hdr->size = size;
    hdr->magic = kPtrMagic;
    ++hp.blocks;
    return reinterpret_cast<Ptr>(hdr + 1);
}

Handle newHandle(Size size, bool clear, bool client) {
    Heap& hp = heap();
    std::lock_guard g(hp.lock);
    if (!reserve(hp, size, client))
        return nullptr;
    auto* m = static_cast<Master*>(std::calloc(1, sizeof(Master)));
    Ptr data = static_cast<Ptr>(clear ? std::calloc(1, size ? size : 1) : std::malloc(size ? size : 1));
    if (!m || !data) {
        std::free(m);
        std::free(data);
        hp.live -= size;
        refuse(hp);
        return nullptr;
    }
    m->data = data;
    m->size = size;
    m->next = hp.handles;
    if (hp.handles)
        hp.handles->prev = m;
    hp.handles = m;
    ++hp.blocks;
    return &m->data;
}

} // namespace

Ptr NewPtr(Size size) {
    return newPtr(size, false, outsideToolbox(__builtin_return_address(0)));
}
Ptr NewPtrClear(Size size) {
    return newPtr(size, true, outsideToolbox(__builtin_return_address(0)));
}

void DisposePtr(Ptr p) {
    if (!p)
        return;
    Heap& hp = heap();
    std::lock_guard g(hp.lock);
    PtrHeader* hdr = reinterpret_cast<PtrHeader*>(p) - 1;
    if (hdr->magic != kPtrMagic)
        std::abort(); // a pointer this heap never made: continuing would corrupt memory
    hdr->magic = 0;
    hp.live -= hdr->size;
    --hp.blocks;
    std::free(hdr);
}

Handle NewHandle(Size size) {
    return newHandle(size, false, outsideToolbox(__builtin_return_address(0)));
}
Handle NewHandleClear(Size size) {
    return newHandle(size, true, outsideToolbox(__builtin_return_address(0)));
}

void DisposeHandle(Handle h) {
    if (!h)
        return;
    Heap& hp = heap();
    std::lock_guard g(hp.lock);
    Master* m = master(h);
    if (m->data)
        purge(hp, m);
    if (m->prev)
        m->prev->next = m->next;
    else
        hp.handles = m->next;
    if (m->next)
        m->next->prev = m->prev;
    --hp.blocks;
    std::free(m);
}

Size GetHandleSize(Handle h) {
    if (!h || !*h) {
        heap().error = nilHandleErr;
        return 0;
    }
    return master(h)->size;
}

void SetHandleSize(Handle h, Size size) {
    const bool client = outsideToolbox(__builtin_return_address(0));
    Heap& hp = heap();
    std::lock_guard g(hp.lock);
    Master* m = master(h);
    if (!h || !m->data || size < 0) {
        hp.error = nilHandleErr;
        return;
    }
    if ((m->flags & kLocked) && size > m->size) {
        hp.error = memLockedErr;
        return;
    }
    Size grow = size - m->size;
    if (grow > 0 && !reserve(hp, grow, client))
        return;
    Ptr data = static_cast<Ptr>(std::realloc(m->data, size ? size : 1));
    if (!data) {
        if (grow > 0)
            hp.live -= grow;
        refuse(hp);
        return;
    }
    if (grow < 0)
        hp.live += grow;
    m->data = data;
    m->size = size;
    hp.error = noErr;
}

void ReallocateHandle(Handle h, Size size) {
    const bool client = outsideToolbox(__builtin_return_address(0));
    Heap& hp = heap();
    std::lock_guard g(hp.lock);
    Master* m = master(h);
    if (!h || (m->flags & kLocked)) {
        hp.error = h ? memLockedErr : nilHandleErr;
        return;
    }
    if (m->data)
        purge(hp, m);
    m->size = 0;
    if (!reserve(hp, size, client))
        return;
    m->data = static_cast<Ptr>(std::malloc(size ? size : 1));
    if (!m->data) {
        hp.live -= size;
        refuse(hp);
        return;
    }
    m->size = size;
}

void HLock(Handle h) {
    if (h)
        master(h)->flags |= kLocked;
}
void HUnlock(Handle h) {
    if (h)
        master(h)->flags &= ~kLocked;
}
void HPurge(Handle h) {
    if (h)
        master(h)->flags |= kPurgeable;
}
void HNoPurge(Handle h) {
    if (h)
        master(h)->flags &= ~kPurgeable;
}
void HSetState(Handle h, signed char flags) {
    if (h)
        master(h)->flags = flags;
}

void BlockMove(const void* src, void* dst, Size count) {
    if (count > 0)
        std::memmove(dst, src, std::size_t(count));
}

Size FreeMem() {
    Heap& hp = heap();
    std::lock_guard g(hp.lock);
    return hp.limit - hp.live;
}

Size MaxBlock() {
    return FreeMem();
}

Size MaxMem(Size* grow) {
    Heap& hp = heap();
    std::lock_guard g(hp.lock);
    for (Master* m = hp.handles; m; m = m->next)
        if ((m->flags & kPurgeable) && !(m->flags & kLocked) && m->data)
            purge(hp, m);
    if (grow)
        *grow = 0;
    return hp.limit - hp.live;
}

void PurgeMem(Size needed) {
    Heap& hp = heap();
    std::lock_guard g(hp.lock);
    for (Master* m = hp.handles; m && hp.limit - hp.live < needed; m = m->next)
        if ((m->flags & kPurgeable) && !(m->flags & kLocked) && m->data)
            purge(hp, m);
    hp.error = hp.limit - hp.live < needed ? memFullErr : noErr;
}

void PurgeSpace(long* total, long* contig) {
    Heap& hp = heap();
    std::lock_guard g(hp.lock);
    Size space = hp.limit - hp.live + purgeableBytes(hp);
    if (total)
        *total = space;
    if (contig)
        *contig = space;
}

long memory::Refusals() {
    Heap& hp = heap();
    std::lock_guard g(hp.lock);
    return hp.refusals;
}

void memory::SetMemFull() {
    Heap& hp = heap();
    std::lock_guard g(hp.lock);
    hp.error = memFullErr;
}

OSErr MemError() {
    return heap().error;
}

void TBSetHeapLimit(Size bytes) {
    std::lock_guard g(heap().lock);
    heap().limit = bytes;
}
Size TBHeapLimit() {
    return heap().limit;
}
void TBFailAllocation(long nth) {
    std::lock_guard g(heap().lock);
    heap().failAt = nth;
}
void reset::HeapControls() {
    std::lock_guard g(heap().lock);
    heap().limit = kDefaultLimit;
    heap().failAt = 0;
    heap().clientFailAt = 0;
}

long TBAllocationCount() {
    return heap().allocations;
}
void TBFailClientAllocation(long nth) {
    std::lock_guard g(heap().lock);
    heap().clientFailAt = nth;
}
Size TBHeapLiveBytes() {
    return heap().live;
}
long TBHeapLiveBlocks() {
    return heap().blocks;
}
