#include "CodeResources.h"

#include "Memory.h"
#include "Resources.h"
#include "ResourceChain.h"

#include <cstring>

namespace {

constexpr unsigned char kJump[2] = {0x4E, 0xF9};
constexpr Size kStubSize = sizeof kJump + sizeof(TBCodeEntry);

} // namespace

Handle ql_quorum_new_code_resource_handle(TBCodeEntry entry) {
    Handle h = NewHandle(kStubSize);
    if (!h)
        return nullptr;
    std::memcpy(*h, kJump, sizeof kJump);
    std::memcpy(*h + sizeof kJump, &entry, sizeof entry);
    return h;
}

void ql_quorum_free_code_resource_handle(Handle code) {
    DisposeHandle(code);
}

TBCodeEntry ql_base_check_mac_proc_ptr(const void* stub) {
    if (!stub || std::memcmp(stub, kJump, sizeof kJump) != 0)
        return nullptr;
    TBCodeEntry entry;
    std::memcpy(&entry, static_cast<const char*>(stub) + sizeof kJump, sizeof entry);
    return entry;
}

ConstStr255Param ql_quorum_passtr(const char* text) {
    static Str255 buffer;
    std::size_t len = text ? std::strlen(text) : 0;
    buffer[0] = static_cast<unsigned char>(len > 255 ? 255 : len);
    std::memcpy(buffer + 1, text, buffer[0]);
    return buffer;
}

OSErr ql_quorum_code_resource(ResType type, std::int16_t id, ConstStr255Param, TBCodeEntry entry) {
    Handle h = ql_quorum_new_code_resource_handle(entry);
    if (!h)
        return MemError();
    TBSetCodeResource(type, id, h);
    return noErr;
}

OSErr TBRemoveCodeResource(ResType type, std::int16_t id) {
    return TBSetCodeResource(type, id, nullptr) ? OSErr(noErr) : OSErr(resNotFound);
}
