// Every way a run can be refused, cancelled or fail: each gives its one line and exit status, the
// input files stay as they were, and no output, temporary file or last settings remain.
#include "ByteFields.h"
#include "CliSupport.h"

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <iterator>
#include <map>
#include <sstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// A PNG whose header claims another size (and interlacing), its checksum right, so only the claim
// is wrong.
std::string PngClaiming(const std::string& png, std::uint32_t width, std::uint32_t height,
                        bool interlaced = false) {
    return png.substr(0, 8) +
           PngChunk("IHDR", Int(width, 4) + Int(height, 4) + png.substr(24, 4) + char(interlaced)) +
           png.substr(33);
}

// The bytes with `count` of them inverted, starting `skip` bytes after the first `marker`.
std::string Damaged(std::string bytes, const std::string& marker, std::size_t skip, std::size_t count) {
    const std::size_t at = bytes.find(marker) + skip;
    for (std::size_t i = 0; i < count && at + i < bytes.size(); ++i)
        bytes[at + i] = char(~bytes[at + i]);
    return bytes;
}

// An uncompressed 8-bit TIFF in one strip that claims `width` x `height` pixels of `photometric`
// kind but holds only `held` bytes of them.
std::string TiffClaiming(std::uint32_t width, std::uint32_t height, std::size_t held,
                         std::uint16_t photometric = 1) {
    const auto le = [](std::uint32_t value, int size) { return Int(value, size, true); };
    const auto entry = [&](std::uint32_t tag, std::uint32_t type, std::uint32_t value) {
        return IfdEntry(tag, type, 1, le(value, 4), true);
    };
    const std::uint32_t data = 8 + 2 + 8 * 12 + 4;
    return "II" + le(42, 2) + le(8, 4) + le(8, 2) + entry(256, 4, width) + entry(257, 4, height) +
           entry(258, 3, 8) + entry(259, 3, 1) + entry(262, 3, photometric) + entry(273, 4, data) +
           entry(278, 4, height) + entry(279, 4, width * height) + le(0, 4) + std::string(held, '\x55');
}

// A lossless WebP whose header claims `width` x `height` pixels, followed by noise.
std::string WebpClaiming(std::uint32_t width, std::uint32_t height) {
    const std::string header =
        "\x2F" + Int((width - 1) | (height - 1) << 14, 4, true) + std::string(64, '\x5A');
    return "RIFF" + Int(std::uint32_t(header.size() + 12), 4, true) + "WEBPVP8L" +
           Int(std::uint32_t(header.size()), 4, true) + header;
}

// Offsets in a baseline JPEG's frame header after its marker: length 2, precision 2, height 3,
// width 5, component count 7, then (id, sampling, quantisation table) per component.
constexpr std::size_t kFrameHeight = 5, kFrameWidth = 7, kFrameFirstTable = 12;

std::string JpegFrame(std::string jpeg, std::size_t field, std::uint16_t value) {
    const std::size_t at = jpeg.find("\xFF\xC0") + field;
    return jpeg.replace(at, field == kFrameFirstTable ? 1 : 2, Int(value, field == kFrameFirstTable ? 1 : 2));
}

// Offsets in a style file: the texture channel and the light count.
constexpr std::size_t kStyleChannel = 10, kStyleLightCount = 30;

using Args = std::vector<std::string>;

// A command line's words; "@" before a name: the path of that file in the work folder.
Args words(const std::string& line) {
    std::istringstream in(line);
    return {std::istream_iterator<std::string>(in), {}};
}

struct Refusal {
    std::string what;
    Args args;
    std::string message; // after "relight: ", "@name" as in args; "..." at the end: a prefix
    int status = 2;
    std::string environment = {};       // NAME=VALUE words, "@" as in args
    std::string product = {};           // the one file the run may add (state is secondary)
    int signal = 0;                     // sent a moment after the start (to an open dialog)
    bool interruptWhileReading = false; // "slow.png" is a pipe fed in halves, Ctrl-C between
};

// Runs of apply: reading another image, writing another output, with another block, with the probe.
Args reading(const std::string& image) {
    return words("apply @" + image + " -o @new.png --params @light.block");
}
Args writing(const std::string& output) {
    return words("apply @in.png -o @" + output + " --params @light.block");
}
Args params(const std::string& block) {
    return words("apply @in.png -o @new.png --params " + block);
}
Args probing(const std::string& block) {
    Args args = words("apply @in.png -o @out.png --params @" + block + ".block --plugin");
    args.push_back(PROBE_PLUGIN);
    return args;
}
// The plain run with more options, or with no settings into out.png.
Args with(const std::string& more) {
    return words("apply @in.png -o @new.png --params @light.block " + more);
}
Args toOut(const std::string& more) {
    return words("apply @in.png -o @out.png " + more);
}

class BadInputs : public CliTest {
  protected:
    void SetUp() override {
        CliTest::SetUp();
        WritePng(Path("in.png"), Gradient(40, 24, 3));
        WriteJpeg(Path("in.jpg"), Gradient(40, 24, 3), 90);
        WritePng(Path("grey.png"), Gradient(40, 24, 1));
        WriteBytes(Path("light.block"), LightingBlock());
        WriteBytes(Path("textured.block"), LightingBlock(4));
        WriteBytes(Path("stop.block"), ProbeBlock(probeInterrupt));
        WriteBytes(Path("stoplast.block"), ProbeBlock(probeInterruptLast));
        WriteBytes(Path("fail.block"), ProbeBlock(probeFail));
        WriteBytes(Path("bad.txt"), "click @5\nfly away\n");
        const std::string png = ReadBytes(Path("in.png")), jpeg = ReadBytes(Path("in.jpg"));
        pngBytes_ = png;
        WriteBytes(Path("truncated.png"), png.substr(0, png.size() / 2));
        WriteBytes(Path("corrupt.png"), Damaged(png, "IDAT", 8, 16));
        WriteBytes(Path("text.jpg"), "this is not a picture\n");
        WriteBytes(Path("empty"), "");
        WriteBytes(Path("zero.png"), PngClaiming(png, 0, 24));
        WriteBytes(Path("huge.png"), PngClaiming(png, 40000, 40000));
        WriteBytes(Path("bomb.png"), PngClaiming(png, 32767, 32767));
        WriteBytes(Path("lying.png"), PngClaiming(png, 16000, 15000));
        WriteBytes(Path("lying-interlaced.png"), PngClaiming(png, 16000, 15000, true));
        WriteBytes(Path("lying.jpg"), JpegFrame(JpegFrame(jpeg, kFrameWidth, 16000), kFrameHeight, 15000));
        WriteBytes(Path("bomb.tif"), TiffClaiming(32767, 32767, 64));
        WriteBytes(Path("bomb.webp"), WebpClaiming(16384, 16384));
        WriteBytes(Path("lying.webp"), WebpClaiming(16000, 15000));
        WriteBytes(Path("riff.webp"), "RIFF" + std::string(4, '\0') + "WAVEfmt ");
        WritePng(Path("wide.png"), Gradient(16384, 1, 3));
        WriteBytes(Path("long.webp"), "RIFF\xF0\xFF\xFF\x7F" + WebpClaiming(2, 2).substr(8));
        WriteBytes(Path("lying.tif"), TiffClaiming(16000, 15000, 64));
        WriteBytes(Path("separated.tif"), TiffClaiming(40, 24, 960, 5));
        WriteBytes(Path("truncated.jpg"), jpeg.substr(0, jpeg.size() / 2));
        WriteBytes(Path("corrupt.jpg"), JpegFrame(jpeg, kFrameFirstTable, 3));
        // 40 bytes inverted amid the compressed data of a photograph-sized scan.
        WriteJpeg(Path("damaged.jpg"), Gradient(320, 240, 3), 90);
        const std::string scan = ReadBytes(Path("damaged.jpg"));
        WriteBytes(Path("damaged.jpg"), Damaged(scan, "\xFF\xDA", scan.size() / 2, 40));
        // An APP1 segment of 8 bytes after the start marker: an EXIF block with nothing in it.
        WriteBytes(Path("exif.jpg"), std::string("\xFF\xD8\xFF\xE1\x00\x08", 6) + "Exif" +
                                         std::string(2, '\0') + jpeg.substr(2));
        WritePng(Path("rgba.jpg"), Gradient(40, 24, 4));
        WriteBytes(Path("zero.jpg"), JpegFrame(jpeg, kFrameHeight, 0));
        WriteBytes(Path("huge.jpg"), JpegFrame(jpeg, kFrameWidth, 60000));
        const std::string block = LightingBlock();
        WriteBytes(Path("foreign.block"), Damaged(block, block.substr(0, 4), 0, 4));
        std::filesystem::create_directories(Path("state/relight"));
        WriteBytes(Path("state/relight/last.block"), block.substr(0, 1000));
        WriteBytes(Path("out.png"), "the previous result");
        std::filesystem::create_directory(Path("folder.png"));
        ASSERT_EQ(mkfifo(Path("slow.png").c_str(), 0600), 0);
        // The snapshot tells the test the dialog is open, its signal handlers in place.
        WriteBytes(Path("long.script"), "snapshot " + Path("open.png") + "\nwait 86400000\nclick @1\n");
        WriteBytes(Path("ok.script"), "wait 100\nclick @1\n");
        WriteBytes(Path("syntax.json"),
                   "{ \"name\": \"X\",\n  \"lights\": [\n    { \"type\": \"spot\", }\n  ]\n}\n");
        WriteBytes(Path("misspelt.json"), R"({ "lights": [{ "type": "spot", "intensty": 40 }] })");
        WriteBytes(Path("range.json"), R"({ "surface": { "gloss": 300 }, "lights": [{ "type": "omni" }] })");
        WriteBytes(Path("unlit.json"), R"({ "name": "Unlit" })");
        std::filesystem::create_symlink("in.png", Path("link.png"));
        WriteBytes(Path("kept.png"), "a result the owner locked");
        std::filesystem::permissions(Path("kept.png"), std::filesystem::perms::owner_read);
        // Only root makes a device; the program must refuse it without replacing it.
        if (geteuid() == 0) {
            ASSERT_EQ(mknod(Path("device").c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
        }
        ASSERT_EQ(Relight({"styles", "list"}).status, 0); // the style folder, seeded
        // Beside the seeded styles: a pipe, and twins by letter case, the first in order sound,
        // "Dawn" locked and "dawn" a style the filter would refuse.
        const std::string styles = Path("relight/Lighting Styles/"), noon = ReadBytes(styles + "Noon");
        const std::string negative = std::string(noon).replace(kStyleChannel, 2, Int(0xFFFF, 2));
        const std::string many = std::string(noon).replace(kStyleLightCount, 2, Int(65535, 2));
        ASSERT_EQ(mkfifo((styles + "Piped").c_str(), 0600), 0);
        WriteBytes(styles + "DAWN", noon);
        WriteBytes(styles + "Dawn", noon);
        chmod((styles + "Dawn").c_str(), 0444);
        WriteBytes(styles + "dawn", negative);
        WriteBytes(Path("channel.style"), negative);
        WriteBytes(Path("many.style"), many);
        WriteBytes(Path("trailing.style"), noon + std::string(5000, 'x'));
        WriteBytes(Path("cut.style"), noon.substr(0, 50));
        before_ = Contents();
    }

    // Every entry under the work folder with its bytes (a folder's or a pipe's: empty).
    std::map<std::string, std::string> Contents() const {
        std::map<std::string, std::string> contents;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(Path("")))
            contents[entry.path().string()] = entry.is_regular_file() ? ReadBytes(entry.path()) : "";
        return contents;
    }

    // The program reads the pipe's first half, gets Ctrl-C, then the rest. A program that ended
    // before opening the pipe is left to the checks of its result.
    void FeedWithInterrupt(pid_t pid) const {
        std::signal(SIGPIPE, SIG_IGN);
        int fd;
        while ((fd = open(Path("slow.png").c_str(), O_WRONLY | O_NONBLOCK)) < 0) {
            siginfo_t ended{};
            if (waitid(P_PID, id_t(pid), &ended, WEXITED | WNOHANG | WNOWAIT) == 0 && ended.si_pid == pid)
                return;
            usleep(1000);
        }
        fcntl(fd, F_SETFL, 0);
        const std::size_t half = pngBytes_.size() / 2;
        EXPECT_EQ(write(fd, pngBytes_.data(), half), ssize_t(half));
        kill(pid, SIGINT);
        EXPECT_EQ(write(fd, pngBytes_.data() + half, pngBytes_.size() - half),
                  ssize_t(pngBytes_.size() - half));
        close(fd);
    }

    std::string pngBytes_;
    std::map<std::string, std::string> before_;
};

TEST_F(BadInputs, EachIsRefusedWithItsLineAndStatusAndNothingChanges) {
    const Args dialog = words("edit @in.png -o @new.png --headless --script @long.script");
    const std::string noStyleFolder =
        "no style folder (the plug-in names none, or it cannot be made): @light.block";
    const std::string noHome = "no home folder for the styles (set HOME or RELIGHT_HOME)";
    std::vector<Refusal> cases = {
        {"truncated PNG", reading("truncated.png"), "damaged PNG image (Read Error): @truncated.png"},
        {"corrupt PNG data", reading("corrupt.png"), "damaged PNG image (IDAT: ..."},
        {"empty file", reading("empty"), "not an image relight reads (PNG, JPEG, TIFF or WebP): @empty"},
        {"zero-width PNG", reading("zero.png"), "damaged PNG image (Invalid IHDR data): @zero.png"},
        {"over-sized PNG", reading("huge.png"),
         "image is larger than 32767 pixels on a side (40000 x 40000): @huge.png"},
        {"PNG over the pixel limit", reading("bomb.png"),
         "image has 1073676289 pixels, more than the limit of 250000000 (see --max-pixels): @bomb.png"},
        {"image over a lowered limit", with("--max-pixels 959"),
         "image has 960 pixels, more than the limit of 959 (see --max-pixels): @in.png"},
        {"PNG lying about its size", reading("lying.png"), "damaged PNG image (..."},
        {"interlaced PNG lying about its size", reading("lying-interlaced.png"), "damaged PNG image (..."},
        {"JPEG lying about its size", reading("lying.jpg"), "damaged JPEG image (..."},
        // A mask or channel of another size is refused before its rows are read.
        {"mask lying about its size", with("--mask @lying.png"),
         "mask is 16000 x 15000, the image 40 x 24: @lying.png"},
        {"channel lying about its size", with("--channel Relief=@lying.jpg"),
         "channel Relief is 16000 x 15000, the image 40 x 24: @lying.jpg"},
        {"endless block", params("/dev/zero"), "parameter block is larger than 66736 bytes: /dev/zero"},
        {"endless style", words("styles import /dev/zero --name zero"),
         "style file is larger than 65536 bytes: /dev/zero"},
        {"style JSON with a syntax error", words("styles import @syntax.json"),
         "bad style JSON (parse error at line 3, column 23: syntax error while parsing object key - "
         "unexpected '}'; expected string literal): @syntax.json"},
        {"style JSON with a misspelt field", words("styles import @misspelt.json"),
         "bad style JSON (lights[0].intensty: unknown field): @misspelt.json"},
        {"style JSON with a value out of range", words("styles import @range.json --force"),
         "bad style JSON (surface.gloss: must be a whole number from 0 to 255): @range.json"},
        {"style JSON without lights", words("styles import @unlit.json"),
         "bad style JSON (lights: must be a list of 1 to 16 lights): @unlit.json"},
        {"endless script", words("edit @in.png -o @new.png --headless --script /dev/zero"),
         "input script is larger than 4194304 bytes: /dev/zero"},
        {"in place over a format without alpha", words("apply @rgba.jpg --in-place --params @light.block"),
         "writing in place would lose the image's alpha (use -o OUT, or --force): @rgba.jpg"},
        {"in place losing metadata", words("apply @exif.jpg --in-place --params @light.block"),
         "writing in place would lose the image's metadata (use -o OUT, or --force): @exif.jpg"},
        {"corrupt JPEG header", reading("corrupt.jpg"),
         "damaged JPEG image (Quantization table 0x03 was not defined): @corrupt.jpg"},
        {"truncated JPEG", reading("truncated.jpg"),
         "damaged JPEG image (Premature end of JPEG file): @truncated.jpg"},
        {"damaged JPEG data", reading("damaged.jpg"), "damaged JPEG image (Corrupt JPEG data: ..."},
        // Rows outside the area come from the source, so damage below the area still stops the run.
        {"damaged JPEG data below the area",
         words("apply @damaged.jpg -o @new.png --params @light.block --area 0,0,320,16"),
         "damaged JPEG image (Corrupt JPEG data: ..."},
        {"zero-height JPEG", reading("zero.jpg"),
         "damaged JPEG image (Empty JPEG image (DNL not supported)): @zero.jpg"},
        {"over-sized JPEG", reading("huge.jpg"),
         "image is larger than 32767 pixels on a side (60000 x 24): @huge.jpg"},
        {"missing input", reading("none.png"), "cannot open (No such file or directory): @none.png"},
        {"folder as input", reading("folder.png"),
         "not an image relight reads (PNG, JPEG, TIFF or WebP): @folder.png"},
        {"output in a missing folder", writing("missing/new.png"),
         "cannot write (No such file or directory): @missing/new.png"},
        {"foreign block", params("@foreign.block"),
         "bad parameter block (the data is not a lighting parameter block): @foreign.block"},
        {"empty block", params("@empty"),
         "bad parameter block (the parameter block has the wrong size): @empty"},
        {"missing block", params("@none.block"), "cannot open (No such file or directory): @none.block"},
        {"unknown style", toOut("--style Nowhere"), "no style named 'Nowhere' (see relight styles list)"},
        {"RGB image as a channel", with("--channel Relief=@in.png"),
         "channel Relief is not a grey image: @in.png"},
        {"missing channel file", with("--channel Relief=@none.png"),
         "cannot open (No such file or directory): @none.png"},
        {"texture channel the image lacks", params("@textured.block"),
         "the settings use texture channel 4, the image has 3 channels (add one with --channel NAME=FILE): "
         "@textured.block"},
        {"area outside the image", with("--area 30,20,20,10"),
         "area 30,20,20,10 is not inside the 40 x 24 image: @in.png"},
        {"empty area", with("--area 0,0,5,0"), "area 0,0,5,0 is not inside the 40 x 24 image: @in.png"},
        {"settings saved over the input", with("--save-params @in.png"),
         "the run would write over @in.png, which it also uses: @in.png"},
        {"output over a channel", with("-o @grey.png --channel Relief=@grey.png"),
         "the run would write over @grey.png, which it also uses: @grey.png"},
        {"settings saved over the output", with("--save-params @new.png"),
         "the run would write over @new.png, which it also uses: @new.png"},
        {"recording over the input", words("edit @in.png -o @new.png --record @in.png"),
         "the run would write over @in.png, which it also uses: @in.png"},
        {"output through a link to the input", writing("link.png"),
         "the output would overwrite the input (use --in-place for that): @link.png"},
        {"output onto a pipe", writing("slow.png"),
         "not a regular file (a device, pipe or socket is never replaced): @slow.png"},
        {"read-only output", writing("kept.png"), "the file is read-only (--force replaces it): @kept.png"},
        {"state folder that cannot be made", words("edit @in.png -o @new.png --headless --script @ok.script"),
         "warning: the last settings were not kept (cannot create the state folder (Not a directory)): "
         "@light.block/relight",
         0, "XDG_STATE_HOME=@light.block", "new.png"},
        // The data folder is $RELIGHT_HOME, else $XDG_DATA_HOME/relight, else ~/.local/share/relight.
        {"data folder from RELIGHT_HOME first", words("styles list"), noStyleFolder, 2,
         "RELIGHT_HOME=@light.block XDG_DATA_HOME=@data"},
        {"data folder from XDG_DATA_HOME next", words("styles list"), noStyleFolder + "/relight", 2,
         "RELIGHT_HOME= XDG_DATA_HOME=@light.block"},
        {"data folder from HOME last", words("styles list"), noStyleFolder + "/.local/share/relight", 2,
         "RELIGHT_HOME= XDG_DATA_HOME= HOME=@light.block"},
        // Styles never go under the file system's root or the working folder.
        {"HOME the file system's root", words("styles list"), noHome, 2,
         "RELIGHT_HOME= XDG_DATA_HOME= HOME=/"},
        {"HOME a relative folder", words("styles list"), noHome, 2, "RELIGHT_HOME= XDG_DATA_HOME= HOME=."},
        {"a window without a display", words("edit @in.png -o @new.png"), "cannot open a window (...", 2,
         "DISPLAY= WAYLAND_DISPLAY= SDL_VIDEODRIVER="},
        {"SIGTERM in a headless dialog", dialog, "cancelled: @in.png", 1, {}, {}, SIGTERM},
        {"SIGHUP in a headless dialog", dialog, "cancelled: @in.png", 1, {}, {}, SIGHUP},
        {"Ctrl-C while loading", reading("slow.png"), "cancelled: @slow.png", 1, {}, {}, 0, true},
        {"Ctrl-C while shading", probing("stop"), "cancelled: @in.png", 1},
        {"Ctrl-C while writing", probing("stoplast"), "cancelled: @out.png", 1},
        {"no output", words("apply @in.png --params @light.block"),
         "no output file given (use -o OUT, or --in-place)"},
        {"output is the input", writing("in.png"),
         "the output would overwrite the input (use --in-place for that): @in.png"},
        {"output and in place", with("--in-place"), "give either -o OUT or --in-place, not both"},
        {"area of three values", toOut("--area 1,2,3"), "--area wants X,Y,W,H, not '1,2,3'"},
        {"area not a number", toOut("--area 1,2,3,x"),
         "each value of --area must be a whole number from 0 to 32767, not 'x'"},
        {"unknown option", toOut("--frobnicate"),
         "unknown option --frobnicate for relight apply (see relight apply --help)"},
        {"option without its value", words("apply @in.png -o"),
         "option -o needs a value (see relight apply --help)"},
        {"value for a flag", toOut("--quiet=yes"),
         "option --quiet takes no value (see relight apply --help)"},
        {"no input", words("apply -o @out.png"), "no input image given (see relight apply --help)"},
        {"several images into a file", words("apply @in.png @grey.png -o @out.png --style Neon"),
         "several images need a folder for the results (-o FOLDER/): @out.png"},
        {"one image twice", words("apply @in.png @in.png -o @lit/ --style Neon"),
         "two images would write the same result..."},
        {"style and block", toOut("--style Noon --params @x"),
         "give either --style NAME or --params FILE, not both..."},
        {"edit of two images", words("edit @in.png @grey.png"), "unexpected argument '@grey.png'..."},
        {"unknown command", words("render @in.png"), "unknown command 'render' (see relight --help)"},
        {"script without headless", words("edit @in.png -o @out.png --script @bad.txt"),
         "--script replays on the headless screen: add --headless..."},
        {"record when headless", words("edit @in.png -o @out.png --headless --record @rec.txt"),
         "--record records a window's input: leave out..."},
        {"bad script line", words("edit @in.png -o @out.png --headless --script @bad.txt"),
         "bad input script (@bad.txt: line 2: unknown command 'fly'..."},
        {"text named .jpg", reading("text.jpg"),
         "not an image relight reads (PNG, JPEG, TIFF or WebP): @text.jpg"},
        {"standard output without a format", words("apply @in.png -o - --params @light.block"),
         "writing to standard output needs --format (png, jpeg, tiff or webp)"},
        {"unknown output type", writing("out.gif"),
         "unknown image type (use .png, .jpg, .jpeg, .tif, .tiff or .webp, or --format): @out.gif"},
        {"channel without a file", with("--channel nofile"), "--channel wants NAME=FILE, not 'nofile'"},
        {"damaged last settings", words("apply @in.png -o @new.png"),
         "bad parameter block (the parameter block has the wrong size): @state/relight/last.block"},
        {"missing plug-in", with("--plugin @nowhere.so"), "plug-in not found: @nowhere.so", 3},
        {"plug-in that is no library", with("--plugin @in.png"), "cannot load plug-in (...", 3},
        {"filter out of memory on its second tile", probing("fail"),
         "filter failed at continue with code -108 (out of memory): @in.png", 3},
        {"scale of 3", words("edit @in.png -o @new.png --headless --scale 3"),
         "--scale must be 1 or 2, not '3'"},
        {"scale from the environment", words("edit @in.png -o @new.png --headless"),
         "RELIGHT_SCALE must be 1 or 2, not '1.5'", 2, "RELIGHT_SCALE=1.5"},
        {"a pipe named like a style", toOut("--style Piped"),
         "no style named 'Piped' (see relight styles list)"},
        {"a pipe named like a style deleted", words("styles delete Piped"),
         "no style named 'Piped' (see relight styles list)"},
        {"case twins: the exact name applied, a style the filter refuses", toOut("--style dawn"),
         "damaged style file (the settings name a negative texture channel): ..."},
        {"case twins: the exact name deleted, a locked file", words("styles delete Dawn"),
         "the style file is locked and cannot be deleted: ..."},
        {"style import naming texture channel -1", words("styles import @channel.style"),
         "damaged style file (the settings name a negative texture channel): @channel.style"},
        {"style import of 65535 lights", words("styles import @many.style"),
         "damaged style file (the style must hold 1 to 16 lights): @many.style"},
        {"style import cut inside its first light", words("styles import @cut.style"),
         "damaged style file (the style is cut off inside its lights): @cut.style"},
        {"style import with 5000 bytes after its lights", words("styles import @trailing.style"),
         "damaged style file (the style has bytes after its last light): @trailing.style"},
        {"TIFF over the pixel limit", reading("bomb.tif"),
         "image has 1073676289 pixels, more than the limit of 250000000 (see --max-pixels): @bomb.tif"},
        {"TIFF lying about its size", reading("lying.tif"), "damaged TIFF image (..."},
        {"TIFF of a kind not read", reading("separated.tif"),
         "TIFF image of a kind relight does not read..."},
        {"WebP over the pixel limit", reading("bomb.webp"),
         "image has 268435456 pixels, more than the limit of 250000000 (see --max-pixels): @bomb.webp"},
        {"WebP lying about its size", reading("lying.webp"),
         "damaged WebP image (it does not decode): @lying.webp"},
        {"RIFF that is no WebP", reading("riff.webp"), "not a WebP image: @riff.webp"},
        {"WebP longer than its pixels can take", reading("long.webp"),
         "damaged WebP image (longer than a picture of its size can be): @long.webp"},
        {"WebP output wider than WebP holds", words("apply @wide.png -o @new.webp --params @light.block"),
         "cannot write WebP image (it holds at most 16383 pixels on a side): @new.webp"},
    };
    if (geteuid() == 0)
        cases.push_back({"settings saved onto a device", with("--save-params @device"),
                         "not a regular file (a device, pipe or socket is never replaced): @device"});
    for (const Refusal& bad : cases) {
        SCOPED_TRACE(bad.what);
        const RunResult r = RelightMeanwhile(bad.args, words(bad.environment), [&](pid_t pid) {
            if (bad.interruptWhileReading)
                FeedWithInterrupt(pid);
            if (bad.signal) {
                for (int tries = 0; tries < 6000 && !std::filesystem::exists(Path("open.png")); ++tries)
                    usleep(10000);
                kill(pid, bad.signal);
            }
        });
        EXPECT_EQ(r.status, bad.status) << r.err;
        const std::string line = Expand("relight: " + bad.message);
        const bool prefix = line.size() > 3 && line.compare(line.size() - 3, 3, "...") == 0;
        if (prefix)
            EXPECT_EQ(r.err.rfind(line.substr(0, line.size() - 3), 0), 0u) << r.err;
        else
            EXPECT_EQ(r.err, line + "\n");
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_LT(r.peakKiB, r.inheritedKiB + (300 << 10))
            << "a header's claim must cost nothing before its rows arrive";
        std::filesystem::remove(Path("open.png"));
        std::map<std::string, std::string> after = Contents();
        if (!bad.product.empty()) {
            EXPECT_EQ(after.erase(Path(bad.product)), 1u) << "the product is missing";
            std::filesystem::remove(Path(bad.product));
        }
        EXPECT_TRUE(after == before_) << "a file was added, changed or removed";
    }
}

} // namespace
