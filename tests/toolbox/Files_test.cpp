#include "Files.h"
#include "Testing.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct PString {
    Str255 s;
    explicit PString(const std::string& text) {
        s[0] = static_cast<unsigned char>(text.size());
        text.copy(reinterpret_cast<char*>(s + 1), text.size());
    }
};

std::string pstr(ConstStr255Param s) {
    return std::string(reinterpret_cast<const char*>(s + 1), s[0]);
}

class Files : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/relight-files-XXXXXX";
        root_ = mkdtemp(pattern);
        TBResetForTests();
        TBFilesSetRoot(root_ + "/home", "Test Volume");
    }
    void TearDown() override {
        TBResetForTests();
        fs::permissions(root_, fs::perms::all, fs::perm_options::add);
        fs::remove_all(root_);
    }
    OSErr create(const std::string& name, long dir = fsRtDirID) {
        return HCreate(kTBVolumeRefNum, dir, PString(name).s, FOUR_CHAR("????"), FOUR_CHAR("lmbs"));
    }
    OSErr write(const std::string& name, const std::string& data, long dir = fsRtDirID) {
        std::int16_t ref = 0;
        OSErr err = HOpen(kTBVolumeRefNum, dir, PString(name).s, fsWrPerm, &ref);
        if (err)
            return err;
        long count = long(data.size());
        err = FSWrite(ref, &count, data.data());
        FSClose(ref);
        return err;
    }
    // A catalogue request for the index-th entry of the root (the name comes back in `name`).
    static CInfoPBRec catalogue(std::int16_t index, StringPtr name) {
        CInfoPBRec pb{};
        pb.hFileInfo.ioNamePtr = name;
        pb.hFileInfo.ioVRefNum = kTBVolumeRefNum;
        pb.hFileInfo.ioDirID = fsRtDirID;
        pb.hFileInfo.ioFDirIndex = index;
        return pb;
    }
    std::string root_;
};

TEST_F(Files, VolumeIsTheFolderTheHostNames) {
    WDPBRec pb{};
    Str255 name;
    pb.ioNamePtr = name;
    ASSERT_EQ(PBHGetVolSync(&pb), noErr);
    EXPECT_EQ(pb.ioWDDirID, fsRtDirID);
    EXPECT_EQ(pstr(name), "Test Volume");
    EXPECT_EQ(std::string(TBFilesRoot()), root_ + "/home");
    EXPECT_TRUE(fs::is_directory(root_ + "/home")) << "created on first use";

    TBFilesSetRoot("", "");
    EXPECT_EQ(PBHGetVolSync(&pb), nsvErr) << "no volume until the host names one";
}

TEST_F(Files, ReadWriteAndErrors) {
    ASSERT_EQ(create("style"), noErr);
    EXPECT_EQ(create("style"), dupFNErr);
    EXPECT_EQ(create("STYLE"), dupFNErr) << "names compare without letter case";
    ASSERT_EQ(write("Style", "hello"), noErr);
    EXPECT_FALSE(fs::exists(root_ + "/home/Style")) << "case preserved";

    FInfo info{};
    ASSERT_EQ(HGetFInfo(kTBVolumeRefNum, fsRtDirID, PString("style").s, &info), noErr);
    if (info.fdType != 0) { // the file system keeps extended attributes
        EXPECT_EQ(info.fdType, FOUR_CHAR("lmbs"));
        EXPECT_EQ(info.fdCreator, FOUR_CHAR("????"));
    }

    std::int16_t ref = 0;
    ASSERT_EQ(HOpen(kTBVolumeRefNum, fsRtDirID, PString("style").s, fsRdPerm, &ref), noErr);
    char buf[16] = {};
    long count = 3;
    EXPECT_EQ(FSRead(ref, &count, buf), noErr);
    EXPECT_EQ(std::string(buf, 3), "hel");
    count = 10;
    EXPECT_EQ(FSRead(ref, &count, buf), eofErr) << "short read";
    EXPECT_EQ(count, 2);
    long eof = 0;
    EXPECT_EQ(GetEOF(ref, &eof), noErr);
    EXPECT_EQ(eof, 5);
    EXPECT_EQ(SetFPos(ref, fsFromStart, 1), noErr);
    count = 1;
    EXPECT_EQ(FSRead(ref, &count, buf), noErr);
    EXPECT_EQ(buf[0], 'e');
    count = 1;
    EXPECT_EQ(FSWrite(ref, &count, "x"), wrPermErr) << "opened read-only";
    EXPECT_EQ(HDelete(kTBVolumeRefNum, fsRtDirID, PString("style").s), fBsyErr) << "open files stay";
    EXPECT_EQ(FSClose(ref), noErr);
    EXPECT_EQ(FSClose(ref), rfNumErr);

    EXPECT_EQ(HOpen(kTBVolumeRefNum, fsRtDirID, PString("missing").s, fsRdPerm, &ref), fnfErr);
    EXPECT_EQ(HOpen(kTBVolumeRefNum, 9999, PString("style").s, fsRdPerm, &ref), dirNFErr);
    EXPECT_EQ(HOpen(7, fsRtDirID, PString("style").s, fsRdPerm, &ref), nsvErr);
    EXPECT_EQ(HOpen(kTBVolumeRefNum, fsRtDirID, PString("a:b").s, fsRdPerm, &ref), bdNamErr);
    EXPECT_EQ(HOpen(kTBVolumeRefNum, fsRtDirID, PString("").s, fsRdPerm, &ref), bdNamErr);

    // A file without write permission is locked, whoever runs the tests.
    chmod((root_ + "/home/style").c_str(), 0444);
    EXPECT_EQ(HOpen(kTBVolumeRefNum, fsRtDirID, PString("style").s, fsWrPerm, &ref), permErr);
    EXPECT_EQ(HDelete(kTBVolumeRefNum, fsRtDirID, PString("style").s), fLckdErr);
    chmod((root_ + "/home/style").c_str(), 0644);
    EXPECT_EQ(HDelete(kTBVolumeRefNum, fsRtDirID, PString("style").s), noErr);
    EXPECT_EQ(HDelete(kTBVolumeRefNum, fsRtDirID, PString("style").s), fnfErr);
}

TEST_F(Files, FullDiskStopsWritesAndCreations) {
    ASSERT_EQ(create("a"), noErr);
    TBFilesSetSpaceLimit(4);
    std::int16_t ref = 0;
    ASSERT_EQ(HOpen(kTBVolumeRefNum, fsRtDirID, PString("a").s, fsRdWrPerm, &ref), noErr);
    long count = 6;
    EXPECT_EQ(FSWrite(ref, &count, "abcdef"), dskFulErr);
    EXPECT_EQ(count, 4);
    FSClose(ref);
    EXPECT_EQ(create("b"), dskFulErr);
    long dir = 0;
    EXPECT_EQ(DirCreate(kTBVolumeRefNum, fsRtDirID, PString("d").s, &dir), dskFulErr);
    EXPECT_EQ(fs::file_size(root_ + "/home/a"), 4u);
}

TEST_F(Files, RenameNeverReplacesAnEntry) {
    ASSERT_EQ(write("draft", "new"), fnfErr);
    ASSERT_EQ(create("draft"), noErr);
    ASSERT_EQ(write("draft", "new"), noErr);
    ASSERT_EQ(create("kept"), noErr);
    ASSERT_EQ(write("kept", "old"), noErr);
    const auto rename = [](const std::string& from, const std::string& to) {
        return HRename(kTBVolumeRefNum, fsRtDirID, PString(from).s, PString(to).s);
    };
    EXPECT_EQ(rename("draft", "kept"), dupFNErr);
    EXPECT_EQ(rename("draft", "KEPT"), dupFNErr) << "names compare without letter case";
    EXPECT_EQ(fs::file_size(root_ + "/home/kept"), 3u);
    EXPECT_EQ(rename("missing", "other"), fnfErr);
    EXPECT_EQ(rename("draft", "a:b"), bdNamErr);
    EXPECT_EQ(HRename(kTBVolumeRefNum, 9999, PString("draft").s, PString("x").s), dirNFErr);

    EXPECT_EQ(rename("draft", "in/out"), noErr);
    EXPECT_TRUE(fs::exists(root_ + "/home/in:out")) << "'/' is stored as ':'";
    EXPECT_FALSE(fs::exists(root_ + "/home/draft"));

    FSSpec moved{}, kept{};
    ASSERT_EQ(FSMakeFSSpec(kTBVolumeRefNum, fsRtDirID, PString("in/out").s, &moved), noErr);
    ASSERT_EQ(FSMakeFSSpec(kTBVolumeRefNum, fsRtDirID, PString("kept").s, &kept), noErr);
    EXPECT_EQ(FSpExchangeFiles(&moved, &kept), noErr);
    const auto text = [&](const char* name) {
        std::ifstream in(root_ + "/home/" + name);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    EXPECT_EQ(text("kept"), "new") << "the contents swapped, not the names";
    EXPECT_EQ(text("in:out"), "old");

    chmod((root_ + "/home/kept").c_str(), 0444);
    EXPECT_EQ(rename("kept", "moved"), fLckdErr);
    EXPECT_EQ(FSpExchangeFiles(&moved, &kept), fLckdErr);
}

TEST_F(Files, NamesMapToTheDisk) {
    ASSERT_EQ(create("in/out"), noErr);
    EXPECT_TRUE(fs::exists(root_ + "/home/in:out")) << "'/' is stored as ':'";
    // 30 ASCII bytes then a two-byte character: the cut at 31 must not split it.
    std::string longName = std::string(30, 'x') + "\xC3\xA9" + "tail";
    ASSERT_EQ(create(longName), noErr);
    EXPECT_TRUE(fs::exists(root_ + "/home/" + std::string(30, 'x')));
    std::string exact = std::string(29, 'y') + "\xC3\xA9" + "tail";
    ASSERT_EQ(create(exact), noErr);
    EXPECT_TRUE(fs::exists(root_ + "/home/" + std::string(29, 'y') + "\xC3\xA9"));
    EXPECT_EQ(create(std::string(29, 'y') + "\xC3\xA9" + "other"), dupFNErr) << "same first 31 bytes";

    Str255 name;
    CInfoPBRec pb = catalogue(1, name);
    ASSERT_EQ(PBGetCatInfoSync(&pb), noErr);
    EXPECT_EQ(pstr(name), "in/out") << "':' on disk reads back as '/'";
}

TEST_F(Files, ListingIsSortedAndEndsWithFnfErr) {
    for (const char* n : {"beta", "Alpha", "gamma", "alpha2"})
        ASSERT_EQ(create(n), noErr);
    long sub = 0;
    ASSERT_EQ(DirCreate(kTBVolumeRefNum, fsRtDirID, PString("Folder").s, &sub), noErr);
    EXPECT_EQ(DirCreate(kTBVolumeRefNum, fsRtDirID, PString("Folder").s, &sub), dupFNErr);
    EXPECT_EQ(DirCreate(kTBVolumeRefNum, 4242, PString("x").s, &sub), dirNFErr);
    ASSERT_EQ(create("inner", sub), noErr);

    // Files only, folders skipped; ioDirID is clobbered by each call and must be reset.
    std::vector<std::string> files;
    for (std::int16_t i = 1;; ++i) {
        HParamBlockRec pb{};
        Str255 name;
        pb.fileParam.ioNamePtr = name;
        pb.fileParam.ioVRefNum = kTBVolumeRefNum;
        pb.fileParam.ioDirID = fsRtDirID;
        pb.fileParam.ioFDirIndex = i;
        OSErr err = PBHGetFInfoSync(&pb);
        if (err) {
            EXPECT_EQ(err, fnfErr);
            break;
        }
        EXPECT_NE(pb.fileParam.ioDirID, fsRtDirID) << "replaced by the file's id";
        files.push_back(pstr(name));
    }
    EXPECT_EQ(files, (std::vector<std::string>{"Alpha", "alpha2", "beta", "gamma"}));

    // The catalogue lists folders too and describes them.
    Str255 name;
    CInfoPBRec pb = catalogue(4, name);
    ASSERT_EQ(PBGetCatInfoSync(&pb), noErr);
    EXPECT_EQ(pstr(name), "Folder");
    EXPECT_TRUE(pb.hFileInfo.ioFlAttrib & 0x10);
    EXPECT_EQ(pb.dirInfo.ioDrDirID, sub);
    EXPECT_EQ(pb.dirInfo.ioDrNmFls, 1);
    EXPECT_EQ(pb.dirInfo.ioDrParID, fsRtDirID);

    // By name, inside the subfolder.
    CInfoPBRec byName{};
    PString inner("inner");
    byName.hFileInfo.ioNamePtr = inner.s;
    byName.hFileInfo.ioVRefNum = kTBVolumeRefNum;
    byName.hFileInfo.ioDirID = sub;
    ASSERT_EQ(PBGetCatInfoSync(&byName), noErr);
    EXPECT_FALSE(byName.hFileInfo.ioFlAttrib & 0x10);
    EXPECT_EQ(byName.hFileInfo.ioFlParID, sub);

    pb.hFileInfo.ioDirID = fsRtDirID;
    pb.hFileInfo.ioFDirIndex = 6;
    EXPECT_EQ(PBGetCatInfoSync(&pb), fnfErr);
    EXPECT_EQ(HDelete(kTBVolumeRefNum, fsRtDirID, PString("Folder").s), fBsyErr) << "not empty";
}

} // namespace
