#include "FormAbout.h"

#include "Accessible.h"
#include "Button.h"
#include "CellControl.h"
#include "Drawing.h"
#include "Image.h"
#include "Label.h"
#include "TextBox.h"
#include "TextUtilities.h"

#include <oleacc.h>

namespace TorUtility {

namespace {

constexpr std::int32_t boxWidth = 600;
constexpr std::int32_t boxHeight = 300;
constexpr COLORREF linkBlue = RGB(0, 0, 255);

}

FormAbout::FormAbout(Form* opener)
    : Form(opener ? opener->instance : nullptr, true), caller(opener),
      titleFont(std::make_unique<FontSpec>("Arial", 16)), linkFont(std::make_unique<FontSpec>("Arial", 16)),
      ownFont(std::make_unique<FontSpec>("Arial", 14))
{
    topmost = false;
    titleFont->bold = true;
    linkFont->underline = true;
    font = ownFont.get();
    modalFrameStyle = true;
    width = boxWidth;
    height = boxHeight;
    CenterOnScreen();
    SetText("Info...");
    minimizeBox = false;
    resizable = false;
    onCreated = BuildOnCreated<FormAbout, &FormAbout::BuildContent>;
    onClosing = AskOnClosing<FormAbout, &FormAbout::OnAboutClosing>;
    onResized = CallOnForm<FormAbout, &FormAbout::OnAboutResized>;
    onChar = CharAdaptor;
    onKeyDown = PassKeyToForm<FormAbout, &FormAbout::OnAboutKeyDown>;
    onKeyUp = PassKeyToForm<FormAbout, &FormAbout::OnAboutKeyUp>;
    if (caller) {
        caller->Hold();
        caller->companion = this;
        holdsCaller = true;
    }
}

FormAbout::~FormAbout()
{
    // Closed while every part still exists, so that the caller is given back its input.
    if (created && !destroyed)
        SendMessageW(handle, WM_CLOSE, 0, 0);
    // A box never created, or whose window could not be made, has not closed: it lets go here.
    ReleaseCaller();
    delete frame;
    delete bylineLabel;
    delete logo;
    delete titleLabel;
    delete noticeBox;
    delete okButton;
    delete webLink;
    delete mailLink;
}

void FormAbout::Create()
{
    Form::Create();
    if (!created)
        ReleaseCaller();
}

void FormAbout::OnShown()
{
    SetClientSize(boxWidth, boxHeight);
    // The position set before creation centred a window of the client area's size; the frame
    // the platform adds around it would leave the box off-centre.
    CenterOnScreen();
}

std::string FormAbout::MailAddress() const
{
    return ReplaceAll(webAddress, "http://www.", "info@");
}

template <typename Element>
Element* FormAbout::Place(Element* element, int left, int top, int elementWidth, int elementHeight)
{
    element->onChar = CharAdaptor;
    element->width = elementWidth;
    element->height = elementHeight;
    element->SetPosition(left, top);
    return element;
}

CellControl* FormAbout::MakeLink(const std::string& address, int left, int top)
{
    auto* link = Place(new CellControl(this), left, top, 150, 22);
    link->textColor = static_cast<std::int32_t>(linkBlue);
    link->textAlign = Drawing::alignLeft;
    link->SetText(address);
    link->SetHandCursor(true);
    link->onLeftDown = LinkAdaptor;
    link->onDescribe = DescribeLink;
    // Reached with Tab, in their order, before the notice and "OK".
    link->tabStop = true;
    link->SetFont(linkFont.get());
    link->Create();
    return link;
}

void FormAbout::BuildContent()
{
    const SIZE client = GetClientSize();
    const int w = client.cx;
    const int h = client.cy;
    frame = Place(new PanelChildren(this), 10, 10, logoWidth + 20, h - 20);
    frame->SetBorder(true);
    // The frame only holds the picture: Tab passes it by.
    frame->tabStop = false;
    frame->Create();

    logo = Place(new Image(frame, logoId), 5, 5, logoWidth, logoHeight);
    logo->largeResourceId = logoLargeId;
    logo->Create();

    const int left = logoWidth + 45;
    const int textWidth = w - left - 10;
    titleLabel = Place(new Label(this, title), left, 10, textWidth, 25);
    titleLabel->SetFont(titleFont.get());
    titleLabel->Create();
    bylineLabel = Place(new Label(this, byline), left, 35, textWidth, 25);
    bylineLabel->SetFont(ownFont.get());
    bylineLabel->Create();

    webLink = MakeLink(webAddress, left, 55);
    mailLink = MakeLink(MailAddress(), left + 160, 55);

    noticeBox = Place(new TextBox(this, notice), left, 85, textWidth, h - 145);
    noticeBox->multiline = true;
    noticeBox->ApplyStyle();
    noticeBox->readOnly = true;
    noticeBox->ApplyStyle();
    noticeBox->verticalScroll = true;
    noticeBox->ApplyStyle();
    noticeBox->Create();

    constexpr int buttonWidth = 80;
    okButton = Place(new Button(this, "OK"), textWidth / 2 + left - buttonWidth / 2, h - 50, buttonWidth, 25);
    okButton->onCommand = CommandAdaptor;
    okButton->Create();
    okButton->Focus();
}

bool FormAbout::OnAboutClosing()
{
    UnregisterHotKeys();
    ReleaseCaller();
    // The window goes as soon as this returns, whichever way the box was closed.
    created = false;
    return true;
}

void FormAbout::ReleaseCaller()
{
    if (!holdsCaller || !caller)
        return;
    holdsCaller = false;
    if (caller->companion == this)
        caller->companion = nullptr;
    caller->Release();
}

void FormAbout::OnAboutResized()
{
}

bool FormAbout::OnAboutChar(std::int32_t code)
{
    if (code != VK_RETURN && code != VK_ESCAPE)
        return true;
    OnAboutCommand(okButton);
    return false;
}

void FormAbout::OnAboutKeyDown(std::int32_t)
{
}

void FormAbout::OnAboutKeyUp(std::int32_t)
{
}

void FormAbout::OnAboutCommand(GUIElement* element)
{
    if (!element || !okButton || element->id != okButton->id)
        return;
    SendMessageW(handle, WM_CLOSE, 0, 0);
}

void FormAbout::OnLinkPressed(GUIElement* element)
{
    if (webLink && element->id == webLink->id)
        ShellOpen(webAddress);
    else if (mailLink && element->id == mailLink->id)
        ShellOpen("mailto:" + mailLink->GetText());
}

// Enter or Space on a link that has the focus follows it, as a press does; anywhere else Enter
// and Escape close the box.
bool FormAbout::CharAdaptor(GUIElement* element, std::int32_t code)
{
    auto* box = FormItself<FormAbout>(element);
    if (!box)
        box = HostingForm<FormAbout>(element);
    if (!box)
        return true;
    const bool link = element && (element == box->webLink || element == box->mailLink);
    if (link && (code == VK_RETURN || code == VK_SPACE)) {
        box->OnLinkPressed(element);
        return false;
    }
    return box->OnAboutChar(code);
}

void FormAbout::DescribeLink(GUIElement*, Description& description)
{
    description.role = ROLE_SYSTEM_LINK;
    description.state = STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_LINKED;
    description.action = pressAction;
    description.perform = FollowLink;
}

void FormAbout::FollowLink(GUIElement* element)
{
    if (auto* box = HostingForm<FormAbout>(element))
        box->OnLinkPressed(element);
}

void FormAbout::CommandAdaptor(GUIElement* element)
{
    if (auto* box = HostingForm<FormAbout>(element))
        box->OnAboutCommand(element);
}

std::int32_t FormAbout::LinkAdaptor(GUIElement* element, HWND, std::int32_t, std::int32_t)
{
    if (auto* box = HostingForm<FormAbout>(element))
        box->OnLinkPressed(element);
    return 0;
}

}
