#include "LM_mac_styles.h"

#include "LM_globals.h"
#include "LM_mac_exchange.h"
#include "LM_mac_items.h"
#include "LM_mac_style_dialogs.h"
#include "LM_mac_stream.h"
#include "Resources.h"
#include "TextUtils.h"
#include "relight_filter.h"

namespace {

constexpr LM_sint16 kUndeletableStyle = 141;

// The selected entry's text; empty when nothing is selected.
void selectedStyle(DialogPtr dialog, Str255 name) {
    name[0] = 0;
    const LM_sint16 entry = LM_ControlValue(dialog, kItemStyle);
    if (entry > 0)
        LM_PopupGetItem(dialog, kItemStyle, entry, name);
}

// Shows the loaded style as selected; its entry number becomes the style index (0: not listed).
void selectStyle(DialogPtr dialog, LM_globals* g, ConstStr255Param name) {
    const LM_sint16 entry = LM_PopupItemIndex(dialog, kItemStyle, name);
    if (entry > 0)
        LM_SetControlValue(dialog, kItemStyle, entry);
    g->SetStyleIndex(entry);
}

// Loads `preferred`, else the popup's first entry; the last name tried is selected, loaded or not.
void loadStartingStyle(DialogPtr dialog, LM_globals* g, ConstStr255Param preferred) {
    Str255 name;
    LM_PStringCopy(name, preferred);
    if (name[0] == 0 || !LM_LoadStyle(name, *g)) {
        LM_PopupGetItem(dialog, kItemStyle, 1, name);
        LM_LoadStyle(name, *g);
    }
    selectStyle(dialog, g, name);
}

// True when the style popup has entries.
bool listed(DialogPtr dialog) {
    return CountMItems(LM_PopupMenu(LM_ItemControl(dialog, kItemStyle))) > 0;
}

// Asks for a name until it is one that may be written: a declined overwrite or a locked file asks
// again. False when the user cancels.
bool askWritableName(LM_globals* g, Str255 name) {
    for (;;) {
        if (!LM_AskSaveAsName(g->filterRecord, name))
            return false;
        if (!LM_style_istream::Exists(name))
            return true;
        if (!LM_ConfirmOverwrite(name))
            continue;
        if (!LM_style_ostream::IsLocked(name))
            return true;
        LM_FileSaveLockedError(name);
    }
}

} // namespace

void LM_UndeletableStyleName(Str255 name) {
    GetIndString(name, kUndeletableStyle, 1);
}

LM_sint16 LM_RebuildStylePopup(DialogPtr dialog, LM_sint16 item) {
    ControlHandle control = LM_ItemControl(dialog, item);
    MenuHandle menu = LM_PopupMenu(control);
    if (!menu)
        return 0;
    for (LM_sint16 entry = CountMItems(menu); entry >= 1; --entry)
        DeleteMenuItem(menu, entry);
    Str255 undeletable, name;
    LM_UndeletableStyleName(undeletable);
    LM_PStringCopy(name, undeletable);
    bool added = !LM_IsStyleFile(name) || LM_PopupAppendLiteral(menu, name);
    for (LM_sint16 index = 0; added && LM_style_istream::IndexedInfo(index, name); ++index)
        if (!EqualString(name, undeletable, false, false))
            added = LM_PopupAppendLiteral(menu, name);
    const LM_sint16 entries = CountMItems(menu);
    SetControlMaximum(control, entries);
    SetControlMinimum(control, entries ? 1 : 0);
    LM_ItemForceDraw(dialog, item);
    if (entries)
        LM_EnableItem(dialog, kItemDeleteStyle);
    else
        LM_DisableItem(dialog, kItemDeleteStyle);
    LM_ItemForceDraw(dialog, kItemDeleteStyle);
    return added ? 0 : filterMemFull;
}

void LM_SetDeleteStyleState(DialogPtr dialog) {
    Str255 undeletable, selected;
    LM_UndeletableStyleName(undeletable);
    selectedStyle(dialog, selected);
    if (selected[0] == 0 || EqualString(selected, undeletable, false, false))
        LM_DisableItem(dialog, kItemDeleteStyle);
    else
        LM_EnableItem(dialog, kItemDeleteStyle);
    LM_ItemForceDraw(dialog, kItemDeleteStyle);
}

LM_sint16 LM_OpenStylePopup(DialogPtr dialog, LM_globals* g, Str255 firstStyle) {
    firstStyle[0] = 0;
    if (!g->UseCurrentSettings()) {
        LM_PopupGetItem(dialog, kItemStyle, 1, firstStyle);
        if (const LM_sint16 result = LM_RebuildStylePopup(dialog, kItemStyle))
            return result;
        if (listed(dialog))
            loadStartingStyle(dialog, g, firstStyle);
        else
            g->SetStyleIndex(0);
        return 0;
    }
    if (const LM_sint16 result = LM_RebuildStylePopup(dialog, kItemStyle))
        return result;
    // The folder may have lost styles since the last run; an unreadable folder keeps the index.
    if (listed(dialog) && g->StyleIndex() > GetControlMaximum(LM_ItemControl(dialog, kItemStyle)))
        g->SetStyleIndex(0);
    if (g->StyleIndex() > 0)
        LM_SetControlValue(dialog, kItemStyle, g->StyleIndex());
    return 0;
}

LM_sint16 LM_DoSaveStyle(DialogPtr dialog, LM_globals* g) {
    Str255 name;
    selectedStyle(dialog, name);
    if (!askWritableName(g, name))
        return 0;
    // An overwrite replaces the old file only once the new one is whole, so a failed save keeps it.
    if (!LM_SaveStyle(name, *g))
        LM_ShowStyleSaveError();
    const LM_sint16 result = LM_RebuildStylePopup(dialog, kItemStyle);
    selectStyle(dialog, g, name);
    LM_SetDeleteStyleState(dialog);
    return result;
}

LM_bool LM_DoSelectStyle(DialogPtr dialog, LM_globals* g) {
    Str255 name;
    selectedStyle(dialog, name);
    const LM_sint16 entry = LM_PopupItemIndex(dialog, kItemStyle, name);
    if (entry == g->StyleIndex())
        return false;
    LM_SetDeleteStyleState(dialog);
    if (!LM_LoadStyle(name, *g)) {
        LM_ShowStyleLoadError();
        return false;
    }
    g->SetStyleIndex(entry);
    return true;
}

LM_bool LM_DoDeleteStyle(DialogPtr dialog, LM_globals* g, ConstStr255Param firstStyle) {
    Str255 name;
    selectedStyle(dialog, name);
    if (LM_style_ostream::IsLocked(name)) {
        LM_FileDeleteLockedError(name);
        return false;
    }
    if (!LM_ConfirmDelete(name))
        return false;
    LM_DeleteStyle(name);
    g->Default();
    // Out of memory the popup lists the styles that fitted, and the first of them is loaded.
    LM_RebuildStylePopup(dialog, kItemStyle);
    if (listed(dialog))
        loadStartingStyle(dialog, g, firstStyle);
    else
        g->SetStyleIndex(0);
    return true;
}
