// Menus live in their handles as the classic layout: a header, then the title and the items packed
// as Pascal strings with four attribute bytes each, then a 0 byte. An empty text would read as the
// end, so empty texts are stored as one space.
#include "Menus.h"

#include "Memory.h"
#include "Resources.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <set>
#include <vector>

namespace {

constexpr std::size_t kDataOffset = offsetof(MenuInfo, menuData);
constexpr int kAttributeBytes = 4; // icon, command key, mark, style
enum : int { kIcon = 0, kCommand = 1, kMark = 2, kStyle = 3 };

std::vector<MenuHandle>& menuList() {
    static std::vector<MenuHandle> list;
    return list;
}

// Menus made here and not yet disposed: disposing of one twice (a pop-up's owner and the pop-up
// both letting go) must not free it twice.
std::set<MenuHandle>& liveMenus() {
    static std::set<MenuHandle> live;
    return live;
}

unsigned char* data(MenuHandle menu) {
    return reinterpret_cast<unsigned char*>(*menu) + kDataOffset;
}
long dataSize(MenuHandle menu) {
    return GetHandleSize(reinterpret_cast<Handle>(menu)) - long(kDataOffset);
}

// Offset of item `item`'s text from the start of menuData (item 0 = the title); for item
// CountMItems + 1, the offset of the end byte. -1 when out of range.
long itemOffset(MenuHandle menu, int item) {
    if (!menu || item < 0)
        return -1;
    const unsigned char* d = data(menu);
    long offset = 1 + d[0];
    for (int i = 1; i < item; ++i) {
        if (d[offset] == 0)
            return -1;
        offset += 1 + d[offset] + kAttributeBytes;
    }
    return item == 0 ? 0 : offset;
}

bool insertBytes(MenuHandle menu, long offset, const unsigned char* bytes, long count) {
    Handle h = reinterpret_cast<Handle>(menu);
    long size = GetHandleSize(h);
    SetHandleSize(h, size + count);
    if (MemError() != noErr)
        return false;
    unsigned char* at = data(menu) + offset;
    std::memmove(at + count, at, std::size_t(size - long(kDataOffset) - offset));
    std::memcpy(at, bytes, std::size_t(count));
    return true;
}

void eraseBytes(MenuHandle menu, long offset, long count) {
    unsigned char* at = data(menu) + offset;
    std::memmove(at, at + count, std::size_t(dataSize(menu) - offset - count));
    SetHandleSize(reinterpret_cast<Handle>(menu), GetHandleSize(reinterpret_cast<Handle>(menu)) - count);
}

// Moves the enable bits of items >= item by `by` (+1 after an insertion, -1 after a deletion).
// Items past 31 have no bit (they are always enabled), so nothing moves for them.
void shiftEnableBits(MenuHandle menu, int item, int by) {
    if (item >= 32)
        return;
    auto flags = static_cast<std::uint32_t>((**menu).enableFlags);
    std::uint32_t low = flags & ((1u << item) - 1);
    std::uint32_t high = flags & ~((1u << item) - 1);
    if (by > 0)
        high = (high << 1) | (1u << item); // the new item starts enabled
    else
        high = ((high >> 1) & ~((1u << item) - 1)) | 0x80000000u; // item 32 moves up, and it was enabled
    (**menu).enableFlags = long(low | high);
}

struct ParsedItem {
    std::vector<unsigned char> text;
    unsigned char attributes[kAttributeBytes] = {0, 0, 0, 0};
    bool enabled = true;
};

unsigned char styleBit(unsigned char c) {
    switch (c) {
    case 'B':
        return 1;
    case 'I':
        return 2;
    case 'U':
        return 4;
    case 'O':
        return 8;
    case 'S':
        return 16;
    default:
        return 0;
    }
}

std::vector<ParsedItem> parseItems(ConstStr255Param source) {
    std::vector<ParsedItem> items(1);
    for (int i = 1; i <= source[0]; ++i) {
        unsigned char c = source[i];
        bool hasNext = i < source[0];
        ParsedItem& item = items.back();
        if (c == ';' || c == '\r') {
            items.emplace_back();
        } else if (c == '(') {
            item.enabled = false;
        } else if ((c == '^' || c == '!' || c == '/' || c == '<') && hasNext) {
            unsigned char arg = source[++i];
            if (c == '^')
                item.attributes[kIcon] = static_cast<unsigned char>(arg - '0');
            else if (c == '!')
                item.attributes[kMark] = arg;
            else if (c == '/')
                item.attributes[kCommand] = arg;
            else
                item.attributes[kStyle] |= styleBit(arg);
        } else {
            item.text.push_back(c);
        }
    }
    std::erase_if(items, [](const ParsedItem& item) { return item.text.empty(); });
    for (ParsedItem& item : items)
        if (item.text[0] == '-')
            item.enabled = false;
    return items;
}

void insertParsed(MenuHandle menu, const ParsedItem& item, int afterItem) {
    long offset = itemOffset(menu, afterItem + 1);
    std::vector<unsigned char> bytes;
    bytes.push_back(static_cast<unsigned char>(item.text.size()));
    bytes.insert(bytes.end(), item.text.begin(), item.text.end());
    bytes.insert(bytes.end(), item.attributes, item.attributes + kAttributeBytes);
    if (!insertBytes(menu, offset, bytes.data(), long(bytes.size())))
        return;
    shiftEnableBits(menu, afterItem + 1, +1);
    if (!item.enabled)
        DisableItem(menu, std::int16_t(afterItem + 1));
}

unsigned char* attributes(MenuHandle menu, int item) {
    if (item < 1 || item > CountMItems(menu))
        return nullptr;
    long offset = itemOffset(menu, item);
    return data(menu) + offset + 1 + data(menu)[offset];
}

// True when menu data is a title and items that all lie inside it, closed by the zero byte.
bool wellFormed(const unsigned char* menuData, long size) {
    if (size < 1)
        return false;
    long offset = 1 + menuData[0];
    while (offset < size && menuData[offset] != 0)
        offset += 1 + menuData[offset] + kAttributeBytes;
    return offset < size;
}

MenuHandle newMenu(std::int16_t menuID, const unsigned char* menuData, long menuDataSize, long enableFlags) {
    auto menu = reinterpret_cast<MenuHandle>(NewHandleClear(long(kDataOffset) + menuDataSize));
    if (!menu)
        return nullptr;
    (**menu).menuID = menuID;
    (**menu).enableFlags = enableFlags;
    std::memcpy(data(menu), menuData, std::size_t(menuDataSize));
    liveMenus().insert(menu);
    return menu;
}

} // namespace

MenuHandle GetMenu(std::int16_t resourceID) {
    // The resource: id, width, height, procID, filler (2 bytes each), enable flags (4), menuData.
    constexpr long kHeader = 14;
    Handle resource = GetResource(FOUR_CHAR("MENU"), resourceID);
    if (!resource || GetHandleSize(resource) <= kHeader)
        return nullptr;
    const auto* r = reinterpret_cast<const unsigned char*>(*resource);
    if (!wellFormed(r + kHeader, GetHandleSize(resource) - kHeader))
        return nullptr;
    long flags =
        long(std::uint32_t(r[10]) << 24 | std::uint32_t(r[11]) << 16 | std::uint32_t(r[12]) << 8 | r[13]);
    return newMenu(std::int16_t(r[0] << 8 | r[1]), r + kHeader, GetHandleSize(resource) - kHeader, flags);
}

void DisposeMenu(MenuHandle menu) {
    if (!liveMenus().erase(menu))
        return;
    std::erase(menuList(), menu);
    DisposeHandle(reinterpret_cast<Handle>(menu));
}

void AppendMenu(MenuHandle menu, ConstStr255Param source) {
    int after = CountMItems(menu);
    for (const ParsedItem& item : parseItems(source))
        insertParsed(menu, item, after++);
}

void DeleteMenuItem(MenuHandle menu, std::int16_t item) {
    if (item < 1 || item > CountMItems(menu))
        return;
    long offset = itemOffset(menu, item);
    eraseBytes(menu, offset, 1 + data(menu)[offset] + kAttributeBytes);
    shiftEnableBits(menu, item, -1);
}

std::int16_t CountMItems(MenuHandle menu) {
    if (!menu)
        return 0;
    const unsigned char* d = data(menu);
    std::int16_t count = 0;
    for (long offset = 1 + d[0]; d[offset] != 0; offset += 1 + d[offset] + kAttributeBytes)
        ++count;
    return count;
}

void GetMenuItemText(MenuHandle menu, std::int16_t item, Str255 text) {
    text[0] = 0;
    if (item < 1 || item > CountMItems(menu))
        return;
    const unsigned char* at = data(menu) + itemOffset(menu, item);
    std::memcpy(text, at, std::size_t(at[0]) + 1);
}

void SetMenuItemText(MenuHandle menu, std::int16_t item, ConstStr255Param text) {
    if (item < 1 || item > CountMItems(menu))
        return;
    static const unsigned char kSpace[] = {1, ' '};
    ConstStr255Param stored = text[0] ? text : kSpace;
    long offset = itemOffset(menu, item);
    int oldLength = data(menu)[offset];
    if (!insertBytes(menu, offset + 1, stored + 1, stored[0]))
        return;
    data(menu)[offset] = stored[0];
    eraseBytes(menu, offset + 1 + stored[0], oldLength);
}

void GetItemMark(MenuHandle menu, std::int16_t item, std::int16_t* mark) {
    unsigned char* a = attributes(menu, item);
    *mark = a ? a[kMark] : 0;
}

void CheckItem(MenuHandle menu, std::int16_t item, Boolean checked) {
    if (unsigned char* a = attributes(menu, item))
        a[kMark] = checked ? checkMark : noMark;
}

void DisableItem(MenuHandle menu, std::int16_t item) {
    if (menu && item >= 0 && item < 32)
        (**menu).enableFlags = long(std::uint32_t((**menu).enableFlags) & ~(1u << item));
}

Boolean TBMenuItemEnabled(MenuHandle menu, std::int16_t item) {
    auto flags = std::uint32_t((**menu).enableFlags);
    return (flags & 1) && (item >= 32 || (flags & (1u << item)));
}

Boolean TBMenuItemIsDivider(MenuHandle menu, std::int16_t item) {
    Str255 text;
    GetMenuItemText(menu, item, text);
    return text[0] > 0 && text[1] == '-';
}

void InsertMenu(MenuHandle menu, std::int16_t) {
    if (menu && std::find(menuList().begin(), menuList().end(), menu) == menuList().end())
        menuList().push_back(menu);
}
