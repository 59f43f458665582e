// The resource chain: embedded resource files, newest first, each resource loaded into a handle on
// first use and kept (the same handle every time) until released or its file is removed.
#include "Resources.h"

#include "Backend.h"
#include "Memory.h"
#include "QuickDraw.h"
#include "ResourceChain.h"

#include <algorithm>
#include <cstring>
#include <list>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr signed char kResourceFlag = 0x20;

struct ResourceFile {
    std::int16_t ref;
    std::string name;
    const TBResourceEntry* entries;
    long count;
    std::map<const TBResourceEntry*, Handle> loaded;
};

struct Chain {
    std::map<std::pair<ResType, std::int16_t>, Handle> code; // searched before the files
    std::list<ResourceFile> files;                           // front = newest
    std::int16_t nextRef = 1;
    OSErr error = noErr;
};

Chain& chain() {
    static Chain* c = new Chain; // outlives the registrations destroyed at exit
    return *c;
}

const TBResourceEntry* findEntry(const ResourceFile& file, ResType type, std::int16_t id) {
    for (long i = 0; i < file.count; ++i)
        if (file.entries[i].type == type && file.entries[i].id == id)
            return &file.entries[i];
    return nullptr;
}

bool fill(Handle h, const TBResourceEntry& entry) {
    if (!*h) {
        ReallocateHandle(h, entry.size);
        if (MemError() != noErr)
            return false;
    }
    BlockMove(entry.data, *h, entry.size);
    return true;
}

Handle load(ResourceFile& file, const TBResourceEntry& entry) {
    Chain& c = chain();
    auto it = file.loaded.find(&entry);
    if (it != file.loaded.end()) {
        if (!*it->second && !fill(it->second, entry)) {
            c.error = MemError();
            return nullptr;
        }
        c.error = noErr;
        return it->second;
    }
    Handle h = NewHandle(entry.size);
    if (!h) {
        c.error = MemError();
        return nullptr;
    }
    fill(h, entry);
    HSetState(h, kResourceFlag);
    file.loaded.emplace(&entry, h);
    c.error = noErr;
    return h;
}

Handle search(ResType type, std::int16_t id, bool newestOnly) {
    Chain& c = chain();
    auto code = c.code.find({type, id});
    if (code != c.code.end()) {
        c.error = noErr;
        return code->second;
    }
    for (ResourceFile& file : c.files) {
        if (const TBResourceEntry* entry = findEntry(file, type, id))
            return load(file, *entry);
        if (newestOnly)
            break;
    }
    c.error = resNotFound;
    return nullptr;
}

// The file and entry that own a handle, for calls that take only the handle.
std::pair<ResourceFile*, const TBResourceEntry*> owner(Handle h) {
    for (ResourceFile& file : chain().files)
        for (auto& [entry, handle] : file.loaded)
            if (handle == h)
                return {&file, entry};
    return {nullptr, nullptr};
}

// A colour icon from a compiled 'cicn': height, width, 0x00RRGGBB pixels, mask bytes (big-endian).
CIconHandle buildIcon(std::int16_t id) {
    Handle h = GetResource(FOUR_CHAR("cicn"), id);
    if (!h || GetHandleSize(h) < 4)
        return nullptr;
    const auto* b = reinterpret_cast<const unsigned char*>(*h);
    int height = b[0] << 8 | b[1], width = b[2] << 8 | b[3];
    long count = long(height) * width;
    if (GetHandleSize(h) != 4 + count * 5)
        return nullptr;
    std::vector<std::uint32_t> pixels(std::size_t(count), 0);
    for (long i = 0; i < count; ++i) {
        const unsigned char* p = b + 4 + 4 * i;
        pixels[std::size_t(i)] = std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
    }
    return TBNewCIcon(std::int16_t(width), std::int16_t(height), pixels.data(), b + 4 + 4 * count);
}

} // namespace

Handle GetResource(ResType type, std::int16_t id) {
    return search(type, id, false);
}

void LoadResource(Handle resource) {
    auto [file, entry] = owner(resource);
    if (!file) {
        chain().error = resNotFound;
        return;
    }
    load(*file, *entry);
}

OSErr ResError() {
    return chain().error;
}

void GetIndString(Str255 out, std::int16_t listID, std::int16_t index) {
    out[0] = 0;
    Handle h = GetResource(FOUR_CHAR("STR#"), listID);
    if (!h || index < 1)
        return;
    const auto* p = reinterpret_cast<const unsigned char*>(*h);
    const auto* end = p + GetHandleSize(h);
    if (end - p < 2)
        return;
    int count = (p[0] << 8) | p[1];
    p += 2;
    for (int i = 1; i <= count && p < end; ++i) {
        int len = std::min<long>(*p, end - p - 1);
        if (i == index) {
            out[0] = static_cast<unsigned char>(len);
            std::memcpy(out + 1, p + 1, std::size_t(len));
            return;
        }
        p += 1 + len;
    }
}

bool TBSetCodeResource(ResType type, std::int16_t id, Handle code) {
    Chain& c = chain();
    auto it = c.code.find({type, id});
    bool existed = it != c.code.end();
    if (existed) {
        DisposeHandle(it->second);
        c.code.erase(it);
    }
    if (code)
        c.code.emplace(std::make_pair(type, id), code);
    return existed;
}

std::int16_t TBAddResourceFile(const char* fileName, const TBResourceEntry* entries, long count) {
    Chain& c = chain();
    TBSetResourceFetcher(GetResource);
    TBSetIconBuilder(buildIcon);
    c.files.push_front({c.nextRef++, fileName ? fileName : "", entries, count, {}});
    c.error = noErr;
    return c.files.front().ref;
}

void TBRemoveResourceFile(std::int16_t fileRef) {
    Chain& c = chain();
    auto it =
        std::find_if(c.files.begin(), c.files.end(), [&](const ResourceFile& f) { return f.ref == fileRef; });
    if (it == c.files.end()) {
        c.error = resFNotFound;
        return;
    }
    for (auto& [entry, handle] : it->loaded) {
        HSetState(handle, 0);
        DisposeHandle(handle);
    }
    c.files.erase(it);
    c.error = noErr;
}
