// relight-gimp: the lighting module as a GIMP 2.10 filter, Filters > Light and Shadow > Relight...
#include "GimpRun.h"
#include "HostError.h"

#include <libgimp/gimp.h>

namespace {

void query() {
    static const GimpParamDef arguments[] = {
        {GIMP_PDB_INT32, const_cast<gchar*>("run-mode"),
         const_cast<gchar*>(
             "The run mode { RUN-INTERACTIVE (0), RUN-NONINTERACTIVE (1), RUN-WITH-LAST-VALS (2) }")},
        {GIMP_PDB_IMAGE, const_cast<gchar*>("image"), const_cast<gchar*>("Input image")},
        {GIMP_PDB_DRAWABLE, const_cast<gchar*>("drawable"), const_cast<gchar*>("The layer to light")},
        {GIMP_PDB_STRING, const_cast<gchar*>("style"),
         const_cast<gchar*>("Non-interactive: the style to light with, as relight apply --style (or empty)")},
        {GIMP_PDB_STRING, const_cast<gchar*>("block-file"),
         const_cast<gchar*>("Non-interactive: a parameter block, as relight apply --params (or empty)")},
    };
    gimp_install_procedure(kProcedureName, "Light the layer with coloured lights over its relief",
                           "Places up to 16 omni lights, spotlights and directional lights over a live "
                           "preview, with gloss, material, exposure, ambient light and an optional "
                           "texture channel read as height. The result equals relight's byte for byte.",
                           "relight", "relight", "2026", "_Relight...", "RGB*", GIMP_PLUGIN,
                           G_N_ELEMENTS(arguments), 0, arguments, nullptr);
    gimp_plugin_menu_register(kProcedureName, "<Image>/Filters/Light and Shadow");
}

const gchar* text(const GimpParam& parameter) {
    return parameter.data.d_string ? parameter.data.d_string : "";
}

void run(const gchar*, gint count, const GimpParam* parameters, gint* resultCount, GimpParam** results) {
    static GimpParam values[2];
    static std::string message;
    *results = values;
    *resultCount = 1;
    values[0].type = GIMP_PDB_STATUS;
    values[0].data.d_status = GIMP_PDB_CALLING_ERROR;
    if (count < 3)
        return;
    gegl_init(nullptr, nullptr);
    RunRequest request;
    request.mode = GimpRunMode(parameters[0].data.d_int32);
    request.image = parameters[1].data.d_image;
    request.drawable = parameters[2].data.d_drawable;
    if (count >= 5) {
        request.style = text(parameters[3]);
        request.blockFile = text(parameters[4]);
    }
    try {
        RunRelight(request);
        values[0].data.d_status = GIMP_PDB_SUCCESS;
        return;
    } catch (const HostError& error) {
        if (error.Status() == ExitStatus::cancelled) {
            values[0].data.d_status = GIMP_PDB_CANCEL;
            return;
        }
        message = error.Line();
    } catch (const std::bad_alloc&) {
        message = "relight: out of memory";
    }
    values[0].data.d_status = GIMP_PDB_EXECUTION_ERROR;
    values[1].type = GIMP_PDB_STRING;
    values[1].data.d_string = message.data();
    *resultCount = 2;
}

} // namespace

const GimpPlugInInfo PLUG_IN_INFO = {nullptr, nullptr, query, run};

MAIN()
