#include "FormMain.h"

#include "FormAbout.h"
#include "Menu.h"
#include "Platform.h"
#include "Product.h"
#include "TextUtilities.h"
#include "resource.h"

#include <utility>

namespace MyGame {

using namespace TorUtility;

namespace {

constexpr const char* aboutNotice = "Tiremola \xE8 un gioco gratuito per un solo giocatore.\r\n"
                                    "Puoi copiarlo e regalarlo a chi vuoi, ma non venderlo.\r\n"
                                    "Il programma \xE8 fornito senza alcuna garanzia.";

}

void FormMain::OnMenuCommand(SubMenu* item)
{
    if (item->id == exitItem->id)
        SendMessageW(handle, WM_CLOSE, 0, 0);
    else if (item->id == homeItem->id)
        ShellOpen(homePage);
    else if (item->id == guideItem->id)
        ShellOpen(std::string(homePage) + "/" + productName + ".asp");
    else if (item->id == horizontalItem->id)
        PlacePendingShip(false);
    else if (item->id == verticalItem->id)
        PlacePendingShip(true);
    UpdateTabStops();
}

void FormMain::OpenAboutBox()
{
    delete aboutBox;
    aboutBox = new FormAbout(this);
    aboutBox->logoId = IDB_ABOUT;
    aboutBox->logoLargeId = IDB_ABOUT_2X;
    aboutBox->logoWidth = 164;
    aboutBox->logoHeight = 50;
    aboutBox->title = std::string(productName) + " " + productVersion;
    aboutBox->byline = copyrightNotice;
    aboutBox->notice = aboutNotice;
    aboutBox->webAddress = homePage;
    if (!aboutBox->created)
        aboutBox->Create();
    // A box whose window could not be made is no box: the game goes on, and the next "Info" tries
    // again.
    if (!aboutBox->created) {
        delete std::exchange(aboutBox, nullptr);
        platform.messageBeep(simpleBeep);
        return;
    }
    ShowWindow(aboutBox->handle, SW_SHOWNA);
    aboutBox->visible = true;
}

}
