#include "LM_mac_stream.h"

#include "Files.h"
#include "LM_globals.h"
#include "LM_style_check.h"
#include "Resources.h"
#include "relight_filter.h"

#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace {

constexpr std::int16_t kStyleStrings = 138;
constexpr int kMaxFileName = 31;
constexpr int kTemporaryNames = 999;
// Saves write under a name that starts with a period: no style does (the save dialog turns a
// leading period into an asterisk), so the listing never shows a file still being written.
constexpr char kTemporaryPrefix[] = ".saving-";

// The folder's entry, with the name cut as every file call needs it.
struct StyleFile {
    std::int16_t volume = 0;
    long directory = 0;
    bool found = false;

    explicit StyleFile(Str255 name) {
        LM_CutStyleName(name);
        found = LM_GetStyleFolder(volume, directory);
    }
};

// Creates a file of the folder that no other save is using: creation is exclusive, so two
// processes saving at once never share one.
OSErr createTemporary(std::int16_t volume, long directory, Str31 name) {
    for (int n = 1; n <= kTemporaryNames; ++n) {
        const std::string text = kTemporaryPrefix + std::to_string(n);
        name[0] = static_cast<unsigned char>(text.size());
        std::memcpy(name + 1, text.data(), text.size());
        const OSErr err = HCreate(volume, directory, name, kStyleFileCreator, kStyleFileType);
        if (err != dupFNErr)
            return err;
    }
    return dupFNErr;
}

// The folder's styles in indexed order, read once for as long as the folder stays as it was: a
// listing asks for every index in turn.
struct StyleList {
    std::int16_t volume = 0;
    long directory = 0;
    unsigned long stamp = 0;
    std::vector<std::string> names;
};

StyleList& styleList() {
    static StyleList list;
    return list;
}

// Every file of the folder that holds a style, by file index; a save in progress is skipped.
std::vector<std::string> readStyleNames(std::int16_t volume, long directory) {
    std::vector<std::string> names;
    for (std::int16_t fileIndex = 1;; ++fileIndex) {
        Str255 candidate;
        HParamBlockRec pb{};
        pb.fileParam.ioNamePtr = candidate;
        pb.fileParam.ioVRefNum = volume;
        pb.fileParam.ioDirID = directory;
        pb.fileParam.ioFDirIndex = fileIndex;
        if (PBHGetFInfoSync(&pb) != noErr)
            return names;
        if ((candidate[0] == 0 || candidate[1] != '.') && LM_IsStyleFile(candidate))
            names.emplace_back(reinterpret_cast<const char*>(candidate + 1), candidate[0]);
    }
}

// The folder's styles, read again only when the folder changed; null when out of memory.
const std::vector<std::string>* styleNames(std::int16_t volume, long directory) {
    StyleList& list = styleList();
    const unsigned long stamp = TBFilesFolderStamp(volume, directory);
    if (stamp != 0 && stamp == list.stamp && volume == list.volume && directory == list.directory)
        return &list.names;
    try {
        list.names = readStyleNames(volume, directory);
    } catch (const std::bad_alloc&) {
        list = StyleList{};
        return nullptr;
    }
    list.volume = volume;
    list.directory = directory;
    list.stamp = stamp;
    return &list.names;
}

} // namespace

void LM_CutStyleName(Str255 name) {
    if (name[0] <= kMaxFileName)
        return;
    int length = kMaxFileName;
    // name[length + 1] is the first byte cut off: a continuation byte means a character is split.
    while (length > 0 && (name[length + 1] & 0xC0) == 0x80)
        --length;
    name[0] = static_cast<unsigned char>(length);
}

LM_bool LM_GetStyleFolder(std::int16_t& volume, long& directory) {
    WDPBRec wd{};
    if (PBHGetVolSync(&wd) != noErr)
        return false;
    Str255 folder;
    GetIndString(folder, kStyleStrings, 1);
    if (folder[0] == 0)
        return false;
    CInfoPBRec info{};
    info.dirInfo.ioNamePtr = folder;
    info.dirInfo.ioVRefNum = wd.ioWDVRefNum;
    info.dirInfo.ioDrDirID = wd.ioWDDirID;
    if (PBGetCatInfoSync(&info) != noErr) {
        long created = 0;
        if (DirCreate(wd.ioWDVRefNum, wd.ioWDDirID, folder, &created) != noErr)
            return false;
        info.dirInfo.ioDrDirID = wd.ioWDDirID;
        if (PBGetCatInfoSync(&info) != noErr)
            return false;
    }
    if (!(info.dirInfo.ioFlAttrib & 0x10))
        return false; // a file of that name stands where the folder should be
    volume = wd.ioWDVRefNum;
    directory = info.dirInfo.ioDrDirID;
    return true;
}

LM_style_ostream::~LM_style_ostream() {
    Abandon();
}

LM_bool LM_style_ostream::Open(Str255 name) {
    if (isOpen)
        return false;
    const StyleFile file(name);
    if (!file.found || createTemporary(file.volume, file.directory, temporary) != noErr)
        return false;
    if (HOpen(file.volume, file.directory, temporary, fsWrPerm, &refNum) != noErr) {
        HDelete(file.volume, file.directory, temporary);
        return false;
    }
    volume = file.volume;
    directory = file.directory;
    std::memcpy(target, name, std::size_t(name[0]) + 1);
    isOpen = true;
    if (WriteU16(LM_STYLE_BYTE_ORDER_MARK) && WriteHeader())
        return true;
    Abandon();
    return false;
}

LM_bool LM_style_ostream::Close() {
    if (!isOpen)
        return false;
    isOpen = false;
    if (FSClose(refNum) == noErr && ReplaceTarget())
        return true;
    HDelete(volume, directory, temporary);
    return false;
}

// The old style stays whole until the new one is: the two swap in one step, then the old goes.
LM_bool LM_style_ostream::ReplaceTarget() {
    FInfo info;
    if (HGetFInfo(volume, directory, target, &info) == fnfErr)
        return HRename(volume, directory, temporary, target) == noErr;
    FSSpec written, old;
    if (FSMakeFSSpec(volume, directory, temporary, &written) != noErr ||
        FSMakeFSSpec(volume, directory, target, &old) != noErr || FSpExchangeFiles(&written, &old) != noErr)
        return false;
    HDelete(volume, directory, temporary);
    return true;
}

void LM_style_ostream::Abandon() {
    if (!isOpen)
        return;
    isOpen = false;
    FSClose(refNum);
    HDelete(volume, directory, temporary);
}

long LM_style_ostream::WriteRaw(long count, const void* source) {
    if (!isOpen)
        return -1;
    return FSWrite(refNum, &count, source) == noErr ? count : -1;
}

LM_bool LM_style_ostream::Erase(Str255 name) {
    const StyleFile file(name);
    return file.found && HDelete(file.volume, file.directory, name) == noErr;
}

LM_bool LM_style_ostream::IsLocked(Str255 name) {
    const StyleFile file(name);
    if (!file.found)
        return false;
    std::int16_t ref = 0;
    const OSErr err = HOpen(file.volume, file.directory, name, fsWrPerm, &ref);
    if (err == noErr)
        FSClose(ref);
    return err == permErr;
}

LM_bool LM_style_istream::IndexedInfo(std::int16_t index, Str255 name) {
    std::int16_t volume = 0;
    long directory = 0;
    if (!LM_GetStyleFolder(volume, directory))
        return false;
    if (index < 0)
        return true;
    const std::vector<std::string>* names = styleNames(volume, directory);
    if (!names || std::size_t(index) >= names->size())
        return false;
    const std::string& found = (*names)[std::size_t(index)];
    name[0] = static_cast<unsigned char>(found.size());
    std::memcpy(name + 1, found.data(), found.size());
    return true;
}

LM_bool LM_style_istream::Exists(Str255 name) {
    const StyleFile file(name);
    std::int16_t ref = 0;
    if (!file.found || HOpen(file.volume, file.directory, name, fsRdPerm, &ref) != noErr)
        return false;
    FSClose(ref);
    return true;
}

LM_bool LM_SaveStyle(Str255 name, const LM_globals& globals) {
    LM_style_ostream out;
    return out.Open(name) && globals.Write(out) && out.Close();
}

LM_bool LM_ReadStyleFile(Str255 name, LM_style_bytes& bytes) {
    const StyleFile file(name);
    std::int16_t ref = 0;
    if (!file.found || HOpen(file.volume, file.directory, name, fsRdPerm, &ref) != noErr)
        return false;
    // One byte more than a style may have, so that a longer file is seen to be one.
    long count = sizeof bytes.data;
    const OSErr err = FSRead(ref, &count, bytes.data);
    FSClose(ref);
    bytes.size = std::size_t(count);
    return (err == noErr || err == eofErr) && LM_CheckStyle(bytes.data, bytes.size, nullptr) == styleNoErr;
}

LM_bool LM_IsStyleFile(Str255 name) {
    LM_style_bytes bytes;
    return LM_ReadStyleFile(name, bytes);
}

LM_bool LM_LoadStyle(Str255 name, LM_globals& globals) {
    LM_style_bytes bytes;
    if (!LM_ReadStyleFile(name, bytes))
        return false;
    LM_memory_istream in(bytes.data, bytes.size);
    return in.Open() && globals.Read(in);
}

void LM_DeleteStyle(Str255 name) {
    LM_style_ostream::Erase(name);
}
