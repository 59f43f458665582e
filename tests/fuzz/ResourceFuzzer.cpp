// Resource data as the Toolbox managers read it. The first byte chooses the form of the rest:
// even, compiled resources (records of type, id, length and data, big-endian); odd, resource text
// for the resource compiler, whose output is then read the same way. Each resource is handed to
// the manager that reads its type; whatever it builds is disposed of again.
#include "Backend.h"
#include "Controls.h"
#include "Dialogs.h"
#include "Memory.h"
#include "Menus.h"
#include "QuickDraw.h"
#include "Resources.h"
#include "RezCompiler.h"
#include "Windows.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::vector<CompiledResource> fromRecords(const std::uint8_t* p, std::size_t size) {
    std::vector<CompiledResource> out;
    while (size >= 8) {
        const ResType type = ResType(p[0]) << 24 | ResType(p[1]) << 16 | ResType(p[2]) << 8 | p[3];
        const auto id = std::int16_t(p[4] << 8 | p[5]);
        const std::size_t length = std::min<std::size_t>(std::size_t(p[6] << 8 | p[7]), size - 8);
        out.push_back({type, id, "", std::vector<std::uint8_t>(p + 8, p + 8 + length)});
        p += 8 + length;
        size -= 8 + length;
    }
    return out;
}

std::vector<CompiledResource> fromText(const std::uint8_t* p, std::size_t size) {
    std::vector<CompiledResource> compiled;
    std::string error;
    const std::string text(reinterpret_cast<const char*>(p), size);
    return CompileResources(text, "fuzz.rsrc", &compiled, &error) ? compiled
                                                                  : std::vector<CompiledResource>{};
}

WindowPtr controlWindow() {
    static WindowPtr window = [] {
        std::string error;
        if (!TBInitBackend(TBBackendOptions{}, &error))
            std::abort();
        // A heap of a size a real one has: a resource asking for a window of gigabytes must be
        // refused by the Toolbox, not handed to malloc.
        TBSetHeapLimit(Size(256) << 20);
        const Rect bounds{40, 40, 240, 340};
        Str255 title = {0};
        return NewCWindow(nullptr, &bounds, title, false, 0, reinterpret_cast<WindowPtr>(-1), false, 0);
    }();
    return window;
}

void readOne(const CompiledResource& r) {
    if (r.type == FOUR_CHAR("STR#")) {
        Str255 s;
        for (std::int16_t i = 1; i <= 300; ++i)
            GetIndString(s, r.id, i);
    } else if (r.type == FOUR_CHAR("MENU")) {
        if (MenuHandle menu = GetMenu(r.id)) {
            Str255 s;
            for (std::int16_t i = 1, n = CountMItems(menu); i <= n; ++i)
                GetMenuItemText(menu, i, s);
            DisposeMenu(menu);
        }
    } else if (r.type == FOUR_CHAR("DLOG")) {
        if (DialogPtr dialog = GetNewDialog(r.id, nullptr, reinterpret_cast<WindowPtr>(-1))) {
            DrawDialog(dialog);
            DisposeDialog(dialog);
        }
    } else if (r.type == FOUR_CHAR("CNTL")) {
        if (ControlHandle control = GetNewControl(r.id, controlWindow()))
            DisposeControl(control);
    } else if (r.type == FOUR_CHAR("ALRT")) {
        StopAlert(r.id, nullptr); // the headless screen has no input: the alert closes at once
    } else if (r.type == FOUR_CHAR("cicn")) {
        DisposeCIcon(GetCIcon(r.id));
    } else if (r.type == FOUR_CHAR("CURS")) {
        if (CursHandle cursor = GetCursor(r.id))
            SetCursor(*cursor);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    controlWindow();
    const std::vector<CompiledResource> resources =
        data[0] % 2 ? fromText(data + 1, size - 1) : fromRecords(data + 1, size - 1);
    std::vector<TBResourceEntry> entries;
    for (const CompiledResource& r : resources)
        entries.push_back({r.type, r.id, "", r.data.data(), long(r.data.size())});
    const std::int16_t file = TBAddResourceFile("fuzz", entries.data(), long(entries.size()));
    for (const CompiledResource& r : resources)
        readOne(r);
    TBRemoveResourceFile(file);
    return 0;
}
