// Drawing dialog items: controls by their definitions, text wrapped in its box, edit text with its
// frame and selection, icons, and user items by their procedures.
#include "DialogItems.h"

#include "Fonts.h"
#include "Scopes.h"

#include <vector>

namespace {

bool isControl(const DialogItem& item) {
    return (item.type & 0x7F) >= ctrlItem && (item.type & 0x7F) <= ctrlItem + resCtrl;
}

std::int16_t lineHeight(FontInfo* fi) {
    GetFontInfo(fi);
    return std::int16_t(fi->ascent + fi->descent + fi->leading);
}

std::int16_t width(const std::string& s, std::size_t from, std::size_t count) {
    return TextWidth(s.data(), std::int16_t(from), std::int16_t(count));
}

// Breaks `text` into lines that fit `maxWidth`: at Returns, else after the last space that fits,
// else wherever the line is full.
std::vector<std::pair<std::size_t, std::size_t>> wrap(const std::string& text, std::int16_t maxWidth) {
    std::vector<std::pair<std::size_t, std::size_t>> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = start, lastSpace = std::string::npos;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n' &&
               width(text, start, end - start + 1) <= maxWidth) {
            if (text[end] == ' ')
                lastSpace = end;
            ++end;
        }
        bool brokeAtReturn = end < text.size() && (text[end] == '\r' || text[end] == '\n');
        if (!brokeAtReturn && end < text.size() && lastSpace != std::string::npos)
            end = lastSpace + 1;
        if (end == start && !brokeAtReturn)
            ++end; // a character wider than the box still takes a line
        lines.emplace_back(start, end - start);
        start = end + (brokeAtReturn ? 1 : 0);
    }
    return lines;
}

void drawStaticText(const DialogItem& item) {
    std::string text = dialogs::substituted(dialogs::itemText(item));
    EraseRect(&item.box);
    FontInfo fi;
    std::int16_t height = lineHeight(&fi);
    RgnHandle savedClip = NewRgn();
    GetClip(savedClip);
    ClipRect(&item.box);
    std::int16_t baseline = std::int16_t(item.box.top + fi.ascent);
    for (auto [from, count] : wrap(text, std::int16_t(item.box.right - item.box.left))) {
        MoveTo(item.box.left, baseline);
        DrawText(text.data(), std::int16_t(from), std::int16_t(count));
        baseline = std::int16_t(baseline + height);
    }
    SetClip(savedClip);
    DisposeRgn(savedClip);
}

void drawEditText(DialogPtr dialog, std::int16_t itemNo, const DialogItem& item) {
    std::string text = dialogs::itemText(item);
    Rect frame = item.box;
    InsetRect(&frame, -3, -3);
    EraseRect(&frame);
    FrameRect(&frame);
    FontInfo fi;
    lineHeight(&fi);
    RgnHandle savedClip = NewRgn();
    GetClip(savedClip);
    ClipRect(&item.box);
    MoveTo(item.box.left, std::int16_t(item.box.top + fi.ascent));
    DrawText(text.data(), 0, std::int16_t(text.size()));
    const dialogs::EditState& e = dialogs::edit(dialog);
    if (e.item == itemNo) {
        Rect sel{item.box.top, std::int16_t(item.box.left + dialogs::textOffset(text, e.start)),
                 std::int16_t(item.box.top + fi.ascent + fi.descent),
                 std::int16_t(item.box.left + dialogs::textOffset(text, e.end))};
        if (e.start == e.end)
            sel.right = std::int16_t(sel.left + 1); // the caret
        InvertRect(&sel);
    }
    SetClip(savedClip);
    DisposeRgn(savedClip);
}

void drawItemContent(DialogPtr dialog, std::int16_t itemNo, const DialogItem& item) {
    switch (item.type & 0x7F) {
    case statText:
        drawStaticText(item);
        break;
    case editText:
        drawEditText(dialog, itemNo, item);
        break;
    case iconItem:
        if (item.handle)
            PlotCIcon(&item.box, reinterpret_cast<CIconHandle>(item.handle));
        break;
    case userItem:
        if (item.handle)
            reinterpret_cast<UserItemProcPtr>(item.handle)(dialog, itemNo);
        break;
    default:
        break;
    }
}

} // namespace

namespace dialogs {

void drawItem(DialogPtr dialog, std::int16_t itemNo) {
    const DialogItem* it = item(dialog, itemNo);
    if (!it || it->hidden)
        return;
    if (isControl(*it)) {
        Draw1Control(reinterpret_cast<ControlHandle>(it->handle));
        return;
    }
    PortScope port(dialog);
    PenScope pen;
    drawItemContent(dialog, itemNo, *it);
    SetPort(dialog); // a user item's procedure may have left another port
}

} // namespace dialogs

void DrawDialog(DialogPtr dialog) {
    DrawControls(dialog);
    for (std::int16_t i = 1; i <= dialogs::count(dialog); ++i)
        if (!isControl(*dialogs::item(dialog, i)))
            dialogs::drawItem(dialog, i);
}

void UpdateDialog(DialogPtr dialog, RgnHandle region) {
    for (std::int16_t i = 1; i <= dialogs::count(dialog); ++i) {
        Rect box = dialogs::item(dialog, i)->box;
        if ((dialogs::item(dialog, i)->type & 0x7F) == editText)
            InsetRect(&box, -3, -3);
        if (!region || RectInRgn(&box, region))
            dialogs::drawItem(dialog, i);
    }
}

void TBDrawDefaultOutline(DialogPtr dialog, std::int16_t button) {
    const DialogItem* it = dialogs::item(dialog, button);
    if (!it)
        return;
    PortScope port(dialog);
    PenScope pen;
    auto control = isControl(*it) ? reinterpret_cast<ControlHandle>(it->handle) : nullptr;
    if (control && (**control).contrlHilite == kControlInactivePart)
        PenPat(&qd.gray);
    PenSize(3, 3);
    Rect r = it->box;
    InsetRect(&r, -4, -4);
    FrameRoundRect(&r, 16, 16);
}
