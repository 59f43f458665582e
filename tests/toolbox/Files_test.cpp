#include "Files.h"
#include "PascalString.h"
#include "Testing.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

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
    std::string disk(const std::string& name) const { return root_ + "/home/" + name; }
    OSErr create(const std::string& name, long dir = fsRtDirID) {
        return HCreate(kTBVolumeRefNum, dir, PString(name).s, FOUR_CHAR("????"), FOUR_CHAR("lmbs"));
    }
    OSErr open(const std::string& name, signed char permission, std::int16_t* ref, long dir = fsRtDirID,
               std::int16_t volume = kTBVolumeRefNum) {
        return HOpen(volume, dir, PString(name).s, permission, ref);
    }
    OSErr write(const std::string& name, const std::string& data) {
        std::int16_t ref = 0;
        OSErr err = open(name, fsWrPerm, &ref);
        long count = long(data.size());
        if (err == noErr)
            err = FSWrite(ref, &count, data.data());
        FSClose(ref);
        return err;
    }
    OSErr remove(const std::string& name) { return HDelete(kTBVolumeRefNum, fsRtDirID, PString(name).s); }
    OSErr rename(const std::string& from, const std::string& to, long dir = fsRtDirID) {
        return HRename(kTBVolumeRefNum, dir, PString(from).s, PString(to).s);
    }
    std::string text(const std::string& name) const {
        std::ifstream in(disk(name));
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::string root_;
};

TEST_F(Files, VolumeIsTheFolderTheHostNames) {
    WDPBRec pb{};
    Str255 name;
    pb.ioNamePtr = name;
    ASSERT_EQ(PBHGetVolSync(&pb), noErr);
    EXPECT_EQ((std::tuple{pb.ioWDDirID, pstr(name), std::string(TBFilesRoot())}),
              (std::tuple{fsRtDirID, "Test Volume", root_ + "/home"}));
    EXPECT_TRUE(fs::is_directory(root_ + "/home")) << "created on first use";
    TBFilesSetRoot("", "");
    EXPECT_EQ(PBHGetVolSync(&pb), nsvErr) << "no volume until the host names one";
}

TEST_F(Files, ReadWriteAndErrors) {
    ASSERT_EQ(create("style"), noErr);
    EXPECT_EQ(create("STYLE"), dupFNErr) << "names compare without letter case";
    ASSERT_EQ(write("Style", "hello"), noErr);
    EXPECT_FALSE(fs::exists(disk("Style"))) << "case preserved";
    FInfo info{};
    ASSERT_EQ(HGetFInfo(kTBVolumeRefNum, fsRtDirID, PString("style").s, &info), noErr);
    // Types are kept where the file system keeps extended attributes.
    EXPECT_TRUE(info.fdType == 0 ||
                (info.fdType == FOUR_CHAR("lmbs") && info.fdCreator == FOUR_CHAR("????")));

    std::int16_t ref = 0;
    ASSERT_EQ(open("style", fsRdPerm, &ref), noErr);
    char buf[16] = {};
    long count = 3, one = 1;
    EXPECT_EQ((std::tuple{FSRead(ref, &count, buf), std::string(buf, 3)}), (std::tuple{noErr, "hel"}));
    count = 10;
    EXPECT_EQ((std::tuple{FSRead(ref, &count, buf), count}), (std::tuple{eofErr, 2})) << "short read";
    EXPECT_EQ(FSWrite(ref, &one, "x"), wrPermErr) << "opened read-only";
    EXPECT_EQ(remove("style"), fBsyErr) << "open files stay";
    EXPECT_EQ((std::tuple{FSClose(ref), FSClose(ref)}), (std::tuple{noErr, rfNumErr}));

    const std::tuple<std::string, long, std::int16_t, OSErr> refused[] = {
        {"missing", fsRtDirID, kTBVolumeRefNum, fnfErr},
        {"style", 9999, kTBVolumeRefNum, dirNFErr},
        {"style", fsRtDirID, 7, nsvErr},
        {"a:b", fsRtDirID, kTBVolumeRefNum, bdNamErr},
        {"", fsRtDirID, kTBVolumeRefNum, bdNamErr}};
    for (const auto& [name, dir, volume, err] : refused)
        EXPECT_EQ(open(name, fsRdPerm, &ref, dir, volume), err) << name;

    // A file without write permission is locked, whoever runs the tests.
    chmod(disk("style").c_str(), 0444);
    EXPECT_EQ((std::tuple{open("style", fsWrPerm, &ref), remove("style")}), (std::tuple{permErr, fLckdErr}));
    chmod(disk("style").c_str(), 0644);
    EXPECT_EQ((std::tuple{remove("style"), remove("style")}), (std::tuple{noErr, fnfErr}));

    // A full disk stops writes and creations.
    ASSERT_EQ(create("a"), noErr);
    TBFilesSetSpaceLimit(4);
    long dir = 0;
    EXPECT_EQ((std::tuple{write("a", "abcdef"), fs::file_size(disk("a")), create("b"),
                          DirCreate(kTBVolumeRefNum, fsRtDirID, PString("d").s, &dir)}),
              (std::tuple{dskFulErr, 4u, dskFulErr, dskFulErr}));
}

TEST_F(Files, RenameNeverReplacesAnEntry) {
    ASSERT_EQ(write("draft", "new"), fnfErr);
    ASSERT_EQ(create("draft"), noErr);
    ASSERT_EQ(create("kept"), noErr);
    ASSERT_EQ(write("draft", "new"), noErr);
    ASSERT_EQ(write("kept", "old"), noErr);
    EXPECT_EQ((std::tuple{rename("draft", "kept"), rename("draft", "KEPT"), rename("missing", "other"),
                          rename("draft", "a:b"), rename("draft", "x", 9999)}),
              (std::tuple{dupFNErr, dupFNErr, fnfErr, bdNamErr, dirNFErr}));
    EXPECT_EQ(rename("draft", "in/out"), noErr);
    EXPECT_EQ((std::tuple{fs::exists(disk("in:out")), fs::exists(disk("draft"))}), (std::tuple{true, false}))
        << "'/' is stored as ':'";

    FSSpec moved{}, kept{};
    ASSERT_EQ(FSMakeFSSpec(kTBVolumeRefNum, fsRtDirID, PString("in/out").s, &moved), noErr);
    ASSERT_EQ(FSMakeFSSpec(kTBVolumeRefNum, fsRtDirID, PString("kept").s, &kept), noErr);
    EXPECT_EQ(FSpExchangeFiles(&moved, &kept), noErr);
    EXPECT_EQ((std::tuple{text("kept"), text("in:out")}), (std::tuple{"new", "old"}))
        << "the contents swapped, not the names";
    chmod(disk("kept").c_str(), 0444);
    EXPECT_EQ((std::tuple{rename("kept", "moved"), FSpExchangeFiles(&moved, &kept)}),
              (std::tuple{fLckdErr, fLckdErr}));
}

TEST_F(Files, NamesMapToTheDisk) {
    ASSERT_EQ(create("in/out"), noErr);
    EXPECT_TRUE(fs::exists(disk("in:out"))) << "'/' is stored as ':'";
    // 30 ASCII bytes then a two-byte character: the cut at 31 must not split it.
    ASSERT_EQ(create(std::string(30, 'x') + "\xC3\xA9" + "tail"), noErr);
    EXPECT_TRUE(fs::exists(disk(std::string(30, 'x'))));
    ASSERT_EQ(create(std::string(29, 'y') + "\xC3\xA9" + "tail"), noErr);
    EXPECT_TRUE(fs::exists(disk(std::string(29, 'y') + "\xC3\xA9")));
    EXPECT_EQ(create(std::string(29, 'y') + "\xC3\xA9" + "other"), dupFNErr) << "same first 31 bytes";
    Str255 name;
    CInfoPBRec pb{};
    pb.hFileInfo.ioNamePtr = name;
    pb.hFileInfo.ioVRefNum = kTBVolumeRefNum;
    pb.hFileInfo.ioDirID = fsRtDirID;
    pb.hFileInfo.ioFDirIndex = 1; // the first entry of the root
    ASSERT_EQ(PBGetCatInfoSync(&pb), noErr);
    EXPECT_EQ(pstr(name), "in/out") << "':' on disk reads back as '/'";
}

} // namespace
