// File Manager over POSIX. One volume (vRefNum -1) rooted at the folder the host names with
// TBFilesSetRoot (created on first use); until then every call fails with nsvErr. The root
// directory (dirID 2) is the default directory. Names are Pascal strings of bytes as the platform
// gives them: '/' in a name is stored as ':' on disk and back, and names are cut to 31 bytes without
// splitting a UTF-8 character. Indexed calls list a directory sorted by name, letter case ignored.
// File type and creator are kept in an extended attribute where the file system has them.
// Files are read and written from their start: there is no seeking and no resizing.
#pragma once

#include "Types.h"

#include <string>

constexpr OSErr dirFulErr = -33;
constexpr OSErr dskFulErr = -34;
constexpr OSErr nsvErr = -35;
constexpr OSErr ioErr = -36;
constexpr OSErr bdNamErr = -37;
constexpr OSErr fnOpnErr = -38;
constexpr OSErr eofErr = -39;
constexpr OSErr posErr = -40;
constexpr OSErr tmfoErr = -42;
constexpr OSErr fnfErr = -43;
constexpr OSErr wPrErr = -44;
constexpr OSErr fLckdErr = -45;
constexpr OSErr fBsyErr = -47;
constexpr OSErr dupFNErr = -48;
constexpr OSErr opWrErr = -49;
constexpr OSErr paramErr = -50;
constexpr OSErr rfNumErr = -51;
constexpr OSErr permErr = -54;
constexpr OSErr wrPermErr = -61;
constexpr OSErr dirNFErr = -120;
constexpr OSErr notAFileErr = -1302;

enum : signed char { fsCurPerm = 0, fsRdPerm = 1, fsWrPerm = 2, fsRdWrPerm = 3, fsRdWrShPerm = 4 };
enum : std::int16_t { fsAtMark = 0, fsFromStart = 1, fsFromLEOF = 2, fsFromMark = 3 };
enum : long { fsRtParID = 1, fsRtDirID = 2 };
constexpr std::int16_t kTBVolumeRefNum = -1;

struct FInfo {
    OSType fdType;
    OSType fdCreator;
    std::uint16_t fdFlags;
    Point fdLocation;
    std::int16_t fdFldr;
};

struct DInfo {
    Rect frRect;
    std::uint16_t frFlags;
    Point frLocation;
    std::int16_t frView;
};

struct FSSpec {
    std::int16_t vRefNum;
    long parID;
    Str63 name;
};

// The fields every parameter block begins with. Calls here complete synchronously.
struct ParamBlockHeader {
    void* qLink;
    std::int16_t qType;
    std::int16_t ioTrap;
    Ptr ioCmdAddr;
    ProcPtr ioCompletion;
    OSErr ioResult;
    StringPtr ioNamePtr;
    std::int16_t ioVRefNum;
};

// A file's fields; the catalogue's HFileInfo begins with the same ones.
struct HFileParam : ParamBlockHeader {
    std::int16_t ioFRefNum;
    signed char ioFVersNum;
    signed char filler1;
    std::int16_t ioFDirIndex;
    signed char ioFlAttrib;
    union {
        signed char ioFlVersNum;
        signed char ioACUser; // its name in HFileInfo
    };
    FInfo ioFlFndrInfo;
    long ioDirID;
    std::uint16_t ioFlStBlk;
    long ioFlLgLen;
    long ioFlPyLen;
    std::uint16_t ioFlRStBlk;
    long ioFlRLgLen;
    long ioFlRPyLen;
    unsigned long ioFlCrDat;
    unsigned long ioFlMdDat;
};

union HParamBlockRec {
    ParamBlockHeader header;
    HFileParam fileParam;
};
using HParmBlkPtr = HParamBlockRec*;

struct WDPBRec : ParamBlockHeader {
    std::int16_t filler1;
    std::int16_t ioWDIndex;
    long ioWDProcID;
    std::int16_t ioWDVRefNum;
    std::int16_t filler2[7];
    long ioWDDirID;
};
using WDPBPtr = WDPBRec*;

// Catalogue information. ioFlAttrib bit 4 (0x10) marks a folder; ioDirID and ioDrDirID share their
// place.
struct HFileInfo : HFileParam {
    unsigned long ioFlBkDat;
    long ioFlParID;
};

struct DirInfo : ParamBlockHeader {
    std::int16_t ioFRefNum;
    signed char ioFVersNum;
    signed char filler1;
    std::int16_t ioFDirIndex;
    signed char ioFlAttrib;
    signed char ioACUser;
    DInfo ioDrUsrWds;
    long ioDrDirID;
    std::uint16_t ioDrNmFls;
    std::int16_t filler3[9];
    unsigned long ioDrCrDat;
    unsigned long ioDrMdDat;
    unsigned long ioDrBkDat;
    long ioDrParID;
};

union CInfoPBRec {
    ParamBlockHeader header;
    HFileInfo hFileInfo;
    DirInfo dirInfo;
};
using CInfoPBPtr = CInfoPBRec*;

// Default volume and directory: ioVRefNum and ioWDVRefNum -1, ioWDDirID 2; the volume name when
// ioNamePtr is given.
OSErr PBHGetVolSync(WDPBPtr pb);
// ioFDirIndex 0: the item named ioNamePtr in ioDirID; > 0: the n-th item (files and folders) of
// ioDirID, name returned; < 0: the directory ioDirID itself. fnfErr past the last item.
OSErr PBGetCatInfoSync(CInfoPBPtr pb);
// As PBGetCatInfoSync but for files only: ioFDirIndex > 0 counts files, folders skipped.
OSErr PBHGetFInfoSync(HParmBlkPtr pb);

OSErr FSMakeFSSpec(std::int16_t vRefNum, long dirID, ConstStr255Param name, FSSpec* fileSpec);
OSErr DirCreate(std::int16_t vRefNum, long parentDirID, ConstStr255Param name, long* createdDirID);
OSErr HCreate(std::int16_t vRefNum, long dirID, ConstStr255Param name, OSType creator, OSType fileType);
OSErr HOpen(std::int16_t vRefNum, long dirID, ConstStr255Param name, signed char permission,
            std::int16_t* refNum);
OSErr HDelete(std::int16_t vRefNum, long dirID, ConstStr255Param name);
// Renames a file or folder within its directory, atomically and never over another entry: dupFNErr
// when newName is taken (letter case ignored, so a change of case alone is refused too), fLckdErr
// for a locked file.
OSErr HRename(std::int16_t vRefNum, long dirID, ConstStr255Param oldName, ConstStr255Param newName);
// Swaps the contents of two existing files in one atomic step, so a finished file can replace
// another without a moment in which neither is whole. fLckdErr when either is locked.
OSErr FSpExchangeFiles(const FSSpec* source, const FSSpec* dest);
OSErr HGetFInfo(std::int16_t vRefNum, long dirID, ConstStr255Param name, FInfo* info);
OSErr HSetFInfo(std::int16_t vRefNum, long dirID, ConstStr255Param name, const FInfo* info);
// Reads from the mark; eofErr with *count = the bytes read when the end comes first.
OSErr FSRead(std::int16_t refNum, long* count, void* buffer);
// Writes at the mark, extending the file; *count = the bytes written.
OSErr FSWrite(std::int16_t refNum, long* count, const void* buffer);
OSErr FSClose(std::int16_t refNum);
OSErr GetFPos(std::int16_t refNum, long* position);

// The host names the volume: its folder on disk and the application's name, which the volume
// carries and under which file types and creators are kept. Directory ids are given anew.
void TBFilesSetRoot(const std::string& path, const std::string& name);
// The volume's folder on disk (created when missing); empty until the host names one.
const char* TBFilesRoot();
// The disk path the File Manager uses for `name` in directory `dirID`: an existing entry whose
// name differs only in letter case when there is one, else the new entry's path.
OSErr TBFilesEntryPath(std::int16_t vRefNum, long dirID, ConstStr255Param name, std::string* path);
// A number that stays the same while the folder `dirID` is unchanged (on disk, and by every File
// Manager call that writes, creates, renames or deletes), so that what a caller derived from its
// files may be kept until it differs; 0 when there is no such folder.
unsigned long TBFilesFolderStamp(std::int16_t vRefNum, long dirID);
// Simulates a full disk: writes and creations fail with dskFulErr once `bytes` more have been
// written; a negative value turns the simulation off.
void TBFilesSetSpaceLimit(long bytes);
