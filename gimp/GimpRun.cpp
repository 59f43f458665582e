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

std::string keptBlock() {
    const gint size = gimp_get_data_size(kProcedureName);
    std::string block(std::size_t(std::max(size, 0)), '\0');
    if (size > 0 && !gimp_get_data(kProcedureName, block.data()))
        block.clear();
    return block;
}

class Run {
  public:
    explicit Run(const RunRequest& request)
        : request_(request), plugin_(PluginHost::Locate({})),
          document_(ReadDrawable(request.image, request.drawable)) {
        TBFilesSetRoot(DataFolder(), "relight");
    }

    void Perform() {
        const std::string kept = keptBlock();
        std::string block;
        if (request_.mode == GIMP_RUN_NONINTERACTIVE)
            block = nonInteractive();
        else if (request_.mode == GIMP_RUN_WITH_LAST_VALS && !kept.empty())
            block = repeat(kept, "the last Relight settings");
        else
            block = interactive();
        gimp_set_data(kProcedureName, block.data(), guint32(block.size()));
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
            DialogScreen(StyleChoiceScript(style), "choosing style '" + style + "' in the dialog"));
    }

    std::string interactive() {
        SeedStylesIfPossible(plugin_.Styles());
        Options options;
        if (const char* script = std::getenv(kScriptVariable); script && *script) {
            options.headless = true;
            options.script = script;
        }
        return withDialog(DialogScreen(options));
    }

    // A stored block, checked against the module and the layer as relight apply checks it.
    std::string repeat(const std::string& block, const std::string& file) {
        CheckBlock(plugin_, block, file);
        CheckTextureChannel(block, document_, file);
        ParameterHandle parameters(block);
        shade(parameters, false);
        return parameters.Bytes();
    }

    std::string withDialog(const DialogScreen& screen) {
        ParameterHandle parameters;
        try {
            shade(parameters, true);
        } catch (const HostError&) {
            screen.CheckScript();
            throw;
        }
        return parameters.Bytes();
    }

    void shade(ParameterHandle& parameters, bool dialog) {
        LayerTraffic traffic;
        TileServer server(document_, traffic);
        RunFilter(plugin_, server, parameters, dialog, "the layer");
    }

    const RunRequest& request_;
    PluginHost plugin_;
    Document document_;
};

} // namespace

void RunRelight(const RunRequest& request) {
    Run(request).Perform();
}
