#include "Commands.h"

#include "AtomicOutput.h"
#include "DialogScreen.h"
#include "FileHandle.h"
#include "FilterRun.h"
#include "Help.h"
#include "ImageIO.h"
#include "Interrupt.h"
#include "Persistence.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace {

bool sameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    return std::filesystem::equivalent(a, b, error);
}

// Where the result goes; the input is never its target unless --in-place says so.
std::string outputOf(const Options& options) {
    if (options.inPlace && !options.output.empty())
        BadInput("give either -o OUT or --in-place, not both");
    if (!options.inPlace && options.output.empty())
        BadInput("no output file given (use -o OUT, or --in-place)");
    const std::string target = options.inPlace ? options.input : options.output;
    if (!options.inPlace && sameFile(options.input, target))
        BadInput("the output would overwrite the input (use --in-place for that)", target);
    FormatOf(target);
    return target;
}

Document loadDocument(const Options& options) {
    Document document = MakeDocument(ReadImage(options.input));
    for (const auto& [name, file] : options.channels)
        AddChannel(document, name, file);
    if (!options.mask.empty())
        SetMask(document, options.mask);
    if (options.area)
        SetArea(document, *options.area, options.input);
    // Loading a large image takes a while: a Ctrl-C meanwhile stops before any tile.
    StopIfInterrupted(options.input);
    return document;
}

void writeResult(const Document& document, const std::string& target, int quality) {
    AtomicOutput out(target);
    const std::vector<std::uint8_t> rgb = InterleavedRGB(document.result, document.Pixels());
    WriteImage(out.Stream(), FormatOf(target), document.width, document.height, rgb.data(), quality, target);
    StopIfInterrupted(target);
    out.Commit();
}

// Runs the filter over the document, writes the result, and keeps the accepted block.
void filterAndWrite(PluginHost& plugin, Document& document, ParameterHandle& parameters, bool withDialog,
                    const Options& options, const std::string& target) {
    {
        Progress progress(options.quiet);
        TileServer server(document, progress);
        RunFilter(plugin, server, parameters, withDialog, options.input);
    }
    writeResult(document, target, options.quality);
    const std::string block = parameters.Bytes();
    SaveLastBlock(block);
    if (!options.saveParams.empty())
        WriteFileAtomically(options.saveParams, block);
}

void apply(const Options& options) {
    const std::string target = outputOf(options);
    const std::string blockFile = options.params.empty() ? LastBlockPath() : options.params;
    const std::string block = options.params.empty() ? ReadLastBlock() : ReadWholeFile(options.params);
    PluginHost plugin(PluginHost::Locate(options.plugin));
    if (const std::string why = plugin.CheckParameters(block); !why.empty())
        BadInput("bad parameter block (" + why + ")", blockFile);
    Document document = loadDocument(options);
    CheckTextureChannel(block, document, blockFile);
    ParameterHandle parameters(block);
    filterAndWrite(plugin, document, parameters, false, options, target);
}

void edit(const Options& options) {
    const std::string target = outputOf(options);
    PluginHost plugin(PluginHost::Locate(options.plugin));
    Document document = loadDocument(options);
    DialogScreen screen(options);
    ParameterHandle parameters;
    try {
        filterAndWrite(plugin, document, parameters, true, options, target);
    } catch (const HostError&) {
        screen.CheckScript();
        throw;
    }
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
    if (options.command == "apply")
        apply(options);
    else if (options.command == "edit")
        edit(options);
    else
        about(options);
}
