#pragma once

#include "Form.h"

#include <cstdint>
#include <memory>
#include <string>

namespace TorUtility {

class Button;
class CellControl;
class FontSpec;
class Image;
class Label;
class PanelChildren;
class TextBox;

// A ready-made about window: a framed picture, a bold title, a second line, a web link and a
// mail link, a read-only notice and "OK". Its caller stays disabled while it is open.
class FormAbout : public Form {
public:
    explicit FormAbout(Form* opener);
    ~FormAbout() override;

    // A box whose window the platform refused gives its caller back its input at once.
    void Create() override;
    void OnShown() override;

    virtual void BuildContent();
    virtual bool OnAboutClosing();
    virtual void OnAboutResized();
    // Enter and Escape close the box and are swallowed; anything else goes through.
    virtual bool OnAboutChar(std::int32_t code);
    virtual void OnAboutKeyDown(std::int32_t key);
    virtual void OnAboutKeyUp(std::int32_t key);
    virtual void OnAboutCommand(GUIElement* element);
    virtual void OnLinkPressed(GUIElement* element);

    // The web address with its "http://www." prefix turned into "info@".
    std::string MailAddress() const;

    Form* caller;
    std::unique_ptr<FontSpec> titleFont;
    std::unique_ptr<FontSpec> linkFont;
    Image* logo = nullptr;
    Label* titleLabel = nullptr;
    Label* bylineLabel = nullptr;
    PanelChildren* frame = nullptr;
    TextBox* noticeBox = nullptr;
    Button* okButton = nullptr;
    CellControl* webLink = nullptr;
    CellControl* mailLink = nullptr;
    std::int32_t logoId = 0;
    // The same picture at twice its size, shown above 100 % (0: none).
    std::int32_t logoLargeId = 0;
    std::int32_t logoWidth = 0;
    std::int32_t logoHeight = 0;
    std::string title;
    std::string byline;
    std::string notice;
    std::string webAddress;

private:
    template <typename Element>
    Element* Place(Element* element, int left, int top, int elementWidth, int elementHeight);
    CellControl* MakeLink(const std::string& address, int left, int top);

    // Gives the caller its input back and drops the companion link, once.
    void ReleaseCaller();

    std::unique_ptr<FontSpec> ownFont;
    bool holdsCaller = false;

    static bool CharAdaptor(GUIElement* element, std::int32_t code);
    static void CommandAdaptor(GUIElement* element);
    // A link to a reader, followed by its default action.
    static void DescribeLink(GUIElement* element, Description& description);
    static void FollowLink(GUIElement* element);
    static std::int32_t LinkAdaptor(GUIElement* element, HWND window, std::int32_t px, std::int32_t py);
};

}
