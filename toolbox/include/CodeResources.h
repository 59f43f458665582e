// Code resources: procedures (control definitions and the like) reached through handles, as the
// classic system reached code stored in resources. A code handle holds a jump stub: 0x4EF9 and the
// procedure's native address (8 bytes here, where the classic stub had 4).
#pragma once

#include "Types.h"

using TBCodeEntry = void (*)();

// Serves `entry` as resource (type, id) named `name`: GetResource(type, id) then returns a code handle
// to it, before any resource file is searched. Registering the same type and id again replaces it.
OSErr ql_quorum_code_resource(ResType type, std::int16_t id, ConstStr255Param name, TBCodeEntry entry);
// Removes a registration (a module that is unloaded); noErr or resNotFound.
OSErr TBRemoveCodeResource(ResType type, std::int16_t id);
// A C string as a Pascal string, cut to 255 bytes. The result lives until the next call.
ConstStr255Param ql_quorum_passtr(const char* text);
// A new code handle leading to `entry`, or null when memory runs out.
Handle ql_quorum_new_code_resource_handle(TBCodeEntry entry);
void ql_quorum_free_code_resource_handle(Handle code);
// The procedure a code handle's data (`*handle`) leads to; null when the data is not a code stub.
TBCodeEntry ql_base_check_mac_proc_ptr(const void* stub);

// The same for any procedure type (a control definition, say), without a cast at the call.
template <class Result, class... Args>
OSErr ql_quorum_code_resource(ResType type, std::int16_t id, ConstStr255Param name,
                              Result (*entry)(Args...)) {
    return ql_quorum_code_resource(type, id, name, reinterpret_cast<TBCodeEntry>(entry));
}
template <class Result, class... Args> Handle ql_quorum_new_code_resource_handle(Result (*entry)(Args...)) {
    return ql_quorum_new_code_resource_handle(reinterpret_cast<TBCodeEntry>(entry));
}

// Calls a code handle as a control definition: long proc(short, Handle, short, long).
template <class Result, class... Args> Result TBCallCode(Handle code, Args... args) {
    auto entry = reinterpret_cast<Result (*)(Args...)>(ql_base_check_mac_proc_ptr(code ? *code : nullptr));
    return entry ? entry(args...) : Result{};
}
