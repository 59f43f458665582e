// Editable text items: the active item, its selection, and the keys that edit it.
#include "Memory.h"
#include "DialogItems.h"

#include "Fonts.h"
#include "Tracking.h"
#include "Scopes.h"
#include "Utf8.h"

#include <algorithm>
#include <map>

namespace {

constexpr std::size_t kMaxText = 255;

std::map<DialogPtr, dialogs::EditState>& states() {
    static std::map<DialogPtr, dialogs::EditState> s;
    return s;
}

enum : unsigned char {
    kBackspace = 0x08,
    kTab = 0x09,
    kLeftArrow = 0x1C,
    kRightArrow = 0x1D,
    kUpArrow = 0x1E,
    kDownArrow = 0x1F,
    kForwardDelete = 0x7F,
};

std::int16_t nextEditItem(DialogPtr dialog, std::int16_t from, bool backwards) {
    std::int16_t n = dialogs::count(dialog);
    for (std::int16_t step = 1; step <= n; ++step) {
        std::int16_t i = std::int16_t(((from - 1 + (backwards ? -step : step)) % n + n) % n + 1);
        if ((dialogs::item(dialog, i)->type & 0x7F) == editText && !dialogs::item(dialog, i)->hidden)
            return i;
    }
    return from;
}

const std::uint8_t* bytesOf(const std::string& text) {
    return reinterpret_cast<const std::uint8_t*>(text.data());
}

// The caret position (a character boundary) nearest to local h in the item's text.
std::int16_t offsetAt(DialogPtr dialog, const DialogItem& item, std::int16_t h) {
    std::string text = dialogs::itemText(item);
    const int length = int(text.size());
    PortScope port(dialog);
    std::int16_t best = 0;
    for (int before = 0, after = 0; before < length; before = after) {
        after = utf8::following(bytesOf(text), length, before);
        const int mid = item.box.left + (dialogs::textOffset(text, std::int16_t(before)) +
                                         dialogs::textOffset(text, std::int16_t(after))) /
                                            2;
        if (h >= mid)
            best = std::int16_t(after);
    }
    return best;
}

// Typed text arrives a byte a key: a character's first byte goes in only when the whole character
// will fit.
void replaceSelection(DialogItem& item, dialogs::EditState& e, const std::string& with) {
    std::string text = dialogs::itemText(item);
    std::string result = text.substr(0, std::size_t(e.start)) + with + text.substr(std::size_t(e.end));
    const std::size_t room = with.empty() ? 0 : std::size_t(utf8::sequenceLength(std::uint8_t(with[0])) - 1);
    if (result.size() + room > kMaxText)
        return;
    dialogs::setItemText(item, result);
    // Out of memory the text stays as it was (MemError says why), and so does the caret.
    if (MemError() == noErr)
        e.start = e.end = std::int16_t(e.start + std::int16_t(with.size()));
}

void moveCaret(dialogs::EditState& e, std::int16_t to, std::int16_t length) {
    e.start = e.end = std::clamp<std::int16_t>(to, 0, length);
}

} // namespace

namespace dialogs {

EditState& edit(DialogPtr dialog) {
    return states()[dialog];
}
void forgetEdit(DialogPtr dialog) {
    states().erase(dialog);
}

std::int16_t textOffset(const std::string& text, std::int16_t chars) {
    return TextWidth(text.data(), 0, std::min<std::int16_t>(chars, std::int16_t(text.size())));
}

bool editKey(DialogPtr dialog, const EventRecord& event) {
    EditState& e = edit(dialog);
    DialogItem* it = item(dialog, e.item);
    if (!it)
        return false;
    auto c = static_cast<unsigned char>(event.message & charCodeMask);
    auto key = static_cast<std::uint8_t>((event.message & keyCodeMask) >> 8);
    const std::string text = itemText(*it);
    auto length = std::int16_t(text.size());
    if (c == kTab) {
        SelectDialogItemText(dialog, nextEditItem(dialog, e.item, event.modifiers & shiftKey), 0, 32767);
        return true;
    }
    if ((event.modifiers & cmdKey) && (c == 'a' || c == 'A')) {
        e.start = 0;
        e.end = length;
    } else if (c == kBackspace || key == kVKDelete) {
        if (e.start == e.end)
            e.start = std::int16_t(utf8::previous(bytesOf(text), e.start));
        replaceSelection(*it, e, "");
    } else if (c == kForwardDelete || key == kVKForwardDelete) {
        if (e.start == e.end)
            e.end = std::int16_t(utf8::following(bytesOf(text), length, e.end));
        replaceSelection(*it, e, "");
    } else if (c == kLeftArrow) {
        moveCaret(e, e.start == e.end ? std::int16_t(utf8::previous(bytesOf(text), e.start)) : e.start,
                  length);
    } else if (c == kRightArrow) {
        moveCaret(e, e.start == e.end ? std::int16_t(utf8::following(bytesOf(text), length, e.end)) : e.end,
                  length);
    } else if (c == kUpArrow) {
        moveCaret(e, 0, length);
    } else if (c == kDownArrow) {
        moveCaret(e, length, length);
    } else if (c >= 0x20 && !(event.modifiers & cmdKey)) {
        replaceSelection(*it, e, std::string(1, char(c)));
    } else {
        return false;
    }
    drawItem(dialog, e.item);
    return true;
}

void editClick(DialogPtr dialog, std::int16_t itemNo, Point pt) {
    EditState& e = edit(dialog);
    const DialogItem& it = *item(dialog, itemNo);
    std::int16_t previous = e.item;
    std::int16_t anchor = offsetAt(dialog, it, pt.h);
    e = {itemNo, anchor, anchor};
    if (previous && previous != itemNo)
        drawItem(dialog, previous);
    drawItem(dialog, itemNo);
    PortScope port(dialog);
    while (TBStillTracking()) {
        Point now;
        GetMouse(&now);
        std::int16_t at = offsetAt(dialog, it, now.h);
        EditState next{itemNo, std::min(anchor, at), std::max(anchor, at)};
        if (next.start != e.start || next.end != e.end) {
            e = next;
            drawItem(dialog, itemNo);
        }
    }
}

} // namespace dialogs

void SelectDialogItemText(DialogPtr dialog, std::int16_t itemNo, std::int16_t start, std::int16_t end) {
    DialogItem* it = dialogs::item(dialog, itemNo);
    if (!it || (it->type & 0x7F) != editText)
        return;
    dialogs::EditState& e = dialogs::edit(dialog);
    std::int16_t previous = e.item;
    auto length = std::int16_t(dialogs::itemText(*it).size());
    e.item = itemNo;
    e.start = std::clamp<std::int16_t>(start, 0, length);
    e.end = std::clamp<std::int16_t>(end, e.start, length);
    dialogs::peek(dialog)->editField = std::int16_t(itemNo - 1);
    if (previous && previous != itemNo)
        dialogs::drawItem(dialog, previous);
    if (reinterpret_cast<WindowPeek>(dialog)->visible)
        dialogs::drawItem(dialog, itemNo);
}

std::int16_t TBDialogEditItem(DialogPtr dialog, std::int16_t* start, std::int16_t* end) {
    const dialogs::EditState& e = dialogs::edit(dialog);
    if (start)
        *start = e.start;
    if (end)
        *end = e.end;
    return e.item;
}
