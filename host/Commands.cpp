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
#include "StyleCommands.h"
#include "StyleLibrary.h"
#include "Targets.h"

#include <cstdio>
#include <filesystem>
#include <functional>

namespace {

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
    const RowLayout kept =
        LayoutFor(OutputFormat(options.input, options.format), {image.Alpha(), image.Sixteen()});
    std::string lost;
    for (const auto& [what, losing] : {std::pair{"alpha", image.Alpha() && !kept.alpha},
                                       std::pair{"16-bit depth", image.Sixteen() && !kept.sixteen},
                                       std::pair{"metadata", image.Metadata()}})
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

// Runs the filter over the document while `codec` decodes and encodes, and keeps the accepted block.
void filterAndWrite(PluginHost& plugin, Document& document, CodecThread& codec, ParameterHandle& parameters,
                    bool withDialog, const Options& options, const std::string& target) {
    const ImageFormat format = OutputFormat(target, options.format);
    codec.PlanOutput(target, format, options.quality, document.area);
    {
        Progress progress(options.quiet, options.label);
        TileServer server(document, codec, progress);
        RunFilter(plugin, server, parameters, withDialog, options.input);
    }
    codec.Finish();
    if (LayoutFor(format, document.source).sixteen && !options.quiet)
        std::fprintf(stderr, "relight: lit in 8 bits, written in 16 (each value x 257): %s\n",
                     target.c_str());
    const std::string block = parameters.Bytes();
    KeepLastBlock(block);
    if (!options.saveParams.empty())
        WriteFileAtomically(options.saveParams, block);
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
    if (const std::string why = plugin.CheckParameters(block); !why.empty())
        BadInput("bad parameter block (" + why + ")", blockFile);
    CheckPlannedFiles(PlannedFilesOf(runs), options.force);
    MakeResultFolder(options);
    forEachImage(runs, options, [&](const Options& run) {
        Document document;
        const std::unique_ptr<CodecThread> codec = openInput(document, run);
        CheckTextureChannel(block, document, blockFile);
        ParameterHandle parameters(block);
        filterAndWrite(plugin, document, *codec, parameters, false, run, run.output);
    });
}

// The dialog on `screen` over the document, then the final run with what it accepted.
void runDialog(PluginHost& plugin, Document& document, CodecThread& codec, const DialogScreen& screen,
               const Options& options, const std::string& target) {
    ParameterHandle parameters;
    try {
        filterAndWrite(plugin, document, codec, parameters, true, options, target);
    } catch (const HostError&) {
        screen.CheckScript();
        throw;
    }
}

// Each image through the real dialog, driven as a user would: choose the style, press OK.
void applyStyle(PluginHost& plugin, const std::vector<Options>& runs, const Options& options) {
    const StyleLibrary library(plugin.Styles());
    const std::string style = library.NameOf(options.style);
    if (!library.Contains(style))
        BadInput("no style named '" + style + "' (see relight styles list)");
    const std::string script = "wait 100\nchoose @20 " + style + "\nwait 100\nclick @1\n";
    PlannedFiles files = PlannedFilesOf(runs);
    files.reads.push_back(library.PathOf(style));
    CheckPlannedFiles(files, options.force);
    MakeResultFolder(options);
    forEachImage(runs, options, [&](const Options& run) {
        Document document;
        const std::unique_ptr<CodecThread> codec = openInputForDialog(document, run);
        const DialogScreen screen(script, "choosing style '" + style + "' in the dialog");
        runDialog(plugin, document, *codec, screen, run, run.output);
    });
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

void edit(const Options& options) {
    Options run = options;
    run.output = OutputOf(options);
    run.label = std::filesystem::path(options.input).filename().string();
    CheckPlannedFiles(PlannedFilesOf({run}), options.force);
    PluginHost plugin(PluginHost::Locate(options.plugin));
    plugin.SetThreads(options.jobs);
    Document document;
    const std::unique_ptr<CodecThread> codec = openInputForDialog(document, options);
    SeedStylesIfPossible(plugin.Styles());
    const DialogScreen screen(options);
    runDialog(plugin, document, *codec, screen, run, run.output);
}

void about(const Options& options) {
    PluginHost plugin(PluginHost::Locate(options.plugin));
    std::printf("relight %s: a lighting filter host\nplug-in: %s\n", RELIGHT_VERSION, plugin.Path().c_str());
    std::fflush(stdout);
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
    const std::string data = DataFolder();
    const bool needsStyles =
        options.command == "styles" || options.command == "edit" || !options.style.empty();
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
