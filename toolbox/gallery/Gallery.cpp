// toolbox-gallery: opens a dialog with every kind of item and control the module uses, in an SDL
// window or headless. --headless --snapshot FILE writes a picture of it; --script FILE replays input.
#include "Backend.h"
#include "CodeResources.h"
#include "Dialogs.h"
#include "GallerySlider.h"
#include "Memory.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

enum : std::int16_t {
    kOutline = 3,
    kSmallCheck = 5,
    kOmni = 6,
    kSpot = 7,
    kSmallPopup = 9,
    kLowerSlider = 14,
    kSwatch = 15,
    kGroup = 17,
};

struct Options {
    bool headless = false;
    std::string snapshot;
    std::string script;
};

bool parse(int argc, char** argv, Options* o) {
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--headless")
            o->headless = true;
        else if (a == "--snapshot" && i + 1 < argc)
            o->snapshot = argv[++i];
        else if (a == "--script" && i + 1 < argc)
            o->script = argv[++i];
        else
            return false;
    }
    return true;
}

Handle itemHandle(DialogPtr d, std::int16_t item, Rect* box = nullptr) {
    std::int16_t kind;
    Handle h = nullptr;
    Rect r;
    GetDialogItem(d, item, &kind, &h, &r);
    if (box)
        *box = r;
    return h;
}

void drawSwatch(DialogPtr d, std::int16_t item) {
    Rect box;
    itemHandle(d, item, &box);
    const RGBColor warm = {0xF000, 0xB000, 0x5000};
    PixPatHandle pat = NewPixPat();
    MakeRGBPat(pat, &warm);
    FillCRect(&box, pat);
    DisposePixPat(pat);
    ql_quorum_frame_gui_color(&box, 1);
}

void drawGroup(DialogPtr d, std::int16_t item) {
    Rect box;
    itemHandle(d, item, &box);
    ql_quorum_frame_gui_color(&box, 0);
}

void drawOutline(DialogPtr d, std::int16_t) {
    TBDrawDefaultOutline(d, 1);
}

// Draws a standard control in the application font at size 9: the definition saved in the
// control's auxiliary record is called with that font set around it.
long smallFont(std::int16_t variation, ControlHandle c, std::int16_t message, long param) {
    AuxCtlHandle aux;
    GetAuxiliaryControlRecord(c, &aux);
    TextFont(applFont);
    TextSize(9);
    long result = TBCallCode<long, std::int16_t, ControlHandle, std::int16_t, long>(
        reinterpret_cast<Handle>((**aux).acRefCon), variation, c, message, param);
    TextFont(systemFont);
    TextSize(0);
    return result;
}

void wrapSmallFont(DialogPtr d, std::int16_t item) {
    auto c = reinterpret_cast<ControlHandle>(itemHandle(d, item));
    AuxCtlHandle aux;
    if (!c || !GetAuxiliaryControlRecord(c, &aux))
        return;
    (**aux).acRefCon = reinterpret_cast<long>((**c).contrlDefProc);
    (**c).contrlDefProc = ql_quorum_new_code_resource_handle(reinterpret_cast<TBCodeEntry>(&smallFont));
}

void unwrapSmallFont(DialogPtr d, std::int16_t item) {
    auto c = reinterpret_cast<ControlHandle>(itemHandle(d, item));
    AuxCtlHandle aux;
    if (!c || !GetAuxiliaryControlRecord(c, &aux))
        return;
    ql_quorum_free_code_resource_handle((**c).contrlDefProc);
    (**c).contrlDefProc = reinterpret_cast<Handle>((**aux).acRefCon);
}

DialogPtr openGallery() {
    ql_quorum_code_resource(FOUR_CHAR("CDEF"), kGallerySliderDef, ql_quorum_passtr("GallerySlider"),
                            reinterpret_cast<TBCodeEntry>(&GallerySliderDefinition));
    ParamText(reinterpret_cast<ConstStr255Param>("\x05hello"), nullptr, nullptr, nullptr);
    DialogPtr d = GetNewDialog(128, nullptr, reinterpret_cast<WindowPtr>(-1));
    if (!d)
        return nullptr;
    wrapSmallFont(d, kSmallCheck);
    wrapSmallFont(d, kSmallPopup);
    TBSetUserItemProc(d, kOutline, drawOutline);
    TBSetUserItemProc(d, kSwatch, drawSwatch);
    TBSetUserItemProc(d, kGroup, drawGroup);
    SetControlValue(reinterpret_cast<ControlHandle>(itemHandle(d, 4)), 1);
    SetControlValue(reinterpret_cast<ControlHandle>(itemHandle(d, kSpot)), 1);
    HiliteControl(reinterpret_cast<ControlHandle>(itemHandle(d, kLowerSlider)), kControlInactivePart);
    ShowWindow(d);
    DrawDialog(d);
    return d;
}

// Check boxes toggle and radio buttons select, as an application does after ModalDialog.
void press(DialogPtr d, std::int16_t item) {
    auto c = reinterpret_cast<ControlHandle>(itemHandle(d, item));
    if (item == kOmni || item == kSpot) {
        SetControlValue(reinterpret_cast<ControlHandle>(itemHandle(d, kOmni)), item == kOmni);
        SetControlValue(reinterpret_cast<ControlHandle>(itemHandle(d, kSpot)), item == kSpot);
    } else if (item == 4 || item == kSmallCheck) {
        SetControlValue(c, !GetControlValue(c));
    }
}

} // namespace

int main(int argc, char** argv) {
    Options o;
    if (!parse(argc, argv, &o) || (!o.snapshot.empty() && !o.headless)) {
        std::fprintf(stderr, "usage: toolbox-gallery [--headless [--snapshot FILE]] [--script FILE]\n");
        return 2;
    }
    TBBackendOptions backend;
    backend.kind = o.headless ? TBBackendKind::headless : TBBackendKind::sdl;
    backend.width = 520;
    backend.height = 380;
    backend.title = "Toolbox gallery";
    std::string error;
    if (!TBInitBackend(backend, &error) || (!o.script.empty() && !TBLoadInputScriptFile(o.script, &error))) {
        std::fprintf(stderr, "toolbox-gallery: %s\n", error.c_str());
        return 1;
    }
    DialogPtr d = openGallery();
    if (!d) {
        std::fprintf(stderr, "toolbox-gallery: the gallery dialog is missing\n");
        return 1;
    }
    std::int16_t item = 0;
    if (!o.headless || !o.script.empty())
        while (item != 1 && item != 2) {
            ModalDialog(nullptr, &item);
            press(d, item);
        }
    int status = 0;
    if (!o.snapshot.empty() && !TBSnapshotScreen(o.snapshot, &error)) {
        std::fprintf(stderr, "toolbox-gallery: %s\n", error.c_str());
        status = 1;
    }
    unwrapSmallFont(d, kSmallCheck);
    unwrapSmallFont(d, kSmallPopup);
    DisposeDialog(d);
    TBShutdownBackend();
    return status;
}
