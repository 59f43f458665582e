// Menu Manager for pop-up menus: menus built in code or from MENU resources, their items, the menu
// list that pop-ups live in, and PopUpMenuSelect.
// Menus come from MENU resources only; items are appended, never inserted, and a disabled item stays
// disabled.
#pragma once

#include "Types.h"

// A menu. The handle holds this header and then menuData: the title and the items, each a Pascal
// string followed by icon, command key, mark and style bytes, ended by a 0 byte. Read menuData only
// through the calls below; it is longer than its declared size when the menu has many items.
struct MenuInfo {
    std::int16_t menuID;
    std::int16_t menuWidth;
    std::int16_t menuHeight;
    Handle menuProc;
    long enableFlags; // bit 0 the whole menu, bit n item n (items past 31 are always enabled)
    unsigned char menuData[256];
};
using MenuPtr = MenuInfo*;
using MenuHandle = MenuInfo**;

constexpr unsigned char checkMark = 0x12;
constexpr unsigned char noMark = 0;

// A new menu made from MENU resource `resourceID` (a copy: dispose of it with DisposeMenu), or null.
MenuHandle GetMenu(std::int16_t resourceID);
void DisposeMenu(MenuHandle menu);

// Appends the items of `data`, parsing metacharacters: ';' or Return separate items, '^' icon,
// '!' mark, '<' style, '/' command key, '(' disables, a leading '-' is a divider. Empty items are
// skipped. Use SetMenuItemText to store arbitrary text literally.
void AppendMenu(MenuHandle menu, ConstStr255Param data);
void DeleteMenuItem(MenuHandle menu, std::int16_t item);
std::int16_t CountMItems(MenuHandle menu);
// The item's text; empty when `item` is out of range.
void GetMenuItemText(MenuHandle menu, std::int16_t item, Str255 text);
// Replaces the item's text literally (no metacharacters).
void SetMenuItemText(MenuHandle menu, std::int16_t item, ConstStr255Param text);
void CheckItem(MenuHandle menu, std::int16_t item, Boolean checked);
void GetItemMark(MenuHandle menu, std::int16_t item, std::int16_t* mark);
// Item 0 stands for the whole menu.
void DisableItem(MenuHandle menu, std::int16_t item);
Boolean TBMenuItemEnabled(MenuHandle menu, std::int16_t item);
// True when the item is a dividing line (its text begins with '-').
Boolean TBMenuItemIsDivider(MenuHandle menu, std::int16_t item);

// The menu list. beforeID -1 inserts a pop-up or hierarchical menu.
void InsertMenu(MenuHandle menu, std::int16_t beforeID);

// Shows the menu with item `popUpItem` at (top, left), global, and tracks the mouse until the
// button is released. Returns menuID << 16 | item, or 0 when nothing was chosen. On the headless
// backend a scripted `choose` picks the entry with that text. The text is drawn in the current
// port's font and size; the menu is at least menuWidth wide.
long PopUpMenuSelect(MenuHandle menu, std::int16_t top, std::int16_t left, std::int16_t popUpItem);
