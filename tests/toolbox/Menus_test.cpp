#include "Menus.h"
#include "Resources.h"
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

TEST(Menus, AppendMenuParsesMetacharacters) {
    MenuHandle m = NewMenu(7, PString("Styles").s);
    ASSERT_NE(m, nullptr);
    AppendMenu(m, PString("One;Two/T;(Three;-;!\x12"
                          "Four<B^1;;Five\rSix")
                      .s);
    EXPECT_EQ(texts(m), (Texts{"One", "Two", "Three", "-", "Four", "Five", "Six"}))
        << "metacharacters are consumed, empty items skipped";
    EXPECT_EQ(enabled(m, 3), (std::vector<bool>{true, true, false})) << "'(' disables";
    std::int16_t mark = 0;
    GetItemMark(m, 5, &mark);
    EXPECT_EQ((std::tuple{bool(TBMenuItemIsDivider(m, 4)), mark}),
              (std::tuple{true, std::int16_t(checkMark)}));

    // Arbitrary names go in through a placeholder and SetMenuItemText.
    AppendMenu(m, PString(" ").s);
    SetMenuItemText(m, 8, PString("a;b(c)/d!e^f<g").s);
    EXPECT_EQ((std::tuple{texts(m).back(), bool(TBMenuItemEnabled(m, 8))}),
              (std::tuple{"a;b(c)/d!e^f<g", true}));

    // Deleting shifts later items' enable bits down, inserting shifts them up; item 0 is the menu.
    DeleteMenuItem(m, 1);
    EXPECT_EQ(enabled(m, 2), (std::vector<bool>{true, false}));
    InsertMenuItem(m, PString("Zero").s, 0);
    EXPECT_EQ(texts(m).front(), "Zero");
    DisableItem(m, 1);
    EXPECT_EQ(enabled(m, 3), (std::vector<bool>{false, true, false}));
    EnableItem(m, 1);
    EXPECT_TRUE(TBMenuItemEnabled(m, 1));
    DisableItem(m, 0);
    EXPECT_FALSE(TBMenuItemEnabled(m, 1)) << "item 0 is the whole menu";

    Str255 s;
    s[0] = 5;
    GetMenuItemText(m, 99, s);
    DeleteMenuItem(m, 99);
    EXPECT_EQ((std::tuple{s[0], CountMItems(m)}), (std::tuple{0, 8}))
        << "out of range: empty, nothing deleted";
    DisposeMenu(m);
    DisposeMenu(m); // a second disposal is ignored
}

TEST(Menus, ManyItemsAndResourceMenus) {
    MenuHandle m = NewMenu(8, PString("").s);
    for (int i = 1; i <= 40; ++i)
        AppendMenu(m, PString("Item " + std::to_string(i)).s);
    EXPECT_TRUE(TBMenuItemEnabled(m, 35)) << "items past 31 are always enabled";
    SetMenuItemText(m, 3, PString(std::string(200, 'x')).s);
    const Texts all = texts(m);
    EXPECT_EQ((std::tuple{all.size(), all[3], all[39]}), (std::tuple{40u, "Item 4", "Item 40"}))
        << "a longer text moves the items after it";

    DisposeMenu(m);

    MenuHandle r = GetMenu(500);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ((std::tuple{(**r).menuID, texts(r)}), (std::tuple{500, Texts{"Directional", "Omni", "Spot"}}));
    EXPECT_FALSE(TBMenuItemEnabled(r, 3));
    DisposeMenu(r);
    EXPECT_EQ(GetMenu(501), nullptr);
}

// MENU resources whose item lengths run past the data, or that lack the closing zero, are refused.
TEST(Menus, DamagedMenuResourcesAreRefused) {
    // id 600, width, height, procID, filler, enable flags, then title "M" and the items.
    const auto resource = [](std::initializer_list<unsigned char> items) {
        std::vector<unsigned char> bytes{2, 88, 0, 0, 0, 0, 0, 0, 0, 0, 255, 255, 255, 255, 1, 'M'};
        bytes.insert(bytes.end(), items);
        return bytes;
    };
    const std::vector<unsigned char> whole = resource({2, 'O', 'n', 0, 0, 0, 0, 0});
    const std::vector<unsigned char> longItem = resource({40, 'O', 'n', 0, 0, 0, 0, 0});
    const std::vector<unsigned char> unclosed = resource({2, 'O', 'n', 0, 0, 0, 0});
    const TBResourceEntry entries[] = {{FOUR_CHAR("MENU"), 600, "", whole.data(), long(whole.size())},
                                       {FOUR_CHAR("MENU"), 601, "", longItem.data(), long(longItem.size())},
                                       {FOUR_CHAR("MENU"), 602, "", unclosed.data(), long(unclosed.size())}};
    TBResourceRegistration file("damaged", entries, 3);
    MenuHandle m = GetMenu(600);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(texts(m), (Texts{"On"}));
    DisposeMenu(m);
    EXPECT_EQ(GetMenu(601), nullptr) << "an item longer than the data";
    EXPECT_EQ(GetMenu(602), nullptr) << "no closing zero";
}

} // namespace
