#include "Button.h"
#include "Image.h"
#include "Label.h"
#include "Menu.h"
#include "PanelChildren.h"
#include "TestSupport.h"
#include "TextBox.h"
#include "TextUtilities.h"
#include "Timer.h"
#include "resource.h"

#include <initializer_list>
#include <memory>

using namespace TorUtility;
using TestSupport::Canvas;
using TestSupport::PumpMessages;
using TestSupport::PumpUntil;

namespace {

using TestSupport::log;

constexpr COLORREF red = RGB(220, 20, 30);
constexpr COLORREF yellow = RGB(250, 230, 20);

using ControlsTest = TestSupport::FormHostTest;

TEST_F(ControlsTest, EveryCreationDrawsTheNextIdentifierInOrderAcrossKinds)
{
    const std::int32_t start = idCounter;
    Button first(form.get(), "1");
    Timer timer(form.get());
    Button second(form.get(), "2");
    EXPECT_EQ(first.id, 0) << "constructing draws nothing";
    first.Create();
    timer.Start();
    second.Create();
    EXPECT_EQ(first.id, start + 1);
    EXPECT_EQ(timer.id, start + 2) << "the timer started in between takes the identifier in between";
    EXPECT_EQ(second.id, start + 3);

    Label label(form.get(), "");
    Image image(form.get(), 0);
    TextBox box(form.get(), "");
    PanelChildren panel(form.get());
    Menu container("", nullptr);
    label.Create();
    image.Create();
    box.Create();
    panel.Create();
    SubMenu item(&container, "item");
    EXPECT_EQ(label.id, start + 4);
    EXPECT_EQ(image.id, start + 5);
    EXPECT_EQ(box.id, start + 6);
    EXPECT_EQ(panel.id, start + 7);
    EXPECT_EQ(item.id, start + 8) << "an item draws its identifier when it is constructed";

    first.Create();
    panel.Create();
    timer.Start();
    EXPECT_EQ(idCounter, start + 8) << "creating again draws nothing";
    for (GUIElement* control : std::initializer_list<GUIElement*>{&first, &second, &label, &image, &box, &panel})
        EXPECT_EQ(GetDlgCtrlID(control->handle), control->id) << control->typeName;
    timer.Stop();
}

class TimerTest : public ControlsTest {
protected:
    void SetUp() override
    {
        ControlsTest::SetUp();
        timer = std::make_unique<Timer>(form.get());
        timer->interval = 10;
        timer->onTick = [](Timer* ticking) { log.Record("tick " + std::to_string(ticking->id)); };
    }

    void TearDown() override
    {
        timer.reset();
        ControlsTest::TearDown();
    }

    bool TicksArrive(std::size_t more, DWORD milliseconds)
    {
        const std::size_t wanted = log.Events().size() + more;
        return PumpUntil([wanted] { return log.Events().size() >= wanted; }, milliseconds);
    }

    std::unique_ptr<Timer> timer;
};

TEST_F(TimerTest, TicksReachTheSlotThroughTheFormUntilStopped)
{
    timer->Start();
    EXPECT_TRUE(timer->running);
    ASSERT_TRUE(TicksArrive(3, 2000));
    timer->Stop();
    EXPECT_FALSE(timer->running);
    const std::vector<TestSupport::Expected> ticks(log.Events().size(), "tick " + std::to_string(timer->id));
    EXPECT_TRUE(log.Matches(ticks));
    EXPECT_FALSE(TicksArrive(1, 100)) << "no tick after Stop";
}

TEST_F(TimerTest, StartWhileRunningAndStopWhileStoppedChangeNothing)
{
    timer->Start();
    const std::int32_t identifier = timer->id;
    const std::int32_t counter = idCounter;
    timer->interval = 60000;
    timer->Start();
    EXPECT_TRUE(TicksArrive(2, 2000)) << "the running timer keeps its first interval";
    EXPECT_EQ(timer->id, identifier);
    EXPECT_EQ(idCounter, counter);

    timer->Stop();
    timer->Stop();
    EXPECT_FALSE(timer->running);
    EXPECT_FALSE(KillTimer(form->handle, static_cast<UINT_PTR>(identifier))) << "the platform timer is gone";

    timer->interval = 10;
    timer->Start();
    EXPECT_TRUE(TicksArrive(1, 2000)) << "a stopped timer starts again";
    EXPECT_EQ(timer->id, identifier);
    EXPECT_EQ(idCounter, counter);
}

TEST_F(TimerTest, DestroyedTimerLeavesNoPlatformTimerBehind)
{
    timer->Start();
    const auto identifier = static_cast<UINT_PTR>(timer->id);
    timer.reset();
    EXPECT_FALSE(KillTimer(form->handle, identifier));
}

// Anyone may send WM_TIMER: only one for a timer that runs is its tick.
TEST_F(TimerTest, TickForAnIdentifierThatIsNoRunningTimerIsIgnored)
{
    Button button(form.get(), "b");
    button.Create();
    timer->interval = 60000;
    timer->Create();
    const auto tick = [this](WPARAM identifier) { SendMessageW(form->handle, WM_TIMER, identifier, 0); };
    tick(static_cast<WPARAM>(timer->id));
    timer->Start();
    tick(static_cast<WPARAM>(button.id));
    tick(5000);
    tick(static_cast<WPARAM>(timer->id));
    timer->Stop();
    tick(static_cast<WPARAM>(timer->id));
    EXPECT_TRUE(log.Matches({"tick " + std::to_string(timer->id)}));
}

// A timer the platform could not arm does not run, so the next Start tries again.
TEST_F(TimerTest, TimerThatCouldNotBeArmedIsNotRunningAndStartsOnTheNextTry)
{
    Form neverShown(GetModuleHandleW(nullptr));
    Form gone(GetModuleHandleW(nullptr));
    gone.Create();
    DestroyWindow(gone.handle);
    for (Form* host : {&neverShown, &gone}) {
        timer->parent = host;
        timer->Start();
        EXPECT_FALSE(timer->running) << (host == &gone ? "a window that is gone" : "no window");
    }
    timer->parent = form.get();
    timer->Start();
    EXPECT_TRUE(timer->running);
    EXPECT_TRUE(TicksArrive(1, 2000));
}

// A 24-bit bitmap file in the temporary folder, removed when the test is done with it.
class BitmapFile {
public:
    BitmapFile(int width, int height, COLORREF (*paint)(int x, int y))
    {
        wchar_t folder[MAX_PATH] = {};
        wchar_t name[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, folder);
        GetTempFileNameW(folder, L"img", 0, name);
        path = name;
        const int stride = (width * 3 + 3) & ~3;
        BITMAPFILEHEADER header{};
        BITMAPINFOHEADER info{};
        header.bfType = 0x4D42;
        header.bfOffBits = sizeof header + sizeof info;
        header.bfSize = header.bfOffBits + static_cast<DWORD>(stride * height);
        info.biSize = sizeof info;
        info.biWidth = width;
        info.biHeight = height;
        info.biPlanes = 1;
        info.biBitCount = 24;
        info.biCompression = BI_RGB;
        std::string bytes(reinterpret_cast<const char*>(&header), sizeof header);
        bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
        for (int row = height - 1; row >= 0; --row) {
            std::string line(static_cast<std::size_t>(stride), '\0');
            for (int x = 0; x < width; ++x) {
                const COLORREF colour = paint(x, row);
                line[static_cast<std::size_t>(x * 3)] = static_cast<char>(GetBValue(colour));
                line[static_cast<std::size_t>(x * 3 + 1)] = static_cast<char>(GetGValue(colour));
                line[static_cast<std::size_t>(x * 3 + 2)] = static_cast<char>(GetRValue(colour));
            }
            bytes += line;
        }
        HANDLE file =
            CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
    }
    BitmapFile(const BitmapFile&) = delete;
    BitmapFile& operator=(const BitmapFile&) = delete;
    ~BitmapFile() { DeleteFileW(path.c_str()); }

    std::string Name() const { return ToNarrow(path); }

private:
    std::wstring path;
};

COLORREF RedCorner(int x, int y)
{
    return x == 0 && y == 0 ? red : yellow;
}

SIZE SizeOf(HBITMAP bitmap)
{
    BITMAP description{};
    GetObjectW(bitmap, sizeof description, &description);
    return SIZE{description.bmWidth, description.bmHeight};
}

HBITMAP Shown(const Image& image)
{
    return reinterpret_cast<HBITMAP>(SendMessageW(image.handle, STM_GETIMAGE, IMAGE_BITMAP, 0));
}

TEST_F(ControlsTest, ImageWithoutAPictureIsAnEmptyStaticControl)
{
    Image image(form.get(), 0);
    image.Create();
    EXPECT_EQ(TestSupport::ClassNameOf(image.handle), L"Static");
    EXPECT_EQ(GetWindowLongW(image.handle, GWL_STYLE) & SS_TYPEMASK, SS_BITMAP);
    EXPECT_EQ(image.bitmap, nullptr);
    EXPECT_EQ(Shown(image), nullptr);
}

TEST_F(ControlsTest, ResourcePictureIsLoadedAtCreationAndReplacedByTheNext)
{
    Image image(form.get(), IDB_SHIP2);
    image.Create();
    ASSERT_NE(image.bitmap, nullptr);
    EXPECT_EQ(SizeOf(image.bitmap).cx, 64);
    EXPECT_EQ(SizeOf(image.bitmap).cy, 50);
    EXPECT_EQ(Shown(image), image.bitmap);

    HBITMAP first = image.bitmap;
    image.LoadFromResource(IDB_LOGO);
    EXPECT_EQ(SizeOf(image.bitmap).cx, 200);
    EXPECT_EQ(Shown(image), image.bitmap);
    EXPECT_EQ(GetObjectType(first), 0u) << "the replaced picture is freed";

    HBITMAP logo = image.bitmap;
    for (std::int32_t none : {0, -3}) {
        image.LoadFromResource(none);
        EXPECT_EQ(image.bitmap, logo) << none;
        EXPECT_EQ(GetObjectType(logo), static_cast<DWORD>(OBJ_BITMAP)) << none;
    }
}

TEST_F(ControlsTest, ResourceChosenBeforeCreationIsLoadedOnCreation)
{
    Image image(form.get(), IDB_SHIP2);
    image.LoadFromResource(IDB_LOGO);
    EXPECT_EQ(image.bitmap, nullptr) << "nothing is loaded without a window";
    image.Create();
    EXPECT_EQ(SizeOf(image.bitmap).cx, 200);
}

TEST_F(ControlsTest, FilePictureIsLoadedAndShown)
{
    BitmapFile file(3, 2, RedCorner);
    Image image(form.get(), IDB_SHIP2);
    image.Create();
    HBITMAP resource = image.bitmap;
    image.LoadFromFile(file.Name());
    EXPECT_EQ(image.resourceId, -1);
    EXPECT_EQ(image.fileName, file.Name());
    EXPECT_EQ(SizeOf(image.bitmap).cx, 3);
    EXPECT_EQ(SizeOf(image.bitmap).cy, 2);
    EXPECT_EQ(GetObjectType(resource), 0u);
    PumpMessages();
    InvalidateRect(image.handle, nullptr, TRUE);
    UpdateWindow(image.handle);
    EXPECT_EQ(TestSupport::PixelOf(image.handle, 0, 0), red);
    EXPECT_EQ(TestSupport::PixelOf(image.handle, 1, 1), yellow);
}

TEST_F(ControlsTest, FileNamedBeforeCreationIsLoadedOnCreation)
{
    BitmapFile file(5, 4, RedCorner);
    Image image(form.get(), 0);
    image.LoadFromFile(file.Name());
    EXPECT_EQ(image.bitmap, nullptr);
    image.Create();
    EXPECT_EQ(SizeOf(image.bitmap).cx, 5);
    EXPECT_EQ(Shown(image), image.bitmap);
}

TEST_F(ControlsTest, EmptyFileNameOnlyForgetsTheResource)
{
    Image image(form.get(), IDB_SHIP2);
    image.Create();
    HBITMAP ship = image.bitmap;
    image.LoadFromFile("");
    EXPECT_EQ(image.resourceId, -1);
    EXPECT_EQ(image.bitmap, ship);
    EXPECT_EQ(GetObjectType(ship), static_cast<DWORD>(OBJ_BITMAP));
    EXPECT_EQ(Shown(image), ship);
}

TEST_F(ControlsTest, FailedLoadLeavesNoFreedPictureInTheControl)
{
    Image image(form.get(), IDB_SHIP2);
    image.Create();
    HBITMAP ship = image.bitmap;
    image.LoadFromFile("C:\\no such folder\\missing.bmp");
    EXPECT_EQ(image.bitmap, nullptr);
    EXPECT_EQ(GetObjectType(ship), 0u);
    EXPECT_EQ(Shown(image), nullptr) << "the control must not keep painting a freed bitmap";
}

TEST_F(ControlsTest, ImageFreesItsPictureWhenDestroyed)
{
    auto image = std::make_unique<Image>(form.get(), IDB_SHIP2);
    image->Create();
    HBITMAP ship = image->bitmap;
    HWND window = image->handle;
    ASSERT_EQ(GetObjectType(ship), static_cast<DWORD>(OBJ_BITMAP));
    image.reset();
    EXPECT_EQ(GetObjectType(ship), 0u);
    ASSERT_TRUE(IsWindow(window)) << "the control lives on with the form";
    EXPECT_EQ(SendMessageW(window, STM_GETIMAGE, IMAGE_BITMAP, 0), 0) << "and shows no freed bitmap";
}

struct StyleCase {
    const char* name;
    void (*configure)(TextBox& box);
    DWORD style;
};

class TextBoxStyles : public ::testing::TestWithParam<StyleCase> {};

TEST_P(TextBoxStyles, StyleFollowsTheFlags)
{
    TextBox box(nullptr, "");
    GetParam().configure(box);
    EXPECT_EQ(box.ComputeStyle(), GetParam().style) << std::hex << box.ComputeStyle();
}

INSTANTIATE_TEST_SUITE_P(
    Flags, TextBoxStyles,
    ::testing::Values(
        StyleCase{"Plain", [](TextBox&) {}, 0x50810080},
        StyleCase{"Disabled", [](TextBox& b) { b.enabled = false; }, 0x58810080},
        StyleCase{"NoBorder", [](TextBox& b) { b.border = false; }, 0x50010080},
        StyleCase{"Multiline", [](TextBox& b) { b.multiline = true; }, 0x508110C4},
        StyleCase{"MultilineWrapping", [](TextBox& b) { b.multiline = b.wordWrap = true; }, 0x50811044},
        StyleCase{"WrappingNeedsMultiline", [](TextBox& b) { b.wordWrap = true; }, 0x50810080},
        StyleCase{"BarsAndNumbers", [](TextBox& b) { b.horizontalScroll = b.verticalScroll = b.numbersOnly = true; },
                  0x50B12080},
        StyleCase{"ReadOnly", [](TextBox& b) { b.readOnly = true; }, 0x50810880},
        StyleCase{"UppercaseWinsOverLowercase", [](TextBox& b) { b.uppercase = b.lowercase = true; }, 0x50810088},
        StyleCase{"Lowercase", [](TextBox& b) { b.lowercase = true; }, 0x50810090},
        StyleCase{"RightWinsOverCentre", [](TextBox& b) { b.alignRight = b.alignCenter = true; }, 0x50810082},
        StyleCase{"Centre", [](TextBox& b) { b.alignCenter = true; }, 0x50810081}),
    [](const ::testing::TestParamInfo<StyleCase>& info) { return info.param.name; });

struct TypingCase {
    const char* name;
    void (*configure)(TextBox& box);
    const char* typed;
    const char* kept;
};

class TextBoxTyping : public ControlsTest, public ::testing::WithParamInterface<TypingCase> {};

void Type(TextBox& box, const std::string& keys)
{
    for (char key : keys)
        SendMessageW(box.handle, WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(key)), 1);
}

TEST_P(TextBoxTyping, CreatedBoxTreatsTypingAsItsFlagsSay)
{
    TextBox box(form.get(), "");
    GetParam().configure(box);
    box.Create();
    Type(box, GetParam().typed);
    EXPECT_EQ(box.GetText(), GetParam().kept);
}

INSTANTIATE_TEST_SUITE_P(
    Flags, TextBoxTyping,
    ::testing::Values(TypingCase{"Plain", [](TextBox&) {}, "aB1", "aB1"},
                      TypingCase{"Uppercase", [](TextBox& b) { b.uppercase = b.lowercase = true; }, "aB1", "AB1"},
                      TypingCase{"Lowercase", [](TextBox& b) { b.lowercase = true; }, "aB1", "ab1"},
                      TypingCase{"NumbersOnly", [](TextBox& b) { b.numbersOnly = true; }, "a1b2", "12"},
                      TypingCase{"ReadOnly", [](TextBox& b) { b.readOnly = true; }, "abc", ""},
                      TypingCase{"MaximumLength", [](TextBox& b) { b.maxLength = 3; }, "abcdef", "abc"}),
    [](const ::testing::TestParamInfo<TypingCase>& info) { return info.param.name; });

TEST_F(ControlsTest, PasswordBoxHidesItsTextFromTheStart)
{
    TextBox box(form.get(), "secret");
    box.password = true;
    box.Create();
    EXPECT_EQ(SendMessageW(box.handle, EM_GETPASSWORDCHAR, 0, 0), L'*');
}

TEST_F(ControlsTest, ApplyStyleBringsACreatedBoxInLineWithChangedFlags)
{
    TextBox box(form.get(), "");
    box.uppercase = true;
    box.ApplyStyle();
    EXPECT_FALSE(box.created) << "nothing to apply to before creation";
    box.uppercase = false;
    box.Create();

    box.uppercase = true;
    box.password = true;
    box.ApplyStyle();
    Type(box, "ab");
    EXPECT_EQ(box.GetText(), "AB");
    EXPECT_EQ(SendMessageW(box.handle, EM_GETPASSWORDCHAR, 0, 0), L'*');

    box.readOnly = true;
    box.password = false;
    box.ApplyStyle();
    Type(box, "cd");
    EXPECT_EQ(box.GetText(), "AB");
    EXPECT_EQ(SendMessageW(box.handle, EM_GETPASSWORDCHAR, 0, 0), 0);
}

struct LabelCase {
    const char* name;
    bool alignRight;
    bool alignCenter;
    int place; // 0 left, 1 right, 2 centre
};

class LabelAlignment : public ControlsTest, public ::testing::WithParamInterface<LabelCase> {};

TEST_P(LabelAlignment, LabelOnAPanelShowsItsTextInThePanelsColoursAndItsAlignment)
{
    const auto panel = TestSupport::ColouredPanel(form.get(), red, yellow);
    FontSpec font("Tahoma", 24);
    font.bold = true;
    Label label(panel.get(), "HIH");
    label.x = 10;
    label.y = 10;
    label.width = 200;
    label.height = 30;
    label.alignRight = GetParam().alignRight;
    label.alignCenter = GetParam().alignCenter;
    label.SetFont(&font);
    label.Create();
    PumpMessages();

    const auto shown = Canvas::Capture(label.handle);
    EXPECT_EQ(shown->Pixel(199, 29), yellow);
    EXPECT_GT(shown->Count(red), 20);
    const TestSupport::TextInk measured = TestSupport::MeasureInk(font.GetFont(), L"HIH");
    const int start[] = {0, 200 - measured.advance, (200 - measured.advance) / 2};
    EXPECT_NEAR(shown->BoundsApartFrom(yellow).left, start[GetParam().place] + measured.ink.left, 1);
}

INSTANTIATE_TEST_SUITE_P(Aligns, LabelAlignment,
                         ::testing::Values(LabelCase{"Left", false, false, 0}, LabelCase{"Right", true, false, 1},
                                           LabelCase{"Centre", false, true, 2},
                                           LabelCase{"RightWinsOverCentre", true, true, 1}),
                         [](const ::testing::TestParamInfo<LabelCase>& info) { return info.param.name; });

}
