// PopUpMenuSelect: the menu in a window of its own over the screen, tracked until release.
#include "Menus.h"

#include "Backend.h"
#include "Events.h"
#include "Fonts.h"
#include "Tracking.h"
#include "Utf8.h"
#include "Windows.h"

#include <algorithm>
#include <string>

namespace {

constexpr std::int16_t kMarkColumn = 14; // room for the check mark
constexpr std::int16_t kRightMargin = 12;

struct MenuLayout {
    std::int16_t itemHeight;
    std::int16_t ascent;
    std::int16_t width;
};

MenuLayout layout(MenuHandle menu) {
    FontInfo fi;
    GetFontInfo(&fi);
    MenuLayout l{std::int16_t(fi.ascent + fi.descent + fi.leading + 2), std::int16_t(fi.ascent + 1), 0};
    for (std::int16_t i = 1; i <= CountMItems(menu); ++i) {
        Str255 text;
        GetMenuItemText(menu, i, text);
        l.width = std::max<std::int16_t>(l.width, StringWidth(text));
    }
    l.width = std::max<std::int16_t>(std::int16_t(l.width + kMarkColumn + kRightMargin), (**menu).menuWidth);
    return l;
}

Rect itemRect(const MenuLayout& l, std::int16_t item) {
    Rect r;
    SetRect(&r, 0, std::int16_t((item - 1) * l.itemHeight), l.width, std::int16_t(item * l.itemHeight));
    return r;
}

void drawCheckMark(std::int16_t h, std::int16_t v) {
    MoveTo(h, std::int16_t(v - 3));
    LineTo(std::int16_t(h + 2), std::int16_t(v - 1));
    LineTo(std::int16_t(h + 6), std::int16_t(v - 7));
}

void drawItem(MenuHandle menu, const MenuLayout& l, std::int16_t item, bool selected) {
    Rect r = itemRect(l, item);
    EraseRect(&r);
    if (TBMenuItemIsDivider(menu, item)) {
        static const Pattern grey = {{0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55}};
        PenPat(&grey);
        MoveTo(r.left, std::int16_t((r.top + r.bottom) / 2));
        LineTo(std::int16_t(r.right - 1), std::int16_t((r.top + r.bottom) / 2));
        PenNormal();
        return;
    }
    Str255 text;
    GetMenuItemText(menu, item, text);
    std::int16_t baseline = std::int16_t(r.top + l.ascent);
    std::int16_t mark;
    GetItemMark(menu, item, &mark);
    if (mark == checkMark)
        drawCheckMark(4, baseline);
    TextMode(TBMenuItemEnabled(menu, item) ? srcOr : grayishTextOr);
    MoveTo(kMarkColumn, baseline);
    DrawString(text);
    TextMode(srcOr);
    if (selected)
        InvertRect(&r);
}

// The item under the local point, 0 outside or on a disabled item.
std::int16_t itemAt(MenuHandle menu, const MenuLayout& l, Point pt) {
    if (pt.h < 0 || pt.h >= l.width || pt.v < 0)
        return 0;
    std::int16_t item = std::int16_t(pt.v / l.itemHeight + 1);
    if (item > CountMItems(menu) || !TBMenuItemEnabled(menu, item) || TBMenuItemIsDivider(menu, item))
        return 0;
    return item;
}

// The scripted choice: the entry whose text is `wanted`, else the first that differs only in letter
// case (as files are found by name); 0 when it is disabled.
std::int16_t scriptedItem(MenuHandle menu, const std::string& wanted) {
    std::int16_t found = 0;
    for (std::int16_t i = 1; i <= CountMItems(menu); ++i) {
        Str255 text;
        GetMenuItemText(menu, i, text);
        const std::string entry(reinterpret_cast<char*>(text + 1), text[0]);
        if (entry == wanted)
            return TBMenuItemEnabled(menu, i) ? i : 0;
        if (!found && utf8::equal(entry, wanted, false, true))
            found = i;
    }
    if (!found)
        TBScriptFail("choose: the menu has no entry \"" + wanted + "\"");
    return found && TBMenuItemEnabled(menu, found) ? found : 0;
}

std::int16_t track(MenuHandle menu, const MenuLayout& l) {
    std::int16_t current = 0;
    Point pt;
    do {
        GetMouse(&pt);
        std::int16_t under = itemAt(menu, l, pt);
        if (under != current) {
            if (current)
                drawItem(menu, l, current, false);
            if (under)
                drawItem(menu, l, under, true);
            current = under;
        }
    } while (TBStillTracking());
    return itemAt(menu, l, TBReleasePoint());
}

WindowPtr openMenuWindow(const MenuLayout& l, std::int16_t count, std::int16_t top, std::int16_t left,
                         std::int16_t popUpItem) {
    Rect screen, bounds;
    TBGetScreenBounds(&screen);
    std::int16_t height = std::int16_t(count * l.itemHeight);
    std::int16_t t = std::int16_t(top - (std::max<std::int16_t>(popUpItem, 1) - 1) * l.itemHeight);
    t = std::clamp<std::int16_t>(t, std::int16_t(screen.top + 1),
                                 std::int16_t(std::max(screen.top + 1, screen.bottom - height - 2)));
    std::int16_t h =
        std::clamp<std::int16_t>(left, std::int16_t(screen.left + 1),
                                 std::int16_t(std::max(screen.left + 1, screen.right - l.width - 2)));
    SetRect(&bounds, h, t, std::int16_t(h + l.width), std::int16_t(t + height));
    return NewCWindow(nullptr, &bounds, reinterpret_cast<ConstStr255Param>("\0"), true, plainDBox,
                      reinterpret_cast<WindowPtr>(-1), false, 0);
}

} // namespace

long PopUpMenuSelect(MenuHandle menu, std::int16_t top, std::int16_t left, std::int16_t popUpItem) {
    std::int16_t count = CountMItems(menu);
    if (!menu || count == 0)
        return 0;
    GrafPtr caller;
    GetPort(&caller);
    std::int16_t font = caller ? caller->txFont : 0, size = caller ? caller->txSize : 0;
    MenuLayout l = layout(menu);
    WindowPtr window = openMenuWindow(l, count, top, left, popUpItem);
    if (!window)
        return 0;
    SetPort(window);
    TextFont(font);
    TextSize(size);
    for (std::int16_t i = 1; i <= count; ++i)
        drawItem(menu, l, i, false);
    std::string wanted;
    std::int16_t chosen;
    if (TBTakeScriptedChoice(&wanted)) {
        // The menu goes before the release is replayed, so that the release's position is found
        // in the dialog again.
        chosen = scriptedItem(menu, wanted);
        DisposeWindow(window);
        while (TBStillTracking()) {
        }
    } else {
        chosen = track(menu, l);
        DisposeWindow(window);
    }
    SetPort(caller);
    return chosen ? long((**menu).menuID) << 16 | chosen : 0;
}
