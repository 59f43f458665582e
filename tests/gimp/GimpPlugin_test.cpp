// relight-gimp in GIMP's batch mode. One GIMP session (its start-up is the cost) lights generated
// images every way the plug-in runs; each result must equal, sample for sample, what the relight
// program gives with the same settings, area, mask or dialog input.
#include "CliSupport.h"

#include <filesystem>
#include <unistd.h>

namespace {

const std::string kDialogInput =
    "wait 100\nchoose @20 Neon\nwait 100\ndown @21\nmove @6:0.3,0.35\nup @6:0.3,0.35\nwait 100\nclick @1\n";

struct Case {
    std::string name;
    std::string input;   // rgb.png or rgba.png
    std::string prepare; // Script-Fu run on `image` before the plug-in
    std::string mode;    // the plug-in's run mode
    std::string style;   // its style and block-file arguments
    std::string block;
    // relight's arguments for the same result, after IN -o OUT; none: the input stays as it was.
    std::vector<std::string> relight;
};

// Selects a rectangle; the plug-in's area is the selection's bounds.
const std::string kRectangle = "(gimp-image-select-rectangle image CHANNEL-OP-REPLACE 8 6 30 24)";
// A feathered selection inside the image: its saved copy is relight's mask, its bounds the area.
const std::string kFeathered = "(gimp-image-select-rectangle image CHANNEL-OP-REPLACE 14 12 20 14)"
                               "(gimp-selection-feather image 8)"
                               "(save-selection image \"DIR/mask.png\")";

const std::string kBatch = "RUN-NONINTERACTIVE", kInteractive = "RUN-INTERACTIVE", kBlock = "DIR/neon.block";
const std::vector<std::string> kWithBlock = {"--params", kBlock};
const std::string kOkInput = "(dialog-input \"" + kDialogInput + "\")";
const std::string kCancelInput = "(dialog-input \"wait 100\nchoose @20 Neon\n\")";
const std::string kReopenInput = "wait 100\nclick @1\n";
const std::string kReopenScript = "(dialog-input \"" + kReopenInput + "\")";
const std::vector<std::string> kReopenRun = {"--headless", "--script", "DIR/reopen.script"};
const std::string kGrey = "(gimp-image-convert-grayscale image)";
const std::string kSixteen = "(gimp-image-convert-precision image PRECISION-U16-GAMMA)";
const std::vector<std::string> kMasked = {"--params", kBlock, "--mask", "DIR/mask.png", "--area", "AREA"};

const std::vector<Case> kCases = {
    {"style-rgba", "rgba.png", "", kBatch, "Stage Trio", "", {"--style", "Stage Trio"}},
    {"block-rgba", "rgba.png", "", kBatch, "", kBlock, kWithBlock},
    {"repeat", "rgb.png", "", "RUN-WITH-LAST-VALS", "", "", kWithBlock},
    {"rectangle", "rgba.png", kRectangle, kBatch, "", kBlock, {"--params", kBlock, "--area", "8,6,30,24"}},
    {"feathered", "rgba.png", kFeathered, kBatch, "", kBlock, kMasked},
    {"dialog", "rgb.png", kOkInput, kInteractive, "", "", {"--headless", "--script", "DIR/ok.script"}},
    {"cancelled", "rgb.png", kCancelInput, kInteractive, "", "", {}},
    // Opens as the last accepted dialog closed, as relight edit opens with the last settings.
    {"reopened", "rgba.png", kReopenScript, kInteractive, "", "", kReopenRun},
    {"refused-grey", "rgb.png", kGrey, kBatch, "Noon", "", {}},
    {"refused-16-bit", "rgb.png", kSixteen, kBatch, "Noon", "", {}},
};

const char* const kHelpers = R"(
(define (open name) (car (gimp-file-load RUN-NONINTERACTIVE name name)))
(define (layer image) (car (gimp-image-get-active-layer image)))
(define (save image name)
  (file-png-save2 RUN-NONINTERACTIVE image (layer image) name name 0 9 0 0 0 0 0 0 1))
(define (dialog-input text)
  (let ((port (open-output-file "DIR/dialog.script"))) (display text port) (close-output-port port)))
(define (save-selection image name)
  (let ((saved (car (gimp-selection-save image))))
    (gimp-selection-none image)
    (gimp-edit-copy saved)
    (save (car (gimp-edit-paste-as-new-image)) name)
    (gimp-image-select-item image CHANNEL-OP-REPLACE saved)
    (gimp-image-remove-channel image saved)))
)";

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// GIMP's command line for the session in `dir`: one batch command a case, each loading the helpers,
// so that a refusal (printed on stderr) does not stop the cases after it. Each case opens its input,
// prepares it, calls the plug-in and saves the layer; the feathered case saves its selection again.
std::vector<std::string> sessionCommands(const std::string& dir) {
    std::vector<std::string> argv = {GIMP_CONSOLE, "-i", "-d", "-f"};
    for (const Case& c : kCases) {
        const std::string command =
            "(load \"DIR/helpers.scm\")(let ((image (open \"DIR/" + c.input + "\")))" + c.prepare +
            "(plug-in-relight " + c.mode + " image (layer image) \"" + c.style + "\" \"" + c.block +
            "\")(save image \"DIR/" + c.name + ".png\")" +
            (c.prepare == kFeathered ? "(save-selection image \"DIR/kept.png\")" : "") + ")";
        argv.insert(argv.end(), {"-b", replaced(command, "DIR/", dir)});
    }
    argv.insert(argv.end(), {"-b", "(gimp-quit 0)"});
    return argv;
}

// The bounds of the mask's non-zero samples, as relight's --area takes them.
std::string boundsOf(const Pixels& mask) {
    int left = mask.width, top = mask.height, right = 0, bottom = 0;
    for (int y = 0; y < mask.height; ++y)
        for (int x = 0; x < mask.width; ++x)
            if (mask.At(x, y, 0) != 0) {
                left = std::min(left, x), top = std::min(top, y);
                right = std::max(right, x + 1), bottom = std::max(bottom, y + 1);
            }
    return std::to_string(left) + "," + std::to_string(top) + "," + std::to_string(right - left) + "," +
           std::to_string(bottom - top);
}

class GimpPlugin : public CliTest {};

TEST_F(GimpPlugin, LightsAsTheProgramDoesInEveryRunMode) {
    if (access(GIMP_CONSOLE, X_OK) != 0)
        GTEST_SKIP() << "gimp-console is not installed: scripts/install-deps installs gimp";
    WritePng(Path("rgb.png"), Gradient(48, 40, 3));
    WritePng(Path("rgba.png"), Gradient(48, 40, 4));
    WriteBytes(Path("ok.script"), kDialogInput);
    WriteBytes(Path("reopen.script"), kReopenInput);
    RunResult r = Relight({"apply", Path("rgb.png"), "-o", Path("neon.png"), "--style", "Neon",
                           "--save-params", Path("neon.block")});
    ASSERT_EQ(r.status, 0) << r.err;

    std::filesystem::create_directories(Path("gimp"));
    WriteBytes(Path("gimp/gimprc"), "(plug-in-path \"" GIMP_SYSTEM_PLUGINS "/script-fu:" GIMP_SYSTEM_PLUGINS
                                    "/file-png:" BUILT_GIMP_PLUGINS "\")\n");
    WriteBytes(Path("helpers.scm"), replaced(kHelpers, "DIR/", Path("")));
    r = Program(sessionCommands(Path("")),
                {"GIMP2_DIRECTORY=" + Path("gimp"), "RELIGHT_GIMP_SCRIPT=" + Path("dialog.script")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("choose Image > Mode > RGB"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("choose Image > Precision > 8 bit integer"), std::string::npos) << r.err;
    EXPECT_EQ(ReadPng(Path("kept.png")).samples, ReadPng(Path("mask.png")).samples) << "the selection stays";

    const std::string area = boundsOf(ReadPng(Path("mask.png")));
    for (const Case& c : kCases) {
        if (c.name.starts_with("refused"))
            continue;
        std::vector<std::string> args = {c.relight.empty() || c.relight[0] != "--headless" ? "apply" : "edit",
                                         Path(c.input), "-o", Path("expected-" + c.name + ".png")};
        for (const std::string& arg : c.relight)
            args.push_back(replaced(replaced(arg, "DIR/", Path("")), "AREA", area));
        if (!c.relight.empty()) {
            ASSERT_EQ(Relight(args).status, 0) << c.name;
        }
        EXPECT_EQ(ReadPng(Path(c.name + ".png")).samples,
                  ReadPng(c.relight.empty() ? Path(c.input) : args[3]).samples)
            << c.name;
    }
}

} // namespace
