#include "Commands.h"

#include "AtomicOutput.h"
#include "CodecThread.h"
#include "DialogScreen.h"
#include "FileHandle.h"
#include "Files.h"
#include "FilterRun.h"
#include "Help.h"
#include "ImageIO.h"
#include "Interrupt.h"
#include "Persistence.h"
#include "Progress.h"
#include "StyleCommands.h"
#include "StyleLibrary.h"
#include "StyleSummary.h"
#include "Targets.h"

#include <cstdio>
#include <optional>
#include <filesystem>
#include <functional>

namespace {

constexpr const char* kWithoutDisplay = "without a display use --headless --script FILE";

// The input's channels besides the image's own, the mask and the area.
void completeDocument(Document& document, const Options& options) {
    for (const auto& [name, file] : options.channels)
        AddChannel(document, name, file, options.maxPixels);
    if (!options.mask.empty())
        SetMask(document, options.mask, options.maxPixels);
    if (options.area)
        SetArea(document, *options.area, options.input);
}

// --in-place never silently loses what it read: refuses, unless --force, when the file's format
// would not hold all of it again.
void checkNothingLost(const RowReader& image, const Options& options) {
    if (!options.inPlace || options.force)
        return;
    const ImageFormat format = OutputFormat(options.input, options.format);
    const RowLayout kept = LayoutFor(format, {image.Alpha(), image.Sixteen()});
    std::string lost;
    for (const auto& [what, losing] :
         {std::pair{"alpha", image.Alpha() && !kept.alpha},
          std::pair{"16-bit depth", image.Sixteen() && !kept.sixteen},
          std::pair{"metadata", !MetadataFor(format, image.Metadata()).HoldsAllOf(image.Metadata())}})
        if (losing)
            lost += std::string(lost.empty() ? "" : ", ") + what;
    if (!lost.empty())
        BadInput("writing in place would lose the image's " + lost + " (use -o OUT, or --force)",
                 options.input);
}

// Opens the input into `document`; its image goes on decoding on the returned codec's thread.
std::unique_ptr<CodecThread> openInput(Document& document, const Options& options) {
    std::unique_ptr<RowReader> image = OpenImage(options.input, options.maxPixels);
    checkNothingLost(*image, options);
    document = WithMemoryFor(options.input, [&] { return BlankDocument(*image); });
    auto codec = std::make_unique<CodecThread>(std::move(image), document);
    completeDocument(document, options);
    return codec;
}

// The same, decoded whole before the dialog opens: its preview may ask for any part at once.
std::unique_ptr<CodecThread> openInputForDialog(Document& document, const Options& options) {
    std::unique_ptr<CodecThread> codec = openInput(document, options);
    codec->AwaitRows(document.height);
    // Loading a large image takes a while: a Ctrl-C meanwhile stops before the dialog opens.
    StopIfInterrupted(options.input);
    return codec;
}

// The files' traffic: rows through the codec thread, progress on the terminal.
class FileTraffic final : public TileTraffic {
  public:
    FileTraffic(CodecThread& codec, const Options& options)
        : codec_(codec), progress_(options.quiet, options.label) {}
    void AwaitRows(int rows) override { codec_.AwaitRows(rows); }
    void Writing(const Rect& rect) override { codec_.Writing(rect); }
    void Written(const Rect& rect) override { codec_.Written(rect); }
    void Report(std::uint16_t done, std::uint16_t total) override { progress_.Report(done, total); }

  private:
    CodecThread& codec_;
    Progress progress_;
};

// Runs the filter over the document while `codec` decodes and encodes; the block it ran with (the
// accepted one after a dialog) goes to --save-params and is returned.
std::string filterAndWrite(PluginHost& plugin, Document& document, CodecThread& codec,
                           ParameterHandle& parameters, bool withDialog, const Options& options,
                           const std::string& target, const DialogStart& opening = {}) {
    const ImageFormat format = OutputFormat(target, options.format);
    codec.PlanOutput(target, format, options.quality, document.area);
    {
        FileTraffic traffic(codec, options);
        TileServer server(document, traffic);
        RunFilter(plugin, server, parameters, withDialog, options.input, opening);
    }
    codec.Finish();
    if (LayoutFor(format, document.source).sixteen && !options.quiet)
        std::fprintf(stderr, "relight: lit in 8 bits, written in 16 (each value x 257): %s\n",
                     target.c_str());
    const std::string block = parameters.Bytes();
    if (!options.saveParams.empty())
        WriteFileAtomically(options.saveParams, block);
    return block;
}

// --save-style NAME: the style library that will take the settings, refused before any work when
// the name is taken (without --force) or locked. Null without the option.
std::unique_ptr<StyleLibrary> styleToSave(const PluginHost& plugin, const Options& options) {
    if (options.saveStyle.empty())
        return nullptr;
    auto library = std::make_unique<StyleLibrary>(plugin.Styles());
    library->CheckWritable(library->NameOf(options.saveStyle), options.force);
    return library;
}

void saveStyle(const StyleLibrary* library, const Options& options, const std::string& settings) {
    if (!library)
        return;
    if (settings.empty())
        BadInput("the plug-in gave no settings to keep as a style");
    library->Write(library->NameOf(options.saveStyle), settings, true);
}

// The settings the last accepted dialog kept, checked, with the style it showed; none with a warning
// when they are damaged: the file stays as it is until a dialog is accepted.
DialogStart lastSettings(const PluginHost& plugin) {
    DialogStart last;
    last.settings = ReadLastSettings(last.style);
    if (last.settings.empty())
        return {};
    try {
        CheckStyle(plugin.Styles(), last.settings, LastSettingsPath());
    } catch (const HostError& damaged) {
        Warn("the last settings are not used", damaged.what(), damaged.File());
        return {};
    }
    return last;
}

// Each image in turn. With --keep-going an image that fails is named and the batch goes on, to end
// as bad input; a cancel stops it all the same.
void forEachImage(const std::vector<Options>& runs, const Options& options,
                  const std::function<void(const Options&)>& light) {
    std::size_t failed = 0;
    for (const Options& run : runs) {
        try {
            light(run);
        } catch (const HostError& error) {
            if (!options.keepGoing || error.Status() == ExitStatus::cancelled)
                throw;
            std::fprintf(stderr, "%s\n", error.Line().c_str());
            ++failed;
        }
    }
    if (failed > 0)
        BadInput(std::to_string(failed) + " of " + std::to_string(runs.size()) + " images failed");
}

// The block run: the same stored settings for every image.
void applyBlock(PluginHost& plugin, const std::vector<Options>& runs, const Options& options) {
    const std::string blockFile = options.params.empty() ? LastBlockPath() : options.params;
    const std::string block = options.params.empty()
                                  ? ReadLastBlock()
                                  : ReadWholeFile(options.params, kMaxBlockBytes, "parameter block");
    CheckBlock(plugin, block, blockFile);
    CheckPlannedFiles(PlannedFilesOf(runs), options.force);
    const std::unique_ptr<StyleLibrary> saving = styleToSave(plugin, options);
    const std::string kept = saving ? lastSettings(plugin).settings : "";
    if (saving && kept.empty())
        BadInput("no last settings to keep as a style (accept the dialog of relight edit first)",
                 LastSettingsPath());
    MakeResultFolder(options);
    forEachImage(runs, options, [&](const Options& run) {
        Document document;
        const std::unique_ptr<CodecThread> codec = openInput(document, run);
        CheckTextureChannel(block, document, blockFile, "add one with --channel NAME=FILE");
        ParameterHandle parameters(block);
        filterAndWrite(plugin, document, *codec, parameters, false, run, run.output);
    });
    saveStyle(saving.get(), options, kept);
}

// The dialog on `screen` over the document, then the final run with what it accepted; returns the
// accepted block.
std::string runDialog(PluginHost& plugin, Document& document, CodecThread& codec, const DialogScreen& screen,
                      const Options& options, const std::string& target, const DialogStart& opening = {}) {
    ParameterHandle parameters;
    try {
        return filterAndWrite(plugin, document, codec, parameters, true, options, target, opening);
    } catch (const HostError&) {
        screen.CheckScript();
        throw;
    }
}

// Each image through the real dialog, driven as a user would: choose the style, press OK.
void applyStyle(PluginHost& plugin, const std::vector<Options>& runs, const Options& options) {
    const StyleLibrary library(plugin.Styles());
    const std::string style = library.ExistingName(options.style);
    const std::string script = StyleChoiceScript(style);
    PlannedFiles files = PlannedFilesOf(runs);
    files.reads.push_back(library.PathOf(style));
    CheckPlannedFiles(files, options.force);
    const std::unique_ptr<StyleLibrary> saving = styleToSave(plugin, options);
    MakeResultFolder(options);
    forEachImage(runs, options, [&](const Options& run) {
        Document document;
        const std::unique_ptr<CodecThread> codec = openInputForDialog(document, run);
        const DialogScreen screen(script, "choosing style '" + style + "' in the dialog");
        runDialog(plugin, document, *codec, screen, run, run.output);
    });
    saveStyle(saving.get(), options, plugin.Settings());
}

void apply(const Options& options) {
    const std::vector<Options> runs = BatchRuns(options);
    PluginHost plugin(PluginHost::Locate(options.plugin));
    plugin.SetThreads(options.jobs);
    if (options.style.empty())
        applyBlock(plugin, runs, options);
    else
        applyStyle(plugin, runs, options);
}

// What the dialog of `relight edit` opens with: the style --style names, the default style with
// --defaults, else the last accepted settings.
DialogStart openingOf(const PluginHost& plugin, const Options& options) {
    if (options.defaults)
        return {};
    if (options.style.empty())
        return lastSettings(plugin);
    const StyleLibrary library(plugin.Styles());
    const std::string style = library.NameOf(options.style);
    return {library.Read(style), style};
}

void edit(const Options& options) {
    Options run = options;
    run.output = OutputOf(options);
    run.label = std::filesystem::path(options.input).filename().string();
    CheckPlannedFiles(PlannedFilesOf({run}), options.force);
    PluginHost plugin(PluginHost::Locate(options.plugin));
    plugin.SetThreads(options.jobs);
    const std::unique_ptr<StyleLibrary> saving = styleToSave(plugin, options);
    Document document;
    const std::unique_ptr<CodecThread> codec = openInputForDialog(document, options);
    SeedStylesIfPossible(plugin.Styles());
    const DialogStart opening = openingOf(plugin, options);
    const DialogScreen screen(options, kWithoutDisplay);
    const std::string block = runDialog(plugin, document, *codec, screen, run, run.output, opening);
    const std::string settings = plugin.Settings();
    KeepLastSettings(block, settings, StyleAtEntry(plugin.Styles(), plugin.SettingsStyleEntry()));
    saveStyle(saving.get(), options, settings);
}

// Prints what the program is, then shows the module's about box in a window, or prints its text
// when there is no display.
void about(const Options& options) {
    PluginHost plugin(PluginHost::Locate(options.plugin));
    std::printf("relight %s: a lighting filter host\nplug-in: %s\n", RELIGHT_VERSION, plugin.Path().c_str());
    std::fflush(stdout);
    std::optional<DialogScreen> window;
    try {
        window.emplace(options, kWithoutDisplay);
    } catch (const HostError&) {
        std::fputs(plugin.AboutText().c_str(), stdout);
        return;
    }
    AboutRecord record{nullptr};
    if (std::int16_t code = plugin.Call(selectorAbout, &record))
        throw HostError(ExitStatus::filterFailed, "the about box failed with code " + std::to_string(code),
                        plugin.Path());
}

} // namespace

void RunCommand(const Options& options) {
    if (options.command == "help" || options.help) {
        std::fputs(HelpText(options.command).c_str(), stdout);
        return;
    }
    if (options.command == "version") {
        std::printf("relight %s\n", RELIGHT_VERSION);
        return;
    }
    const std::string data = DataFolder();
    const bool needsStyles = options.command == "styles" || options.command == "edit" ||
                             !options.style.empty() || !options.saveStyle.empty();
    if (data.empty() && needsStyles)
        BadInput("no home folder for the styles (set HOME or RELIGHT_HOME)");
    TBFilesSetRoot(data, "relight");
    if (options.command == "apply")
        apply(options);
    else if (options.command == "styles")
        RunStylesCommand(options);
    else if (options.command == "edit")
        edit(options);
    else
        about(options);
}
