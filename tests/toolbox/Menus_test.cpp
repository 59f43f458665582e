#include "Menus.h"
#include "UiTestSupport.h"

#include <tuple>

namespace {

using Texts = std::vector<std::string>;

Texts texts(MenuHandle m) {
    Texts out;
    for (std::int16_t i = 1; i <= CountMItems(m); ++i) {
        Str255 s;
        GetMenuItemText(m, i, s);
        out.push_back(pstr(s));
    }
    return out;
}

// The enable state of items 1 to `count`.
std::vector<bool> enabled(MenuHandle m, int count) {
    std::vector<bool> out;
    for (std::int16_t i = 1; i <= count; ++i)
        out.push_back(TBMenuItemEnabled(m, i));
    return out;
}

// Items appended to a resource menu: metacharacters consumed and empty items skipped, text set
// literally, deletions shifting the later items' enable bits down, item 0 the whole menu.
TEST(Menus, ItemTextsAndStates) {
    MenuHandle m = GetMenu(500);
    ASSERT_NE(m, nullptr);
    AppendMenu(m, PString("One;Two/T;(Three;-;!\x12"
                          "Four<B^1;;Five\rSix")
                      .s);
    SetMenuItemText(m, 9, PString("a;b(c)/d!e^f<g").s);
    SetMenuItemText(m, 2, PString(std::string(200, 'x')).s);
    DeleteMenuItem(m, 1);
    DeleteMenuItem(m, 99);
    for (int i = 10; i <= 40; ++i)
        AppendMenu(m, PString("Item " + std::to_string(i)).s);
    Texts expected = {std::string(200, 'x'), "Spot", "One", "Two", "Three", "-", "Four",
                      "a;b(c)/d!e^f<g",      "Six"};
    for (int i = 10; i <= 40; ++i)
        expected.push_back("Item " + std::to_string(i));
    EXPECT_EQ(texts(m), expected);
    EXPECT_EQ(enabled(m, 5), (std::vector<bool>{true, false, true, true, false}));
    std::int16_t mark = 0;
    GetItemMark(m, 7, &mark);
    Str255 s;
    s[0] = 5;
    GetMenuItemText(m, 99, s);
    EXPECT_EQ((std::tuple{bool(TBMenuItemIsDivider(m, 6)), mark, s[0], bool(TBMenuItemEnabled(m, 35))}),
              (std::tuple{true, std::int16_t(checkMark), 0, true}))
        << "a divider, a mark, no text out of range, items past 31 always enabled";
    DisableItem(m, 0);
    EXPECT_FALSE(TBMenuItemEnabled(m, 1)) << "item 0 is the whole menu";
    DisposeMenu(m);
    DisposeMenu(m); // a second disposal is ignored
    EXPECT_EQ(GetMenu(501), nullptr);
}

} // namespace
