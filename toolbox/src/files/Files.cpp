// The File Manager calls. Open files are POSIX descriptors behind small reference numbers; a file
// without write permission counts as locked even for a user the system would let write.
#include "Files.h"

#include "FileVolume.h"
#include "Reset.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

constexpr signed char kLockedAttr = 0x01;
constexpr signed char kFolderAttr = 0x10;
constexpr signed char kOpenAttr = static_cast<signed char>(0x80);

struct OpenFile {
    int fd;
    bool writable;
    dev_t device;
    ino_t inode;
};

struct FileTable {
    std::map<std::int16_t, OpenFile> open;
    std::int16_t nextRef = 1;
    long spaceLeft = -1; // negative: no simulated limit
};

FileTable& table() {
    static FileTable t;
    return t;
}

OSErr entryPath(std::int16_t vRefNum, long dirID, ConstStr255Param name, std::string* path) {
    std::string folder, disk;
    if (OSErr err = files::directoryPath(vRefNum, dirID, &folder))
        return err;
    if (OSErr err = files::diskName(name, &disk))
        return err;
    *path = folder + "/" + files::existingName(folder, disk);
    return noErr;
}

bool locked(const struct stat& st) {
    return !(st.st_mode & S_IWUSR);
}

// A folder its owner may not write to is locked for everyone, root included, as the platform's
// locked folders were: nothing is created in it or deleted from it.
bool inLockedFolder(const std::string& path) {
    struct stat st;
    return ::stat(path.substr(0, path.rfind('/')).c_str(), &st) == 0 && locked(st);
}

bool isOpen(const struct stat& st, bool forWriting) {
    for (const auto& [ref, file] : table().open)
        if (file.device == st.st_dev && file.inode == st.st_ino && (!forWriting || file.writable))
            return true;
    return false;
}

// Type then creator, big-endian, under the application's name.
std::string infoAttribute() {
    return "user." + files::volumeName() + ".finfo";
}

void readInfo(const std::string& path, FInfo* info) {
    *info = FInfo{};
    unsigned char bytes[8];
    if (::getxattr(path.c_str(), infoAttribute().c_str(), bytes, sizeof bytes) != ssize_t(sizeof bytes))
        return;
    info->fdType = OSType(bytes[0]) << 24 | OSType(bytes[1]) << 16 | OSType(bytes[2]) << 8 | bytes[3];
    info->fdCreator = OSType(bytes[4]) << 24 | OSType(bytes[5]) << 16 | OSType(bytes[6]) << 8 | bytes[7];
}

// Best effort: a file system without extended attributes keeps the file but not its type.
void writeInfo(const std::string& path, const FInfo& info) {
    unsigned char bytes[8];
    for (int i = 0; i < 4; ++i) {
        bytes[i] = static_cast<unsigned char>(info.fdType >> (24 - 8 * i));
        bytes[4 + i] = static_cast<unsigned char>(info.fdCreator >> (24 - 8 * i));
    }
    ::setxattr(path.c_str(), infoAttribute().c_str(), bytes, sizeof bytes, 0);
}

signed char attributes(const struct stat& st) {
    signed char attr = 0;
    if (S_ISDIR(st.st_mode))
        attr |= kFolderAttr;
    else if (locked(st))
        attr |= kLockedAttr;
    if (!S_ISDIR(st.st_mode) && isOpen(st, false))
        attr |= kOpenAttr;
    return attr;
}

// The file fields that HFileParam and HFileInfo share; ioDirID becomes the file's id.
void fillFileFields(HFileParam& pb, const std::string& path, const struct stat& st) {
    pb.ioFlAttrib = attributes(st);
    readInfo(path, &pb.ioFlFndrInfo);
    pb.ioDirID = long(st.st_ino & 0x7FFFFFFF);
    pb.ioFlLgLen = long(st.st_size);
    pb.ioFlPyLen = long(st.st_blocks * 512);
    pb.ioFlRLgLen = pb.ioFlRPyLen = 0;
    pb.ioFlCrDat = pb.ioFlMdDat = files::macTime(st.st_mtime);
}

void fillFileInfo(HFileInfo& pb, const std::string& path, const struct stat& st, long parent) {
    fillFileFields(pb, path, st);
    pb.ioFlBkDat = 0;
    pb.ioFlParID = parent;
}

void fillDirInfo(DirInfo& pb, const std::string& path, const struct stat& st) {
    pb.ioFlAttrib = attributes(st);
    pb.ioDrUsrWds = DInfo{};
    pb.ioDrDirID = files::directoryID(path);
    pb.ioDrNmFls = std::uint16_t(files::listing(path, false).size());
    pb.ioDrCrDat = pb.ioDrMdDat = files::macTime(st.st_mtime);
    pb.ioDrBkDat = 0;
    pb.ioDrParID = files::parentID(path);
}

// Resolves a catalogue request to a path: by index in the folder, the folder itself, or by name.
// The name is returned in ioNamePtr for the indexed forms.
OSErr locate(ParamBlockHeader& pb, long dirID, std::int16_t index, bool filesOnly, std::string* path) {
    std::string folder;
    if (OSErr err = files::directoryPath(pb.ioVRefNum, dirID, &folder))
        return err;
    if (index == 0)
        return entryPath(pb.ioVRefNum, dirID, pb.ioNamePtr, path);
    std::string name;
    if (index < 0 && !filesOnly) {
        *path = folder;
        name = folder == files::root() ? files::volumeName() : folder.substr(folder.rfind('/') + 1);
    } else {
        const std::vector<std::string>& names = files::listing(folder, filesOnly);
        if (index < 0 || std::size_t(index) > names.size())
            return fnfErr;
        name = names[std::size_t(index - 1)];
        *path = folder + "/" + name;
    }
    if (pb.ioNamePtr)
        files::toolboxName(name, pb.ioNamePtr);
    return noErr;
}

// The code of a POSIX call's result.
OSErr posix(int result, bool writing = false) {
    return result == 0 ? OSErr(noErr) : files::fromErrno(errno, writing);
}

OSErr statPath(const std::string& path, struct stat* st) {
    return posix(::stat(path.c_str(), st));
}

// The path and status of an entry that must exist.
OSErr existingEntry(std::int16_t vRefNum, long dirID, ConstStr255Param name, std::string* path,
                    struct stat* st) {
    OSErr err = entryPath(vRefNum, dirID, name, path);
    return err ? err : statPath(*path, st);
}

OpenFile* openFile(std::int16_t refNum) {
    auto it = table().open.find(refNum);
    return it == table().open.end() ? nullptr : &it->second;
}

} // namespace

OSErr PBHGetVolSync(WDPBPtr pb) {
    pb->ioVRefNum = pb->ioWDVRefNum = kTBVolumeRefNum;
    pb->ioWDDirID = fsRtDirID;
    pb->ioWDProcID = 0;
    if (pb->ioNamePtr)
        files::toolboxName(files::volumeName(), pb->ioNamePtr);
    std::string path;
    return pb->ioResult = files::directoryPath(kTBVolumeRefNum, fsRtDirID, &path);
}

OSErr PBGetCatInfoSync(CInfoPBPtr pb) {
    HFileInfo& info = pb->hFileInfo;
    std::string path;
    struct stat st;
    OSErr err = locate(pb->header, info.ioDirID, info.ioFDirIndex, false, &path);
    if (!err)
        err = statPath(path, &st);
    if (!err && S_ISDIR(st.st_mode))
        fillDirInfo(pb->dirInfo, path, st);
    else if (!err)
        fillFileInfo(info, path, st, files::directoryID(path.substr(0, path.rfind('/'))));
    return pb->header.ioResult = err;
}

OSErr PBHGetFInfoSync(HParmBlkPtr pb) {
    HFileParam& p = pb->fileParam;
    std::string path;
    struct stat st;
    OSErr err = locate(pb->header, p.ioDirID, p.ioFDirIndex < 0 ? 0 : p.ioFDirIndex, true, &path);
    if (!err)
        err = statPath(path, &st);
    if (!err && S_ISDIR(st.st_mode))
        err = fnfErr;
    if (!err)
        fillFileFields(p, path, st);
    return pb->header.ioResult = err;
}

OSErr FSMakeFSSpec(std::int16_t vRefNum, long dirID, ConstStr255Param name, FSSpec* fileSpec) {
    std::string path, disk;
    OSErr err = entryPath(vRefNum, dirID, name, &path);
    if (err)
        return err;
    fileSpec->vRefNum = kTBVolumeRefNum;
    fileSpec->parID = dirID ? dirID : fsRtDirID;
    files::diskName(name, &disk);
    files::toolboxName(disk, fileSpec->name);
    struct stat st;
    return statPath(path, &st);
}

OSErr DirCreate(std::int16_t vRefNum, long parentDirID, ConstStr255Param name, long* createdDirID) {
    files::changed();
    std::string path;
    if (OSErr err = entryPath(vRefNum, parentDirID, name, &path))
        return err;
    if (inLockedFolder(path))
        return permErr;
    if (table().spaceLeft == 0)
        return dskFulErr;
    if (::mkdir(path.c_str(), 0777) != 0)
        return files::fromErrno(errno);
    if (createdDirID)
        *createdDirID = files::directoryID(path);
    return noErr;
}

OSErr HCreate(std::int16_t vRefNum, long dirID, ConstStr255Param name, OSType creator, OSType fileType) {
    files::changed();
    std::string path;
    if (OSErr err = entryPath(vRefNum, dirID, name, &path))
        return err;
    if (inLockedFolder(path))
        return permErr;
    if (table().spaceLeft == 0)
        return dskFulErr;
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return files::fromErrno(errno);
    ::close(fd);
    writeInfo(path, FInfo{fileType, creator, 0, {0, 0}, 0});
    return noErr;
}

OSErr HOpen(std::int16_t vRefNum, long dirID, ConstStr255Param name, signed char permission,
            std::int16_t* refNum) {
    std::string path;
    struct stat st;
    if (OSErr err = existingEntry(vRefNum, dirID, name, &path, &st))
        return err;
    if (!S_ISREG(st.st_mode))
        return fnfErr;
    bool write = permission != fsRdPerm && !(permission == fsCurPerm && locked(st));
    if (write && locked(st))
        return permErr;
    if (write && permission != fsRdWrShPerm && isOpen(st, true))
        return opWrErr;
    // Never waits on a pipe or a device: only a regular file opens, checked on what was opened.
    int fd = ::open(path.c_str(), (write ? O_RDWR : O_RDONLY) | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return files::fromErrno(errno);
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || ::fcntl(fd, F_SETFL, 0) != 0) {
        ::close(fd);
        return fnfErr;
    }
    FileTable& t = table();
    while (t.open.count(t.nextRef) || t.nextRef <= 0)
        t.nextRef = t.nextRef <= 0 ? 1 : std::int16_t(t.nextRef + 1);
    *refNum = t.nextRef++;
    t.open[*refNum] = {fd, write, st.st_dev, st.st_ino};
    return noErr;
}

OSErr HDelete(std::int16_t vRefNum, long dirID, ConstStr255Param name) {
    files::changed();
    std::string path;
    struct stat st;
    if (OSErr err = existingEntry(vRefNum, dirID, name, &path, &st))
        return err;
    if (S_ISDIR(st.st_mode))
        return posix(::rmdir(path.c_str()));
    if (locked(st))
        return fLckdErr;
    if (inLockedFolder(path))
        return permErr;
    if (isOpen(st, false))
        return fBsyErr;
    return posix(::unlink(path.c_str()));
}

OSErr HRename(std::int16_t vRefNum, long dirID, ConstStr255Param oldName, ConstStr255Param newName) {
    files::changed();
    std::string from, to;
    struct stat st;
    if (OSErr err = existingEntry(vRefNum, dirID, oldName, &from, &st))
        return err;
    if (OSErr err = entryPath(vRefNum, dirID, newName, &to))
        return err;
    if (!S_ISDIR(st.st_mode) && locked(st))
        return fLckdErr;
    // Never replaces: another process may have taken the name since it was looked up.
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return noErr;
    if (errno != EINVAL)
        return files::fromErrno(errno);
    // A file system without the no-replace flag: a hard link is refused just as atomically.
    if (::link(from.c_str(), to.c_str()) != 0)
        return files::fromErrno(errno);
    return posix(::unlink(from.c_str()));
}

OSErr FSpExchangeFiles(const FSSpec* source, const FSSpec* dest) {
    files::changed();
    std::string from, to;
    struct stat st;
    if (OSErr err = existingEntry(source->vRefNum, source->parID, source->name, &from, &st))
        return err;
    if (S_ISDIR(st.st_mode))
        return notAFileErr;
    const bool sourceLocked = locked(st);
    if (OSErr err = existingEntry(dest->vRefNum, dest->parID, dest->name, &to, &st))
        return err;
    if (S_ISDIR(st.st_mode))
        return notAFileErr;
    if (sourceLocked || locked(st))
        return fLckdErr;
    return posix(::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_EXCHANGE));
}

OSErr HGetFInfo(std::int16_t vRefNum, long dirID, ConstStr255Param name, FInfo* info) {
    std::string path;
    struct stat st;
    OSErr err = existingEntry(vRefNum, dirID, name, &path, &st);
    if (!err)
        readInfo(path, info);
    return err;
}

OSErr HSetFInfo(std::int16_t vRefNum, long dirID, ConstStr255Param name, const FInfo* info) {
    files::changed();
    std::string path;
    struct stat st;
    OSErr err = existingEntry(vRefNum, dirID, name, &path, &st);
    if (!err)
        writeInfo(path, *info);
    return err;
}

OSErr FSRead(std::int16_t refNum, long* count, void* buffer) {
    OpenFile* f = openFile(refNum);
    if (!f)
        return rfNumErr;
    if (*count < 0)
        return paramErr;
    long done = 0;
    while (done < *count) {
        ssize_t n = ::read(f->fd, static_cast<char*>(buffer) + done, std::size_t(*count - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            *count = done;
            return files::fromErrno(errno);
        }
        if (n == 0)
            break;
        done += long(n);
    }
    bool short_ = done < *count;
    *count = done;
    return short_ ? eofErr : OSErr(noErr);
}

OSErr FSWrite(std::int16_t refNum, long* count, const void* buffer) {
    files::changed();
    OpenFile* f = openFile(refNum);
    if (!f)
        return rfNumErr;
    if (!f->writable) {
        *count = 0;
        return wrPermErr;
    }
    FileTable& t = table();
    long wanted = *count;
    if (t.spaceLeft >= 0 && wanted > t.spaceLeft)
        wanted = t.spaceLeft;
    long done = 0;
    while (done < wanted) {
        ssize_t n = ::write(f->fd, static_cast<const char*>(buffer) + done, std::size_t(wanted - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            *count = done;
            return files::fromErrno(errno, true);
        }
        done += long(n);
    }
    if (t.spaceLeft >= 0)
        t.spaceLeft -= done;
    bool full = done < *count;
    *count = done;
    return full ? dskFulErr : OSErr(noErr);
}

OSErr FSClose(std::int16_t refNum) {
    OpenFile* f = openFile(refNum);
    if (!f)
        return rfNumErr;
    int result = ::close(f->fd);
    table().open.erase(refNum);
    return posix(result, true);
}

OSErr GetFPos(std::int16_t refNum, long* position) {
    OpenFile* f = openFile(refNum);
    if (!f)
        return rfNumErr;
    *position = long(::lseek(f->fd, 0, SEEK_CUR));
    return noErr;
}

void TBFilesSetRoot(const std::string& path, const std::string& name) {
    files::setRoot(path, name);
}

void reset::Files() {
    for (auto& [ref, file] : table().open)
        ::close(file.fd);
    table() = FileTable{};
    files::forget();
}

const char* TBFilesRoot() {
    return files::root().c_str();
}

OSErr TBFilesEntryPath(std::int16_t vRefNum, long dirID, ConstStr255Param name, std::string* path) {
    return entryPath(vRefNum, dirID, name, path);
}

unsigned long TBFilesFolderStamp(std::int16_t vRefNum, long dirID) {
    std::string folder;
    return files::directoryPath(vRefNum, dirID, &folder) == noErr ? files::listingStamp(folder) : 0;
}

void TBFilesSetSpaceLimit(long bytes) {
    table().spaceLeft = bytes < 0 ? -1 : bytes;
}
