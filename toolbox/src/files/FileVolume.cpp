#include "FileVolume.h"

#include "Utf8.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <dirent.h>
#include <sys/stat.h>

namespace files {
namespace {

constexpr std::size_t kMaxName = 31;
constexpr long kFirstDirID = 16;

struct Volume {
    std::string root;
    std::string name;
    bool made = false;                    // the root folder exists (made on first use)
    std::vector<std::string> directories; // id kFirstDirID + i; paths relative to the root
};

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
    volume() = Volume{path, name, false, {}};
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

std::vector<std::string> listing(const std::string& folder, bool filesOnly) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return names;
    while (dirent* entry = ::readdir(dir)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        struct stat st;
        if (::stat((folder + "/" + name).c_str(), &st) != 0)
            continue;
        if (!filesOnly || S_ISREG(st.st_mode))
            names.push_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end(), caseInsensitiveLess);
    return names;
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
