#include "Button.h"
#include "Menu.h"
#include "Platform.h"
#include "TestSupport.h"
#include "TextUtilities.h"

using namespace TorUtility;
using TestSupport::EventLog;
using TestSupport::PumpMessages;

namespace {

EventLog log;

using Items = std::vector<std::string>;

// A platform menu's items, one string each: "id text" for a command, "---" for a separator,
// "text { ... }" for a cascade, with "[x] " before a checked item and " (grey)" after a greyed one.
Items ItemsOf(HMENU menu)
{
    Items items;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        wchar_t text[128] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = 127;
        GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
        if (info.fType & MFT_SEPARATOR) {
            items.push_back("---");
            continue;
        }
        std::string entry = ToNarrow(text);
        if (info.hSubMenu) {
            entry += " {";
            for (const std::string& inner : ItemsOf(info.hSubMenu))
                entry += " " + inner;
            entry += " }";
        } else {
            entry = std::to_string(info.wID) + " " + entry;
        }
        if (info.fState & MFS_CHECKED)
            entry = "[x] " + entry;
        if (info.fState & MFS_GRAYED)
            entry += " (grey)";
        items.push_back(entry);
    }
    return items;
}

std::string Command(const SubMenu& item)
{
    return std::to_string(item.id) + " " + ToNarrow(item.text);
}

void RecordCommand(GUIElement* element)
{
    auto* item = dynamic_cast<SubMenu*>(element);
    log.Record(ToNarrow(element->text) + " checked " + (item && item->checkState ? "1" : "0"));
}

// What the stand-in for the platform's popup was given, and the command it chooses, if any.
struct PopupRecord {
    int shown = 0;
    Items items;
    int x = 0;
    int y = 0;
    HWND owner = nullptr;
    HMENU menu = nullptr;
    std::int32_t choice = 0;
};

PopupRecord popup;

// Like the real popup, it answers at once and reports a choice afterwards as a menu command.
BOOL WINAPI RecordPopup(HMENU menu, UINT, int x, int y, int, HWND owner, const RECT*)
{
    ++popup.shown;
    popup.items = ItemsOf(menu);
    popup.x = x;
    popup.y = y;
    popup.owner = owner;
    popup.menu = menu;
    if (popup.choice)
        PostMessageW(owner, WM_COMMAND, MAKEWPARAM(popup.choice, 0), 0);
    return TRUE;
}

class MenuTest : public TestSupport::FormHostTest {
protected:
    void SetUp() override
    {
        FormHostTest::SetUp();
        log.Clear();
        popup = PopupRecord{};
        realPopup = platform.trackPopupMenu;
        platform.trackPopupMenu = RecordPopup;
    }

    void TearDown() override
    {
        platform.trackPopupMenu = realPopup;
        FormHostTest::TearDown();
    }

    void Choose(const SubMenu& item)
    {
        SendMessageW(form->handle, WM_COMMAND, MAKEWPARAM(item.id, 0), 0);
    }

    decltype(platform.trackPopupMenu) realPopup = nullptr;
};

TEST_F(MenuTest, BarShowsTitlesAndItemsInConstructionOrder)
{
    MenuBar bar(form.get());
    Menu game("Partita", &bar);
    SubMenu fresh(&game, "Nuova");
    SubMenu line(&game, "");
    line.itemFlags = MF_SEPARATOR;
    SubMenu more(&game, "Altro");
    SubMenu deep(&more, "Profondo");
    SubMenu quit(&game, "Esci");
    Menu help("Aiuto", &bar);
    SubMenu about(&help, "Informazioni");
    bar.Create();

    EXPECT_EQ(GetMenu(form->handle), bar.menuHandle);
    EXPECT_EQ(ItemsOf(bar.menuHandle),
              (Items{"Partita { " + Command(fresh) + " --- Altro { " + Command(deep) + " } " + Command(quit) + " }",
                     "Aiuto { " + Command(about) + " }"}));
    EXPECT_EQ(about.id, deep.id + 2) << "items take their identifiers as they are constructed";
}

TEST_F(MenuTest, ItemsMadeUnderCreatedTitlesAreAppendedAtTheEnd)
{
    MenuBar bar(form.get());
    Menu game("Partita", &bar);
    SubMenu fresh(&game, "Nuova");
    SubMenu more(&game, "Altro");
    SubMenu deep(&more, "Profondo");
    bar.Create();

    SubMenu late(&game, "Tardi");
    SubMenu deeper(&more, "Ancora");
    Menu help("Aiuto", &bar);
    SubMenu about(&help, "Informazioni");
    EXPECT_EQ(ItemsOf(bar.menuHandle),
              (Items{"Partita { " + Command(fresh) + " Altro { " + Command(deep) + " " + Command(deeper) + " } " +
                         Command(late) + " }",
                     "Aiuto { " + Command(about) + " }"}));
}

TEST_F(MenuTest, CheckableItemFlipsWhenChosenAndItsSlotSeesTheNewState)
{
    MenuBar bar(form.get());
    Menu game("Partita", &bar);
    SubMenu sound(&game, "Suoni");
    sound.checkable = true;
    sound.checkState = true;
    sound.onCommand = RecordCommand;
    SubMenu fresh(&game, "Nuova");
    fresh.onCommand = RecordCommand;
    bar.Create();
    EXPECT_EQ(ItemsOf(game.menuHandle), (Items{"[x] " + Command(sound), Command(fresh)}));

    Choose(sound);
    EXPECT_EQ(ItemsOf(game.menuHandle), (Items{Command(sound), Command(fresh)}));
    Choose(sound);
    Choose(fresh);
    Choose(fresh);
    EXPECT_EQ(ItemsOf(game.menuHandle), (Items{"[x] " + Command(sound), Command(fresh)}));
    EXPECT_TRUE(log.Matches({"Suoni checked 0", "Suoni checked 1", "Nuova checked 0", "Nuova checked 0"}));
}

TEST_F(MenuTest, MenuCommandMatchingNoItemDoesNothing)
{
    MenuBar bar(form.get());
    Menu game("Partita", &bar);
    SubMenu fresh(&game, "Nuova");
    fresh.onCommand = RecordCommand;
    bar.Create();
    Button button(form.get(), "b");
    button.Create();
    button.onCommand = RecordCommand;
    for (const int identifier : {static_cast<int>(button.id), static_cast<int>(form->id), 999})
        SendMessageW(form->handle, WM_COMMAND, MAKEWPARAM(identifier, 0), 0);
    EXPECT_TRUE(log.Matches({})) << "a menu command reaches menu items only";
}

TEST_F(MenuTest, DisabledItemIsGreyedUntilEnabled)
{
    MenuBar bar(form.get());
    Menu game("Partita", &bar);
    SubMenu fresh(&game, "Nuova");
    fresh.enabled = false;
    bar.Create();
    EXPECT_EQ(ItemsOf(game.menuHandle), (Items{Command(fresh) + " (grey)"}));
    fresh.SetEnabled(true);
    EXPECT_EQ(ItemsOf(game.menuHandle), (Items{Command(fresh)}));
    fresh.SetEnabled(false);
    EXPECT_EQ(ItemsOf(game.menuHandle), (Items{Command(fresh) + " (grey)"}));
    EXPECT_EQ(GetMenuState(game.menuHandle, static_cast<UINT>(fresh.id), MF_BYCOMMAND) & MF_GRAYED,
              static_cast<UINT>(MF_GRAYED))
        << "greyed, not only disabled";

    // A greyed item that is checked still reads as checked.
    fresh.checkable = true;
    fresh.checkState = true;
    fresh.ApplyCheck();
    fresh.checkState = false;
    EXPECT_TRUE(fresh.IsChecked());
}

TEST_F(MenuTest, PopupListsTheContainersItemsAtThePointAndIsFreedAfterwards)
{
    Menu container("", nullptr);
    SubMenu turn(&container, "Ruota");
    SubMenu line(&container, "");
    line.itemFlags = MF_SEPARATOR;
    SubMenu grid(&container, "Griglia");
    grid.checkable = true;
    grid.checkState = true;
    SubMenu colour(&container, "Colore");
    SubMenu redItem(&colour, "Rosso");

    ShowPopup(&container, form.get(), 10, 20);
    EXPECT_EQ(popup.shown, 1);
    EXPECT_EQ(popup.items,
              (Items{Command(turn), "---", "[x] " + Command(grid), "Colore { " + Command(redItem) + " }"}));
    EXPECT_EQ(popup.x, 10);
    EXPECT_EQ(popup.y, 20);
    EXPECT_EQ(popup.owner, static_cast<HWND>(form->handle));
    EXPECT_FALSE(IsMenu(popup.menu)) << "the popup is destroyed once it has been shown";
}

TEST_F(MenuTest, EmptyOrMissingContainerShowsAnEmptyPopup)
{
    Menu empty("", nullptr);
    ShowPopup(&empty, form.get(), 0, 0);
    EXPECT_EQ(popup.shown, 1);
    EXPECT_EQ(popup.items, Items{});
    ShowPopup(nullptr, nullptr, 0, 0);
    EXPECT_EQ(popup.shown, 2);
    EXPECT_EQ(popup.items, Items{});
    EXPECT_EQ(popup.owner, nullptr);
}

TEST_F(MenuTest, ChoiceFromAPopupArrivesAsAMenuCommandAndFlipsTheItem)
{
    Menu container("", nullptr);
    SubMenu grid(&container, "Griglia");
    grid.checkable = true;
    grid.checkState = true;
    grid.onCommand = RecordCommand;

    popup.choice = grid.id;
    ShowPopup(&container, form.get(), 0, 0);
    PumpMessages();
    popup.choice = 0;
    ShowPopup(&container, form.get(), 0, 0);
    EXPECT_EQ(popup.items, (Items{Command(grid)}));
    EXPECT_TRUE(log.Matches({"Griglia checked 0"}));
}

}
