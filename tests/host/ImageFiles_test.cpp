// Image files in and out: PNG depths and colour types, JPEG, TIFF and WebP, pipes, sizes the record
// cannot address; photographs as cameras and editors write them (stored turned, with an EXIF
// orientation saying how to show them, and carrying a colour profile, EXIF and XMP, which pass to
// every output format); and the image streaming alongside the filter, source rows decoded ahead of
// the tiles and result rows written behind them, each case giving what a whole-image read and
// write would.
#include "ByteFields.h"
#include "CliSupport.h"

#include <algorithm>
#include <tiffio.h>
#include <tuple>

namespace {

using Bytes = std::string;

// EXIF as a camera writes it: a first directory with the orientation, an artist's name (stored
// after the directories) and the EXIF directory, which gives the pixel size; then the thumbnail's
// directory, linked from the first unless `thumbnail` is false.
Bytes Exif(int orientation, bool little, std::uint32_t width = 24, std::uint32_t height = 16,
           bool thumbnail = true) {
    const auto n16 = [&](std::uint32_t v) { return Int(v, 2, little); };
    const auto n32 = [&](std::uint32_t v) { return Int(v, 4, little); };
    const Bytes artist("A. Painter\0", 11);
    return Bytes(little ? "II" : "MM") + n16(42) + n32(8) + n16(3) +
           IfdEntry(0x0112, 3, 1, n16(std::uint32_t(orientation)) + n16(0), little) +
           IfdEntry(0x013B, 2, 11, n32(98), little) + IfdEntry(0x8769, 4, 1, n32(50), little) +
           n32(thumbnail ? 80 : 0) + n16(2) + IfdEntry(0xA002, 4, 1, n32(width), little) +
           IfdEntry(0xA003, 4, 1, n32(height), little) + n32(0) + n16(1) +
           IfdEntry(0x0103, 3, 1, n16(6) + n16(0), little) + n32(0) + artist;
}

// An RGB display profile of `size` bytes (a multiple of 4): a header, no tags, then filler.
Bytes Profile(std::size_t size) {
    Bytes icc = Int(std::uint32_t(size), 4) + Bytes(4, '\0') + Int(0x02100000, 4) + "mntrRGB XYZ " +
                Bytes(12, '\0') + "acsp" + Bytes(24, '\0') + Int(0, 4) + Int(0xF6D6, 4) + Int(0x10000, 4) +
                Int(0xD32D, 4) + Bytes(48, '\0') + Int(0, 4);
    for (std::size_t i = icc.size(); i < size; ++i)
        icc += char(i * 7);
    return icc;
}

const Bytes kXmp = "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF/></x:xmpmeta>";

struct Metadata {
    Bytes icc, exif, xmp;
    bool operator==(const Metadata&) const = default;
};

const Bytes kXmpKey("XML:com.adobe.xmp\0", 18);
const Bytes kExifName("Exif\0\0", 6);
const Bytes kXmpName("http://ns.adobe.com/xap/1.0/\0", 29);
const Bytes kIccName("ICC_PROFILE\0", 12);

// `png` with `m`'s chunks after its header chunk, or with its EXIF and XMP at the end, after the
// pixels, when `late`.
Bytes WithPngMetadata(const Bytes& png, const Metadata& m, bool late = false) {
    uLongf packed = compressBound(uLong(m.icc.size()));
    Bytes deflated(packed, '\0');
    compress(reinterpret_cast<Bytef*>(deflated.data()), &packed, reinterpret_cast<const Bytef*>(m.icc.data()),
             uLong(m.icc.size()));
    deflated.resize(packed);
    const Bytes profile = PngChunk("iCCP", Bytes("ICC profile\0\0", 13) + deflated);
    const Bytes text = PngChunk("eXIf", m.exif) + PngChunk("iTXt", kXmpKey + Bytes(4, '\0') + m.xmp);
    const std::size_t end = png.size() - 12;
    return late ? png.substr(0, 33) + profile + png.substr(33, end - 33) + text + png.substr(end)
                : png.substr(0, 33) + profile + text + png.substr(33);
}

// `jpeg` with `m`'s blocks after its start, the profile in pieces of 60000 bytes.
Bytes WithJpegMetadata(const Bytes& jpeg, const Metadata& m) {
    const auto block = [](char marker, const Bytes& data) {
        return Bytes("\xFF") + marker + Int(std::uint32_t(data.size() + 2), 2) + data;
    };
    Bytes blocks = block('\xE1', kExifName + m.exif) + block('\xE1', kXmpName + m.xmp);
    const std::size_t piece = 60000, pieces = (m.icc.size() + piece - 1) / piece;
    for (std::size_t i = 0; i < pieces; ++i)
        blocks += block('\xE2', kIccName + char(i + 1) + char(pieces) + m.icc.substr(i * piece, piece));
    return jpeg.substr(0, 2) + blocks + jpeg.substr(2);
}

Metadata PngMetadata(const Bytes& png) {
    Metadata m;
    for (std::size_t at = 8; at + 12 <= png.size();) {
        const std::size_t length = IntAt(png, at, 4);
        const Bytes type = png.substr(at + 4, 4), data = png.substr(at + 8, length);
        if (type == "iCCP") {
            uLongf size = 1 << 20;
            m.icc.assign(size, '\0');
            const std::size_t start = data.find('\0') + 2;
            uncompress(reinterpret_cast<Bytef*>(m.icc.data()), &size,
                       reinterpret_cast<const Bytef*>(data.data() + start), uLong(data.size() - start));
            m.icc.resize(size);
        } else if (type == "eXIf") {
            m.exif = data;
        } else if (type == "iTXt" && data.rfind(kXmpKey, 0) == 0) {
            m.xmp = data.substr(data.find('\0', data.find('\0', kXmpKey.size() + 2) + 1) + 1);
        }
        at += 12 + length;
    }
    return m;
}

Metadata JpegMetadata(const Bytes& jpeg) {
    Metadata m;
    for (std::size_t at = 2; at + 4 <= jpeg.size() && jpeg[at + 1] != '\xDA';) {
        const std::size_t length = IntAt(jpeg, at + 2, 2);
        const Bytes data = jpeg.substr(at + 4, length - 2);
        for (const auto& [name, part] :
             {std::pair{kExifName, &m.exif}, {kXmpName, &m.xmp}, {kIccName, &m.icc}})
            if (data.rfind(name, 0) == 0)
                *part += data.substr(name.size() + (part == &m.icc ? 2 : 0));
        at += 2 + length;
    }
    return m;
}

// How a TIFF stores its pixels: strips of interleaved samples (three rows each), tiles (16 x 16),
// a plane per sample, grey with white as 0, a palette of greys (indices the grey values).
enum class TiffKind { strips, tiles, planes, white, palette };

// `image` as a TIFF of `bits` (16: each sample x 257) of `kind`.
void WriteTiff(const std::string& path, const Pixels& image, int bits, std::uint16_t compression,
               TiffKind kind = TiffKind::strips) {
    TIFF* tiff = TIFFOpen(path.c_str(), "w");
    const std::uint16_t extra[1] = {EXTRASAMPLE_UNASSALPHA};
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, std::uint32_t(image.width));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, std::uint32_t(image.height));
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, bits);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, image.channels);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC,
                 kind == TiffKind::white     ? PHOTOMETRIC_MINISWHITE
                 : kind == TiffKind::palette ? PHOTOMETRIC_PALETTE
                 : image.channels < 3        ? PHOTOMETRIC_MINISBLACK
                                             : PHOTOMETRIC_RGB);
    std::vector<std::uint16_t> greys(256);
    for (std::size_t i = 0; i < greys.size(); ++i)
        greys[i] = std::uint16_t(i * 257);
    if (kind == TiffKind::palette)
        TIFFSetField(tiff, TIFFTAG_COLORMAP, greys.data(), greys.data(), greys.data());
    if (image.channels % 2 == 0)
        TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, 1, extra);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, compression);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG,
                 kind == TiffKind::planes ? PLANARCONFIG_SEPARATE : PLANARCONFIG_CONTIG);
    if (kind == TiffKind::tiles) {
        TIFFSetField(tiff, TIFFTAG_TILEWIDTH, 16);
        TIFFSetField(tiff, TIFFTAG_TILELENGTH, 16);
    } else {
        TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, 3);
    }
    // Sample c of pixel (x, y) as stored (a 16-bit sample k x 257 is k in both bytes), zero past the
    // edge of a tile.
    const auto put = [&](std::vector<std::uint8_t>& to, int x, int y, int c) {
        const std::uint8_t v = x < image.width && y < image.height ? image.at(x, y)[c] : 0;
        to.insert(to.end(), std::size_t(bits / 8), kind == TiffKind::white ? std::uint8_t(255 - v) : v);
    };
    const int planes = kind == TiffKind::planes ? image.channels : 1;
    for (int s = 0; kind != TiffKind::tiles && s < planes; ++s)
        for (int y = 0; y < image.height; ++y) {
            std::vector<std::uint8_t> row;
            for (int x = 0; x < image.width; ++x)
                for (int c = s; c < s + image.channels / planes; ++c)
                    put(row, x, y, c);
            TIFFWriteScanline(tiff, row.data(), std::uint32_t(y), std::uint16_t(s));
        }
    for (int y = 0; kind == TiffKind::tiles && y < image.height; y += 16)
        for (int x = 0; x < image.width; x += 16) {
            std::vector<std::uint8_t> tile;
            for (int v = y; v < y + 16; ++v)
                for (int u = x; u < x + 16; ++u)
                    for (int c = 0; c < image.channels; ++c)
                        put(tile, u, v, c);
            TIFFWriteTile(tiff, tile.data(), std::uint32_t(x), std::uint32_t(y), 0, 0);
        }
    TIFFClose(tiff);
}

// A TIFF's profile and XMP, and in place of EXIF its bits per sample, then its artist and the
// pixel size its Exif directory gives, if it has them.
Metadata TiffMetadata(const std::string& path) {
    TIFF* tiff = TIFFOpen(path.c_str(), "r");
    Metadata m;
    std::uint32_t count = 0;
    void* data = nullptr;
    for (const auto& [tag, part] : {std::pair{TIFFTAG_ICCPROFILE, &m.icc}, {TIFFTAG_XMLPACKET, &m.xmp}})
        if (TIFFGetField(tiff, tag, &count, &data))
            part->assign(static_cast<const char*>(data), count);
    std::uint16_t bits = 0;
    TIFFGetField(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
    m.exif = std::to_string(bits);
    char* artist = nullptr;
    if (TIFFGetField(tiff, TIFFTAG_ARTIST, &artist))
        m.exif += std::string(" ") + artist;
    std::uint64_t exif = 0;
    std::uint32_t width = 0, height = 0;
    if (TIFFGetField(tiff, TIFFTAG_EXIFIFD, &exif) && TIFFReadEXIFDirectory(tiff, exif) &&
        TIFFGetField(tiff, EXIFTAG_PIXELXDIMENSION, &width) &&
        TIFFGetField(tiff, EXIFTAG_PIXELYDIMENSION, &height))
        m.exif += " " + std::to_string(width) + "x" + std::to_string(height);
    TIFFClose(tiff);
    return m;
}

Metadata WebpMetadata(const Bytes& webp) {
    Metadata m;
    const auto le32 = [&](std::size_t at) { return IntAt(webp, at, 4, true); };
    for (std::size_t at = 12; at + 8 <= webp.size(); at += 8 + (le32(at + 4) + 1) / 2 * 2) {
        const Bytes type = webp.substr(at, 4), data = webp.substr(at + 8, le32(at + 4));
        for (const auto& [fourcc, part] : {std::pair{"ICCP", &m.icc}, {"EXIF", &m.exif}, {"XMP ", &m.xmp}})
            if (type == fourcc)
                *part = data;
    }
    return m;
}

// What an orientation asks of the stored pixels to show them upright: exchange rows and columns,
// then mirror left to right and top to bottom.
struct Turn {
    int orientation;
    bool transpose, mirrorX, mirrorY;
};
constexpr Turn kTurns[] = {{1, false, false, false}, {2, false, true, false}, {3, false, true, true},
                           {4, false, false, true},  {5, true, false, false}, {6, true, true, false},
                           {7, true, true, true},    {8, true, false, true}};

Pixels Turned(const Pixels& stored, const Turn& turn) {
    Pixels out = stored;
    if (turn.transpose)
        std::swap(out.width, out.height);
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x) {
            const int u = turn.mirrorX ? out.width - 1 - x : x, v = turn.mirrorY ? out.height - 1 - y : y;
            std::copy_n(turn.transpose ? stored.at(v, u) : stored.at(u, v), stored.channels, out.at(x, y));
        }
    return out;
}

// `in` with the pixels inside x0 <= x < x1, y0 <= y < y1 inverted, as the probe does.
Pixels invertedInside(Pixels in, int x0, int y0, int x1, int y1) {
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            for (int c = 0; c < 3; ++c) {
                std::uint8_t& s = in.samples[std::size_t((y * in.width + x) * 3 + c)];
                s = std::uint8_t(255 - s);
            }
    return in;
}

class ImageFiles : public CliTest {
  protected:
    void SetUp() override {
        CliTest::SetUp();
        WriteBytes(Path("probe.block"), ProbeBlock(probeInvert));
        WriteBytes(Path("light.block"), LightingBlock());
    }
    // Inverts `in` with the probe into `out` (none: the options say where), expecting `status`.
    RunResult invert(const std::string& in, const std::string& out, std::vector<std::string> extra = {},
                     int status = 0) const {
        std::vector<std::string> args = {"apply", "@" + in, "--params", "@probe.block"};
        if (!out.empty())
            args.insert(args.end(), {"-o", "@" + out});
        args.insert(args.end(), extra.begin(), extra.end());
        const RunResult r = Probe(args);
        EXPECT_EQ(r.status, status) << r.err;
        return r;
    }
    void light(const std::string& in, const std::string& out) const {
        Succeeds({"apply", "@" + in, "-o", "@" + out, "--params", "@light.block", "--quiet"});
    }
    // The samples read back, and the PNG's bit depth and colour type from its header.
    std::tuple<std::vector<std::uint8_t>, int, int> png(const std::string& name) const {
        const std::string bytes = ReadBytes(Path(name));
        return {ReadPng(Path(name)).samples, bytes[24], bytes[25]};
    }
};

class Photos : public ImageFiles {};
class Streaming : public ImageFiles {};

using Samples = std::vector<std::uint8_t>;

TEST_F(ImageFiles, PngColourTypesBecomeRGBKeepingAlphaAndDepth) {
    // 16-bit samples k x 257 are exactly k in 8 bits; 0x1234 (4660) is 18.13 x 257, so 18. Lit in
    // 8 bits, written in 16 (as k x 257, which the reader turns back into k).
    WritePng16(Path("grey16.png"), 2, 2, 1, {0, 0x8080, 0xFFFF, 0x1234});
    EXPECT_EQ(invert("grey16.png", "a.png").err,
              Expand("relight: lit in 8 bits, written in 16 (each value x 257): @a.png\n"));
    EXPECT_EQ(png("a.png"), std::tuple(Samples{255, 255, 255, 127, 127, 127, 0, 0, 0, 237, 237, 237}, 16, 2));
    WritePng16(Path("rgb16.png"), 1, 1, 3, {257 * 10, 257 * 200, 0x1234});
    invert("rgb16.png", "b.png");
    EXPECT_EQ(ReadPng(Path("b.png")).samples, (Samples{245, 55, 237}));
    WritePalettePng(Path("palette.png"), 3, 1, {2, 0, 1}, {10, 20, 30, 40, 50, 60, 70, 80, 90});
    invert("palette.png", "c.png");
    EXPECT_EQ(png("c.png"), std::tuple(Samples{185, 175, 165, 245, 235, 225, 215, 205, 195}, 8, 2));

    // Grey with alpha: three equal colour channels, the alpha a fourth channel (texture 4), and
    // written back untouched. Red: alpha up-left (edge-repeated), green: alpha here, blue: alpha
    // down-right.
    WritePng(Path("ga.png"), Pixels{2, 1, 2, {30, 200, 90, 7}});
    WriteBytes(Path("alpha.block"), ProbeBlock(probeInvert, 4));
    ASSERT_EQ(Probe({"apply", "@ga.png", "-o", "@d.png", "--params", "@alpha.block"}).status, 0);
    EXPECT_EQ(png("d.png"), std::tuple(Samples{200, 200, 7, 200, 200, 7, 7, 7}, 8, 6));

    // In place, what the file's format cannot hold again is lost only with --force.
    WriteBytes(Path("ga.jpg"), ReadBytes(Path("ga.png")));
    invert("ga.jpg", "", {"--in-place"}, 2);
    invert("ga.jpg", "", {"--in-place", "--force"});
}

TEST_F(ImageFiles, JpegInAndOut) {
    // Uniform blocks survive JPEG at quality 100 to within a few steps of rounding. Stray bytes
    // before a marker only make the decoder warn: the picture is whole.
    WriteJpeg(Path("grey.jpg"), Uniform(16, 16, {100}), 100);
    WriteJpeg(Path("colour.jpeg"), Uniform(16, 16, {200, 100, 50}), 100);
    std::string stray = ReadBytes(Path("grey.jpg"));
    WriteBytes(Path("stray.jpg"), stray.insert(stray.find("\xFF\xDA"), "\x00\x01\x02", 3));
    WritePng(Path("in.png"), Uniform(16, 16, {10, 120, 240}));
    invert("grey.jpg", "a.png");
    invert("colour.jpeg", "b.PNG");
    invert("stray.jpg", "c.png");
    // The JPEG written is read back inverted once more, by the reader the first two cases check.
    invert("in.png", "out.jpg", {"--quality", "100"});
    invert("out.jpg", "back.png");
    const Pixels results[] = {ReadPng(Path("a.png")), ReadPng(Path("b.PNG")), ReadPng(Path("back.png"))};
    const int expected[][4] = {{155, 155, 155, 1}, {55, 155, 205, 3}, {10, 120, 240, 3}}; // and the tolerance
    for (int i = 0; i < 3; ++i)
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(results[i].At(5, 5, c), expected[i][c], expected[i][3])
                << "result " << i << " channel " << c;

    WritePng(Path("busy.png"), Gradient(64, 64, 3));
    invert("busy.png", "low.jpg", {"--quality", "5"});
    invert("busy.png", "high.jpg", {"--quality=100"});
    EXPECT_LT(ReadBytes(Path("low.jpg")).size(), ReadBytes(Path("high.jpg")).size());
    invert("busy.png", "bad.jpg", {"--quality", "101"}, 2);
}

TEST_F(ImageFiles, TypeFromContentsInPipesOut) {
    WritePng(Path("in.png"), Gradient(24, 16, 3));
    invert("in.png", "ref.png");
    const std::string expected = ReadBytes(Path("ref.png"));
    WriteBytes(Path("png.jpg"), ReadBytes(Path("in.png")));
    WriteBytes(Path("stdin"), ReadBytes(Path("in.png")));
    const std::vector<std::vector<std::string>> cases = {{"@png.jpg", "@a.png"},
                                                         {"-", "@b.png"},
                                                         {"@in.png", "@c.jpg", "--format", "png"},
                                                         {"@in.png", "-", "--format", "PNG"}};
    for (const std::vector<std::string>& c : cases) {
        SCOPED_TRACE(c[0] + " -> " + c[1]);
        std::vector<std::string> args = {"apply", c[0], "-o", c[1], "--params", "@probe.block", "--quiet"};
        args.insert(args.end(), c.begin() + 2, c.end());
        const RunResult r = Probe(args);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(c[1] == "-" ? r.out : ReadBytes(Expand(c[1])), expected);
    }
}

TEST_F(Photos, TurnedImagesAreLitAndWrittenUpright) {
    // The stored pixels, turned by hand and lit, give the result. The JPEG's decoded pixels come
    // through two inversions into PNG, each exact.
    WriteJpeg(Path("plain.jpg"), Gradient(24, 16, 3), 95);
    WritePng(Path("plain.png"), Gradient(24, 16, 3));
    invert("plain.jpg", "inverted.png");
    invert("inverted.png", "decoded.png");
    // A PNG may keep its EXIF after the pixels, yet the orientation is needed before them.
    const std::tuple<std::string, std::string, Pixels> inputs[] = {
        {"jpg", "jpg", ReadPng(Path("decoded.png"))},
        {"png", "png", ReadPng(Path("plain.png"))},
        {"png, EXIF after the pixels", "png", ReadPng(Path("plain.png"))}};
    for (const auto& [kind, type, stored] : inputs)
        for (const Turn& turn : kTurns) {
            SCOPED_TRACE(kind + " orientation " + std::to_string(turn.orientation));
            const Metadata m{"", Exif(turn.orientation, turn.orientation % 2 == 0), kXmp};
            const Bytes plain = ReadBytes(Path("plain." + type));
            WriteBytes(Path("turned." + type),
                       type == "jpg" ? WithJpegMetadata(plain, m) : WithPngMetadata(plain, m, kind != type));
            WritePng(Path("upright.png"), Turned(stored, turn));
            light("turned." + type, "out.png");
            light("upright.png", "expected.png");
            const Pixels out = ReadPng(Path("out.png")), expected = ReadPng(Path("expected.png"));
            EXPECT_EQ(std::pair(out.width, out.height), std::pair(expected.width, expected.height));
            EXPECT_TRUE(out.samples == expected.samples);
            // A quarter turn exchanges the pixel size and unlinks the sideways thumbnail.
            const Metadata kept = PngMetadata(ReadBytes(Path("out.png")));
            EXPECT_EQ(kept.exif, turn.transpose ? Exif(1, turn.orientation % 2 == 0, 16, 24, false)
                                                : Exif(1, turn.orientation % 2 == 0));
            EXPECT_EQ(kept.xmp, kXmp);
        }
}

TEST_F(Photos, ProfileExifAndXmpPassToEachFormat) {
    // The profile spans three JPEG blocks; the orientation comes out reset. TIFF keeps EXIF's text
    // as its own tags and its Exif directory as one it links to, and gives back a block of them,
    // its orientation left out when the TIFF has none.
    const Metadata in{Profile(150000), Exif(3, false), kXmp};
    WritePng(Path("plain.png"), Gradient(16, 8, 3));
    WriteJpeg(Path("plain.jpg"), Gradient(16, 8, 3), 90);
    WriteBytes(Path("in.png"), WithPngMetadata(ReadBytes(Path("plain.png")), in));
    WriteBytes(Path("in.jpg"), WithJpegMetadata(ReadBytes(Path("plain.jpg")), in));
    light("in.png", "in.webp");
    light("in.png", "in.tif");
    const Bytes fromTiff = "MM" + Int(42, 2) + Int(8, 4) + Int(2, 2) + IfdEntry(0x013B, 2, 11, Int(38, 4)) +
                           IfdEntry(0x8769, 4, 1, Int(50, 4)) + Int(0, 4) + Bytes("A. Painter\0\0", 12) +
                           Int(2, 2) + IfdEntry(0xA002, 4, 1, Int(24, 4)) +
                           IfdEntry(0xA003, 4, 1, Int(16, 4)) + Int(0, 4);
    for (const std::string from : {"png", "jpg", "tif", "webp"})
        for (const std::string to : {"png", "jpg", "tif", "webp"}) {
            SCOPED_TRACE(from + " -> " + to);
            light("in." + from, "out." + to);
            const Bytes out = ReadBytes(Path("out." + to));
            const Metadata found = to == "png"    ? PngMetadata(out)
                                   : to == "jpg"  ? JpegMetadata(out)
                                   : to == "webp" ? WebpMetadata(out)
                                                  : TiffMetadata(Path("out.tif"));
            const Bytes exif = to == "tif" ? "8 A. Painter 24x16" : from == "tif" ? fromTiff : Exif(1, false);
            EXPECT_TRUE(found == (Metadata{in.icc, exif, kXmp}));
        }
    const Metadata expected{in.icc, Exif(1, false), kXmp};
    // Kept, it no longer needs --force in place; what no format carries still does.
    Succeeds({"apply", "@in.jpg", "--in-place", "--params", "@light.block"});
    EXPECT_TRUE(JpegMetadata(ReadBytes(Path("in.jpg"))) == expected);
    const Bytes text = PngChunk("tEXt", Bytes("Comment\0hello", 13));
    const Bytes plain = ReadBytes(Path("plain.png"));
    WriteBytes(Path("text.png"), plain.substr(0, 33) + text + plain.substr(33));
    EXPECT_EQ(Relight({"apply", "@text.png", "--in-place", "--params", "@light.block"}).status, 2);
}

TEST_F(Photos, TiffKindsReadAndWriteLikePng) {
    // Each kind, inverted, equals its 8-bit PNG twin inverted; inverted again into TIFF of its
    // depth and read back, it is the original.
    const std::tuple<int, int, std::uint16_t, TiffKind> kinds[] = {
        {1, 8, COMPRESSION_NONE, TiffKind::strips},
        {2, 8, COMPRESSION_LZW, TiffKind::strips},
        {3, 8, COMPRESSION_ADOBE_DEFLATE, TiffKind::strips},
        {4, 16, COMPRESSION_NONE, TiffKind::strips},
        {1, 16, COMPRESSION_ADOBE_DEFLATE, TiffKind::strips},
        {3, 16, COMPRESSION_LZW, TiffKind::strips},
        // Kinds libtiff converts: 8 bits, read a strip or a row of tiles at a time.
        {3, 8, COMPRESSION_LZW, TiffKind::tiles},
        {3, 8, COMPRESSION_NONE, TiffKind::planes},
        {1, 8, COMPRESSION_ADOBE_DEFLATE, TiffKind::white},
        {1, 8, COMPRESSION_NONE, TiffKind::palette}};
    for (const auto& [channels, bits, compression, kind] : kinds) {
        SCOPED_TRACE(testing::Message() << channels << " channels of " << bits << " bits, compression "
                                        << compression << ", kind " << int(kind));
        const Pixels original = Gradient(20, 12, channels);
        WriteTiff(Path("in.tif"), original, bits, compression, kind);
        WritePng(Path("in.png"), original);
        invert("in.tif", "a.png");
        invert("in.png", "b.png");
        EXPECT_TRUE(ReadPng(Path("a.png")).samples == ReadPng(Path("b.png")).samples);
        invert("in.tif", "out.tif");
        EXPECT_EQ(TiffMetadata(Path("out.tif")).exif, std::to_string(bits));
        invert("out.tif", "back.png");
        EXPECT_TRUE(ReadPng(Path("back.png")).samples == ReadPng(Path("in.png")).samples);
    }
}

TEST_F(Photos, WebpKeepsAlphaAndIsLosslessAtQuality100) {
    // Smooth, as lossy coding expects; odd sides: the last row and column share their colour with
    // no neighbour.
    Pixels original{25, 17, 4, {}};
    for (int y = 0; y < original.height; ++y)
        for (int x = 0; x < original.width; ++x)
            for (int c = 0; c < 4; ++c)
                original.samples.push_back(std::uint8_t(x * 3 + y * 4 + c * 30));
    WritePng(Path("in.png"), original);
    invert("in.png", "out.webp", {"--quality", "100"});
    invert("out.webp", "back.png");
    EXPECT_TRUE(ReadPng(Path("back.png")).samples == ReadPng(Path("in.png")).samples);
    invert("in.png", "low.webp", {"--quality", "10"});
    invert("in.png", "high.webp", {"--quality", "95"});
    EXPECT_LT(ReadBytes(Path("low.webp")).size(), ReadBytes(Path("high.webp")).size());
    // Lossy keeps the alpha exactly and the colours near.
    invert("high.webp", "near.png");
    const Pixels near = ReadPng(Path("near.png"));
    long error = 0;
    for (std::size_t i = 0; i < near.samples.size(); ++i)
        if (i % 4 == 3)
            EXPECT_EQ(near.samples[i], original.samples[i]);
        else
            error += std::abs(int(near.samples[i]) - int(original.samples[i]));
    EXPECT_LT(error, 3 * original.width * original.height) << "more than a level a sample on average";
}

TEST_F(Streaming, EveryRowArrivesOnceInOrder) {
    // 203 rows: a last decoded band and a last tile row that are not full.
    const Pixels in = Gradient(70, 203, 3);
    WritePng(Path("in.png"), in);
    invert("in.png", "out.png");
    EXPECT_EQ(ReadPng(Path("out.png")).samples, invertedInside(in, 0, 0, 70, 203).samples);

    // Rows above and below the area are finished before and after the filter's.
    invert("in.png", "area.png", {"--area", "5,37,30,101"});
    EXPECT_EQ(ReadPng(Path("area.png")).samples, invertedInside(in, 5, 37, 35, 138).samples);

    // Interlaced rows are whole only after the last pass.
    WriteInterlacedPng(Path("adam7.png"), in);
    invert("adam7.png", "adam7-out.png");
    EXPECT_EQ(ReadPng(Path("adam7-out.png")).samples, invertedInside(in, 0, 0, 70, 203).samples);

    // The widest image the record addresses: 32767 is within the limit.
    WritePng(Path("edge.png"), Uniform(32767, 1, {0}));
    invert("edge.png", "edge-out.png");
}

TEST_F(Streaming, RowsHandedBackAgainReplaceWhatWasSent) {
    // The probe inverts every 16 x 16 tile, then hands the first back as it was delivered: the
    // rows it covers may be in the file already and must be sent again.
    const Pixels in = Gradient(40, 300, 3);
    WritePng(Path("in.png"), in);
    WriteBytes(Path("rewrite.block"), ProbeBlock(probeRewrite));
    for (const std::string out : {"out.png", "out.jpg"}) {
        EXPECT_EQ(
            Probe({"apply", "@in.png", "-o", "@" + out, "--params", "@rewrite.block", "--quality", "100"})
                .status,
            0);
    }
    Pixels expected = invertedInside(in, 0, 0, 40, 300);
    expected = invertedInside(expected, 0, 0, 16, 16);
    EXPECT_EQ(ReadPng(Path("out.png")).samples, expected.samples);
    // The JPEG is the one a plain run gives for the same pixels, not two images run together.
    WritePng(Path("pre.png"), invertedInside(expected, 0, 0, 40, 300));
    invert("pre.png", "plain.jpg", {"--quality", "100"});
    EXPECT_EQ(ReadBytes(Path("out.jpg")), ReadBytes(Path("plain.jpg")));
}

} // namespace
