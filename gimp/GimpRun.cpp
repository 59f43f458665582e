#include "GimpRun.h"

#include "DialogScreen.h"
#include "FileHandle.h"
#include "Files.h"
#include "FilterRun.h"
#include "GimpDocument.h"
#include "HostError.h"
#include "Persistence.h"
#include "StyleLibrary.h"

#include <cstdlib>

namespace {

// The layer is whole in memory; the progress goes to GIMP's bar, whose cancel ends the plug-in.
class LayerTraffic final : public TileTraffic {
  public:
    LayerTraffic() { gimp_progress_init("Relight"); }
    void AwaitRows(int) override {}
    void Writing(const Rect&) override {}
    void Written(const Rect&) override {}
    void Report(std::uint16_t done, std::uint16_t total) override {
        if (total != 0)
            gimp_progress_update(double(done) / double(total));
    }
};

// Beside the block (under the procedure's name) GIMP keeps what the last dialog closed with: the
// name of the style its popup showed, a NUL, and the settings as a style file's bytes.
const std::string kDialogKey = std::string(kProcedureName) + "-dialog";

std::string kept(const std::string& key) {
    const gint size = gimp_get_data_size(key.c_str());
    std::string bytes(std::size_t(std::max(size, 0)), '\0');
    if (size > 0 && !gimp_get_data(key.c_str(), bytes.data()))
        bytes.clear();
    return bytes;
}

void keep(const std::string& key, const std::string& bytes) {
    if (!bytes.empty())
        gimp_set_data(key.c_str(), bytes.data(), guint32(bytes.size()));
}

DialogStart lastDialog() {
    const std::string last = kept(kDialogKey);
    const std::size_t end = last.find('\0');
    if (end == std::string::npos)
        return {};
    return {last.substr(end + 1), last.substr(0, end)};
}

constexpr const char* kWithoutDisplay =
    "without a display run Relight non-interactively, with a style name or a parameter-block file";
constexpr const char* kHowToAddChannels =
    "save a selection in the Channels dialog, or add a layer, to offer another channel";

class Run {
  public:
    explicit Run(const RunRequest& request)
        : request_(request), plugin_(PluginHost::Locate({})),
          document_(ReadDrawable(request.image, request.drawable)) {
        TBFilesSetRoot(DataFolder(), "relight");
    }

    void Perform() {
        const std::string last = kept(kProcedureName);
        std::string block;
        if (request_.mode == GIMP_RUN_NONINTERACTIVE)
            block = nonInteractive();
        else if (request_.mode == GIMP_RUN_WITH_LAST_VALS && !last.empty())
            block = repeat(last, "the last Relight settings");
        else
            block = interactive();
        keep(kProcedureName, block);
        WriteDrawable(document_, request_.image, request_.drawable);
        if (request_.mode != GIMP_RUN_NONINTERACTIVE)
            gimp_displays_flush();
    }

  private:
    // Each way of running gives the block it shaded with.
    std::string nonInteractive() {
        if (request_.style.empty() == request_.blockFile.empty())
            BadInput("give either a style name or a parameter-block file");
        if (!request_.blockFile.empty())
            return repeat(ReadWholeFile(request_.blockFile, kMaxBlockBytes, "parameter block"),
                          request_.blockFile);
        const StyleLibrary library(plugin_.Styles());
        const std::string style = library.ExistingName(request_.style);
        return withDialog(
            DialogScreen(StyleChoiceScript(style), "choosing style '" + style + "' in the dialog"), {});
    }

    std::string interactive() {
        SeedStylesIfPossible(plugin_.Styles());
        Options options;
        gchar* name = gimp_image_get_name(request_.image); // the window's title names it
        options.input = name ? name : "";
        g_free(name);
        if (const char* script = std::getenv(kScriptVariable); script && *script) {
            options.headless = true;
            options.script = script;
        }
        // The dialog opens as the last one closed, as relight edit opens with the last settings.
        return withDialog(DialogScreen(options, kWithoutDisplay), lastDialog());
    }

    // A stored block, checked against the module and the layer as relight apply checks it.
    std::string repeat(const std::string& block, const std::string& file) {
        CheckBlock(plugin_, block, file);
        CheckTextureChannel(block, document_, file, kHowToAddChannels);
        ParameterHandle parameters(block);
        shade(parameters, false);
        return parameters.Bytes();
    }

    std::string withDialog(const DialogScreen& screen, const DialogStart& opening) {
        ParameterHandle parameters;
        try {
            shade(parameters, true, opening);
        } catch (const HostError&) {
            screen.CheckScript();
            throw;
        }
        if (const std::string settings = plugin_.Settings(); !settings.empty())
            keep(kDialogKey, StyleAtEntry(plugin_.Styles(), plugin_.SettingsStyleEntry()) + '\0' + settings);
        return parameters.Bytes();
    }

    void shade(ParameterHandle& parameters, bool dialog, const DialogStart& opening = {}) {
        LayerTraffic traffic;
        TileServer server(document_, traffic);
        RunFilter(plugin_, server, parameters, dialog, "the layer", opening);
    }

    const RunRequest& request_;
    PluginHost plugin_;
    Document document_;
};

} // namespace

void RunRelight(const RunRequest& request) {
    Run(request).Perform();
}
