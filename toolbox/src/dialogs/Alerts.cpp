// Alerts: ALRT stages, a dialog from the DITL with the kind's icon and the default button's outline,
// and the log that tests and automation read.
#include "DialogItems.h"

#include "Backend.h"
#include "Memory.h"
#include "Resources.h"
#include "Reset.h"

#include <cstdio>

namespace {

enum : std::int16_t { kStopIcon = 0, kNoteIcon = 1, kCautionIcon = 2, kNoIcon = -1 };
constexpr Rect kIconBox = {10, 20, 42, 52};

struct AlertLog {
    std::vector<std::int16_t> ids;
    std::vector<std::string> texts;
    std::int16_t lastID = 0;
    int stage = 0; // stages shown so far for lastID, at most 4
};

AlertLog& log() {
    static AlertLog l;
    return l;
}

std::int16_t word(const unsigned char* p) {
    return std::int16_t(p[0] << 8 | p[1]);
}

void drawOutline(DialogPtr dialog, std::int16_t) {
    TBDrawDefaultOutline(dialog, dialogs::peek(dialog)->aDefItem);
}

// What the alert says: its static texts after substitution, joined by spaces.
std::string alertText(DialogPtr dialog) {
    std::string text;
    for (std::int16_t i = 1; i <= dialogs::count(dialog); ++i) {
        const DialogItem* it = dialogs::item(dialog, i);
        if ((it->type & 0x7F) == statText)
            text += (text.empty() ? "" : " ") + dialogs::substituted(dialogs::itemText(*it));
    }
    return text;
}

// dialog null: the alert's resources are missing, which is still worth a line.
void record(std::int16_t alertID, DialogPtr dialog) {
    std::string text = dialog ? alertText(dialog) : "(no ALRT or DITL resource)";
    log().ids.push_back(alertID);
    log().texts.push_back(text);
    if (TBCurrentBackend() == TBBackendKind::headless)
        std::fprintf(stderr, "alert %d: %s\n", alertID, text.c_str());
}

// The extra items an alert gets: its icon, and a user item drawing the default button's outline.
void addDecorations(DialogPtr dialog, std::int16_t icon) {
    if (icon != kNoIcon)
        if (CIconHandle h = GetCIcon(icon))
            dialogs::appendItem(dialog,
                                {reinterpret_cast<Handle>(h), kIconBox, iconItem | itemDisable, false});
    const DialogItem* button = dialogs::item(dialog, dialogs::peek(dialog)->aDefItem);
    if (!button)
        return;
    Rect around = button->box;
    InsetRect(&around, -4, -4);
    dialogs::appendItem(dialog, {reinterpret_cast<Handle>(&drawOutline), around,
                                 std::uint8_t(userItem | itemDisable), false});
}

std::int16_t runAlert(std::int16_t alertID, ModalFilterProcPtr filter, std::int16_t icon) {
    Handle alrt = GetResource(FOUR_CHAR("ALRT"), alertID);
    if (!alrt || GetHandleSize(alrt) < 12) {
        record(alertID, nullptr);
        return -1;
    }
    const auto* p = reinterpret_cast<const unsigned char*>(*alrt);
    AlertLog& l = log();
    l.stage = l.lastID == alertID ? std::min(l.stage + 1, 4) : 1;
    l.lastID = alertID;
    int nibble = (word(p + 10) >> (4 * (l.stage - 1))) & 0xF;
    if (!(nibble & 4))
        return -1;
    Handle ditl = GetResource(FOUR_CHAR("DITL"), word(p + 8));
    if (!ditl) {
        record(alertID, nullptr);
        return -1;
    }
    dialogs::Template t{{word(p), word(p + 2), word(p + 4), word(p + 6)}, dBoxProc, false, false, 0, {0}};
    // Alerts always take the alert position, so that they are seen whatever the screen size.
    dialogs::place(&t.bounds, dialogs::kAlertPosition);
    DialogPtr dialog = dialogs::create(t, ditl, nullptr, reinterpret_cast<WindowPtr>(-1));
    if (!dialog)
        return -1;
    SetDialogDefaultItem(dialog, nibble & 8 ? 2 : 1);
    addDecorations(dialog, icon);
    record(alertID, dialog);
    ShowWindow(dialog);
    DrawDialog(dialog);
    std::int16_t item = 0;
    ModalDialog(filter, &item);
    DisposeDialog(dialog);
    return item;
}

} // namespace

std::int16_t StopAlert(std::int16_t alertID, ModalFilterProcPtr filterProc) {
    return runAlert(alertID, filterProc, kStopIcon);
}

const std::vector<std::int16_t>& TBAlertLog() {
    return log().ids;
}
const std::vector<std::string>& TBAlertTextLog() {
    return log().texts;
}
void reset::Alerts() {
    log() = AlertLog{};
}
