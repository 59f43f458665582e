#include "HostUtils.h"

#include "Backend.h"
#include "Memory.h"

namespace {

constexpr long kDlogBoundsSize = 8;
constexpr long kDlogProcIDOffset = 8;

Rect readBounds(const unsigned char* p) {
    auto word = [p](int at) { return std::int16_t(p[at] << 8 | p[at + 1]); };
    return Rect{word(0), word(2), word(4), word(6)};
}

void writeWord(unsigned char* p, std::int16_t v) {
    p[0] = static_cast<unsigned char>(std::uint16_t(v) >> 8);
    p[1] = static_cast<unsigned char>(v);
}

} // namespace

void CenterDialog(Handle dlogTemplate) {
    if (!dlogTemplate || !*dlogTemplate || GetHandleSize(dlogTemplate) < kDlogBoundsSize)
        return;
    auto* p = reinterpret_cast<unsigned char*>(*dlogTemplate);
    Rect r = readBounds(p), screen;
    TBGetScreenBounds(&screen);
    std::int16_t w = std::int16_t(r.right - r.left), h = std::int16_t(r.bottom - r.top);
    std::int16_t left = std::int16_t((screen.right - screen.left - w) / 2);
    std::int16_t top =
        std::int16_t(kTBTitleBarHeight + (screen.bottom - screen.top - h - kTBTitleBarHeight) / 3);
    writeWord(p, std::max<std::int16_t>(top, kTBTitleBarHeight));
    writeWord(p + 2, std::max<std::int16_t>(left, 0));
    writeWord(p + 4, std::int16_t(std::max<std::int16_t>(top, kTBTitleBarHeight) + h));
    writeWord(p + 6, std::int16_t(std::max<std::int16_t>(left, 0) + w));
}

void SetUpMoveableModal(Handle dlogTemplate, OSType) {
    if (dlogTemplate && *dlogTemplate && GetHandleSize(dlogTemplate) >= kDlogProcIDOffset + 2)
        writeWord(reinterpret_cast<unsigned char*>(*dlogTemplate) + kDlogProcIDOffset, movableDBoxProc);
}

void ShowAbout(std::int16_t dialogID) {
    DialogPtr dialog = GetNewDialog(dialogID, nullptr, reinterpret_cast<WindowPtr>(-1));
    if (!dialog)
        return;
    ShowWindow(dialog);
    DrawDialog(dialog);
    std::int16_t item = 0;
    ModalDialog(
        [](DialogPtr, EventRecord* e, std::int16_t* hit) -> Boolean {
            if (e->what != mouseDown && e->what != keyDown)
                return false;
            *hit = 1;
            return true;
        },
        &item);
    DisposeDialog(dialog);
}
