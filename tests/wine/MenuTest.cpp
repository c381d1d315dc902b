#include "Button.h"
#include "Menu.h"
#include "Platform.h"
#include "TestSupport.h"
#include "TextUtilities.h"

using namespace TorUtility;
using TestSupport::PumpMessages;

namespace {

using TestSupport::ItemsOf;
using TestSupport::log;

using Items = std::vector<std::string>;

std::string Command(const SubMenu& item)
{
    return std::to_string(item.id) + " " + ToNarrow(item.text);
}

void RecordCommand(GUIElement* element)
{
    auto* item = dynamic_cast<SubMenu*>(element);
    log.Record(ToNarrow(element->text) + " checked " + (item && item->checkState ? "1" : "0"));
}

class MenuTest : public TestSupport::FormHostTest {
protected:
    void SetUp() override
    {
        FormHostTest::SetUp();
        form->SetText("Ospite");
        realPopup = platform.trackPopupMenu;
        platform.trackPopupMenu = TestSupport::PopupStandIn;
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
    EXPECT_TRUE(log.Matches({"popup at 10,20 (either button, over Ospite): " + Command(turn) + ", ---, [x] " +
                             Command(grid) + ", Colore { " + Command(redItem) + " }"}));
    EXPECT_FALSE(IsMenu(TestSupport::popups.last)) << "the popup is destroyed once it has been shown";
}

TEST_F(MenuTest, EmptyOrMissingContainerShowsAnEmptyPopup)
{
    Menu empty("", nullptr);
    ShowPopup(&empty, form.get(), 0, 0);
    ShowPopup(nullptr, nullptr, 0, 0);
    EXPECT_TRUE(
        log.Matches({"popup at 0,0 (either button, over Ospite):", "popup at 0,0 (either button, over no window):"}));
}

TEST_F(MenuTest, ChoiceFromAPopupArrivesAsAMenuCommandAndFlipsTheItem)
{
    Menu container("", nullptr);
    SubMenu grid(&container, "Griglia");
    grid.checkable = true;
    grid.checkState = true;
    grid.onCommand = RecordCommand;

    TestSupport::popups.choice = grid.id;
    ShowPopup(&container, form.get(), 0, 0);
    PumpMessages();
    TestSupport::popups.choice = 0;
    ShowPopup(&container, form.get(), 0, 0);
    EXPECT_TRUE(log.Matches({"popup at 0,0 (either button, over Ospite): [x] " + Command(grid), "Griglia checked 0",
                             "popup at 0,0 (either button, over Ospite): " + Command(grid)}));
}

}
