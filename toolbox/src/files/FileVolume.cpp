#include "FileVolume.h"

#include "Utf8.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <dirent.h>
#include <map>
#include <sys/stat.h>

namespace files {
namespace {

constexpr std::size_t kMaxName = 31;
constexpr long kFirstDirID = 16;

// A folder as last read: kept while the folder's own status and the volume's change count are
// what they were then, so that walking a folder by index reads it once, not once per index.
struct Listing {
    struct stat status {};
    unsigned long changes = 0;
    unsigned long stamp = 0;
    std::vector<std::string> all, files;
};

struct Volume {
    std::string root;
    std::string name;
    bool made = false;                    // the root folder exists (made on first use)
    std::vector<std::string> directories; // id kFirstDirID + i; paths relative to the root
    std::map<std::string, Listing> listings;
    unsigned long changes = 0; // writes, creations, renames and deletions through the File Manager
};

// Never reused, not even for a new volume: a stamp names one reading of one folder.
unsigned long nextStamp() {
    static unsigned long stamps = 0;
    return ++stamps;
}

Volume& volume() {
    static Volume v;
    return v;
}

void makeFolders(const std::string& path) {
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
        ::mkdir(path.substr(0, slash).c_str(), 0777);
    ::mkdir(path.c_str(), 0777);
}

bool sameLetters(const std::string& a, const std::string& b) {
    return utf8::equal(a, b, false, true);
}

// Letters without case, ASCII in its own order (lower case), before every other character.
std::uint32_t sortKey(std::uint32_t c) {
    if (c < 0x80)
        return c >= 'A' && c <= 'Z' ? c + 32 : c;
    return utf8::fold(c, false, true);
}

bool caseInsensitiveLess(const std::string& a, const std::string& b) {
    const auto* x = reinterpret_cast<const std::uint8_t*>(a.data());
    const auto* y = reinterpret_cast<const std::uint8_t*>(b.data());
    int i = 0, j = 0;
    while (i < int(a.size()) && j < int(b.size())) {
        const std::uint32_t p = sortKey(utf8::next(x, int(a.size()), &i));
        const std::uint32_t q = sortKey(utf8::next(y, int(b.size()), &j));
        if (p != q)
            return p < q;
    }
    if (i < int(a.size()) || j < int(b.size()))
        return j < int(b.size());
    return a < b; // same letters: byte order decides
}

// The longest prefix of at most 31 bytes that does not end inside a UTF-8 character.
std::string cut(std::string s) {
    if (s.size() <= kMaxName)
        return s;
    std::size_t end = kMaxName;
    while (end > 0 && (static_cast<unsigned char>(s[end]) & 0xC0) == 0x80)
        --end;
    return s.substr(0, end);
}

} // namespace

void setRoot(const std::string& path, const std::string& name) {
    volume() = Volume{path, name, false, {}, {}, 0};
}

const std::string& root() {
    Volume& v = volume();
    if (!v.made && !v.root.empty()) {
        makeFolders(v.root);
        v.made = true;
    }
    return v.root;
}

const std::string& volumeName() {
    return volume().name;
}

void forget() {
    volume().directories.clear();
    volume().listings.clear();
    volume().made = false;
}

OSErr directoryPath(std::int16_t vRefNum, long dirID, std::string* path) {
    if (vRefNum != 0 && vRefNum != kTBVolumeRefNum)
        return nsvErr;
    Volume& v = volume();
    if (v.root.empty())
        return nsvErr;
    std::string relative;
    if (dirID >= kFirstDirID && dirID - kFirstDirID < long(v.directories.size()))
        relative = v.directories[std::size_t(dirID - kFirstDirID)];
    else if (dirID != 0 && dirID != fsRtDirID)
        return dirNFErr;
    *path = root() + relative;
    struct stat st;
    if (::stat(path->c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return dirNFErr;
    return noErr;
}

long directoryID(const std::string& path) {
    const std::string& base = root();
    if (path == base)
        return fsRtDirID;
    std::string relative = path.substr(base.size());
    Volume& v = volume();
    auto it = std::find(v.directories.begin(), v.directories.end(), relative);
    if (it == v.directories.end())
        it = v.directories.insert(v.directories.end(), relative);
    return kFirstDirID + long(it - v.directories.begin());
}

long parentID(const std::string& path) {
    if (path == root())
        return fsRtParID;
    return directoryID(path.substr(0, path.rfind('/')));
}

OSErr diskName(ConstStr255Param name, std::string* out) {
    if (!name)
        return bdNamErr;
    std::string s(reinterpret_cast<const char*>(name + 1), name[0]);
    if (s.find(':') != std::string::npos || s.find('\0') != std::string::npos)
        return bdNamErr;
    s = cut(s);
    std::replace(s.begin(), s.end(), '/', ':');
    if (s.empty() || s == "." || s == "..")
        return bdNamErr;
    *out = s;
    return noErr;
}

std::string existingName(const std::string& folder, const std::string& disk) {
    struct stat st;
    if (::lstat((folder + "/" + disk).c_str(), &st) == 0)
        return disk;
    for (const std::string& name : listing(folder, false))
        if (sameLetters(name, disk))
            return name;
    return disk;
}

void toolboxName(const std::string& disk, StringPtr out) {
    std::string s = cut(disk);
    std::replace(s.begin(), s.end(), ':', '/');
    out[0] = static_cast<unsigned char>(s.size());
    std::copy(s.begin(), s.end(), out + 1);
}

namespace {

bool sameStatus(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_mtim.tv_sec == b.st_mtim.tv_sec &&
           a.st_mtim.tv_nsec == b.st_mtim.tv_nsec && a.st_ctim.tv_sec == b.st_ctim.tv_sec &&
           a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

// Every entry but "." and ".."; `files` only the regular files (after links): a pipe, device or
// socket is never a file the Toolbox opens.
void readFolder(const std::string& folder, Listing& l) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    while (dirent* entry = ::readdir(dir)) {
        std::string name = entry->d_name;
        struct stat st;
        if (name == "." || name == ".." || ::stat((folder + "/" + name).c_str(), &st) != 0)
            continue;
        l.all.push_back(name);
        if (S_ISREG(st.st_mode))
            l.files.push_back(name);
    }
    ::closedir(dir);
    std::sort(l.all.begin(), l.all.end(), caseInsensitiveLess);
    std::sort(l.files.begin(), l.files.end(), caseInsensitiveLess);
}

const Listing& currentListing(const std::string& folder) {
    Volume& v = volume();
    struct stat st {};
    const bool exists = ::stat(folder.c_str(), &st) == 0;
    Listing& l = v.listings[folder];
    if (l.stamp != 0 && l.changes == v.changes && exists && sameStatus(l.status, st))
        return l;
    l = Listing{st, v.changes, nextStamp(), {}, {}};
    if (exists)
        readFolder(folder, l);
    return l;
}

} // namespace

const std::vector<std::string>& listing(const std::string& folder, bool filesOnly) {
    const Listing& l = currentListing(folder);
    return filesOnly ? l.files : l.all;
}

unsigned long listingStamp(const std::string& folder) {
    return currentListing(folder).stamp;
}

void changed() {
    ++volume().changes;
}

OSErr fromErrno(int error, bool writing) {
    switch (error) {
    case ENOENT:
        return fnfErr;
    case ENOTDIR:
        return dirNFErr;
    case EEXIST:
        return dupFNErr;
    case EACCES:
    case EPERM:
        return writing ? wrPermErr : permErr;
    case EROFS:
        return wPrErr;
    case ENOSPC:
    case EDQUOT:
        return dskFulErr;
    case ENAMETOOLONG:
        return bdNamErr;
    case EMFILE:
    case ENFILE:
        return tmfoErr;
    case ENOTEMPTY:
    case EBUSY:
        return fBsyErr;
    case EBADF:
        return rfNumErr;
    default:
        return ioErr;
    }
}

unsigned long macTime(long unixSeconds) {
    constexpr unsigned long kEpochDelta = 2082844800UL; // 1904-01-01 to 1970-01-01
    std::time_t t = unixSeconds;
    std::tm local{};
    ::localtime_r(&t, &local);
    return static_cast<unsigned long>(unixSeconds + local.tm_gmtoff) + kEpochDelta;
}

} // namespace files
