#include "LM_mac_stream.h"

#include "Files.h"
#include "LM_globals.h"
#include "Resources.h"

#include <cstring>

namespace {

constexpr std::int16_t kStyleStrings = 138;
constexpr OSType kStyleType = FOUR_CHAR("lmbs");
constexpr OSType kStyleCreator = FOUR_CHAR("????");
constexpr int kMaxFileName = 31;

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
    Close();
}

LM_bool LM_style_ostream::Open(Str255 name) {
    if (isOpen)
        return false;
    const StyleFile file(name);
    if (!file.found || HCreate(file.volume, file.directory, name, kStyleCreator, kStyleType) != noErr)
        return false;
    if (HOpen(file.volume, file.directory, name, fsWrPerm, &refNum) == noErr) {
        isOpen = true;
        if (WriteU16(LM_STYLE_BYTE_ORDER_MARK) && _WriteHeader())
            return true;
        Close();
    }
    // Created here and never a whole style: nobody else's file is lost by taking it away.
    HDelete(file.volume, file.directory, name);
    return false;
}

LM_bool LM_style_ostream::Close() {
    if (!isOpen)
        return false;
    isOpen = false;
    return FSClose(refNum) == noErr;
}

long LM_style_ostream::_WriteBytes(long count, const void* source) {
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

LM_style_istream::~LM_style_istream() {
    Close();
}

LM_bool LM_style_istream::Open(Str255 name) {
    if (isOpen)
        return false;
    const StyleFile file(name);
    if (!file.found || HOpen(file.volume, file.directory, name, fsRdPerm, &refNum) != noErr)
        return false;
    isOpen = true;
    if (_ReadHeader())
        return true;
    Close();
    return false;
}

LM_bool LM_style_istream::Close() {
    if (!isOpen)
        return false;
    isOpen = false;
    return FSClose(refNum) == noErr;
}

long LM_style_istream::_ReadBytes(long count, void* destination) {
    if (!isOpen)
        return -1;
    const OSErr err = FSRead(refNum, &count, destination);
    return err == noErr || err == eofErr ? count : -1;
}

LM_bool LM_style_istream::IndexedInfo(std::int16_t index, Str255 name) {
    std::int16_t volume = 0;
    long directory = 0;
    if (!LM_GetStyleFolder(volume, directory))
        return false;
    if (index < 0)
        return true;
    int styles = 0;
    for (std::int16_t fileIndex = 1;; ++fileIndex) {
        Str255 candidate;
        HParamBlockRec pb{};
        pb.fileParam.ioNamePtr = candidate;
        pb.fileParam.ioVRefNum = volume;
        pb.fileParam.ioDirID = directory;
        pb.fileParam.ioFDirIndex = fileIndex;
        if (PBHGetFInfoSync(&pb) != noErr)
            return false;
        LM_style_istream probe;
        if (!probe.Open(candidate))
            continue;
        if (styles++ == index) {
            std::memcpy(name, candidate, std::size_t(candidate[0]) + 1);
            return true;
        }
    }
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
    if (!out.Open(name))
        return false;
    if (globals.Write(out) && out.Close())
        return true;
    // A cut-off style still loads, as fewer lights: a full disk must not leave one behind.
    out.Close();
    LM_style_ostream::Erase(name);
    return false;
}

LM_bool LM_LoadStyle(Str255 name, LM_globals& globals) {
    LM_style_istream in;
    return in.Open(name) && globals.Read(in) && in.Close();
}

void LM_DeleteStyle(Str255 name) {
    LM_style_ostream::Erase(name);
}
