#include "GameFixture.h"

#include "Product.h"

using namespace MyGame;
using GameTest::seams;
using TestSupport::EventLog;

namespace {

constexpr UINT hotKeyModifiers = MOD_CONTROL | MOD_ALT;
constexpr UINT hotKeyKey = VK_F9;

EventLog log;
// A window of the test's own, to find out whether the form's hot-key combination is free.
HWND prober = nullptr;

void NoteWhetherTheHotKeyIsFree(const char* when)
{
    const bool free = RegisterHotKey(prober, 1, hotKeyModifiers, hotKeyKey);
    if (free)
        UnregisterHotKey(prober, 1);
    log.Record(std::string(when) + (free ? ": free" : ": taken"));
}

int WINAPI ProbingMessageBox(HWND, LPCSTR, LPCSTR, UINT)
{
    NoteWhetherTheHotKeyIsFree("during the question");
    return IDNO;
}

// The real question, answered "No" by the test as soon as it is on the screen.
void CALLBACK AnswerNo(HWND, UINT, UINT_PTR timer, DWORD)
{
    if (HWND box = FindWindowW(nullptr, L"Uscita")) {
        KillTimer(nullptr, timer);
        PostMessageW(box, WM_COMMAND, IDNO, 0);
    }
}

int WINAPI RealBoxAnsweredNo(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    log.Record(caption);
    SetTimer(nullptr, 0, 50, AnswerNo);
    return MessageBoxA(owner, text, caption, type);
}

// While the question is open the computer wins and the player presses "Chiudi" again. A box
// stands in for each, enabling its owner as it closes, as the platform's boxes do.
int WINAPI QuestionWithInterruptions(HWND owner, LPCSTR, LPCSTR caption, UINT)
{
    auto* game = dynamic_cast<FormMain*>(TorUtility::mainFormInstance);
    const std::string shown = caption;
    log.Record(shown + (IsWindowEnabled(game->handle) ? ": game takes input" : ": game shut") +
               (owner == game->handle ? ", in front of it" : ", not in front of it"));
    if (shown == "Uscita") {
        game->ShowMessage("Peccato.. hai perso", "Hai perso");
        log.Record(IsWindowEnabled(game->handle) ? "after it: game takes input" : "after it: game shut");
        SendMessageW(game->handle, WM_COMMAND, MAKEWPARAM(game->closeButton->id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(static_cast<HWND>(game->closeButton->handle)));
    }
    if (owner)
        EnableWindow(owner, TRUE);
    return IDNO;
}

class HelpTest : public GameTest::GameTest {
protected:
    void SetUp() override
    {
        GameTest::SetUp();
        log.Clear();
    }

    void TearDown() override
    {
        if (prober)
            DestroyWindow(prober);
        prober = nullptr;
        GameTest::TearDown();
    }
};

// The player asks to leave through "&Esci" on the menu or through the "Chiudi" button.
enum class Way { menu, button };

class LeavingTest : public HelpTest, public ::testing::WithParamInterface<Way> {
protected:
    void AskToLeave()
    {
        if (GetParam() == Way::menu)
            Choose(Game().exitItem);
        else
            Click(Game().closeButton);
    }
};

TEST_P(LeavingTest, AsksAYesNoQuestionAndNoKeepsTheGameGoing)
{
    seams.answer = IDNO;
    AskToLeave();
    ASSERT_EQ(seams.boxes.size(), 1u);
    const auto& box = seams.boxes[0];
    EXPECT_EQ(box.text, "Vuoi realmente uscire?");
    EXPECT_EQ(box.caption, "Uscita");
    EXPECT_EQ(box.type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL));
    EXPECT_EQ(box.owner, Game().handle);

    EXPECT_TRUE(IsWindow(Game().handle));
    EXPECT_TRUE(Game().created);
    EXPECT_FALSE(Game().destroyed);
    EXPECT_TRUE(Game().tickTimer->running);
    // The game goes on: a ship can still be picked up from the tray.
    Press(Game().shipPictures[0]);
    EXPECT_EQ(Game().draggedShip, Game().shipPictures[0]);
}

TEST_P(LeavingTest, YesEndsTheGameAndItsTicks)
{
    AskToLeave();
    ASSERT_EQ(seams.boxes.size(), 1u);
    EXPECT_FALSE(IsWindow(Game().handle));
    EXPECT_TRUE(Game().destroyed);
    EXPECT_FALSE(Game().tickTimer->running);
}

TEST_P(LeavingTest, HotKeysAreLetGoDuringTheQuestionAndTakenAgainOnNo)
{
    prober = CreateWindowExW(0, L"static", L"prober", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(prober, nullptr);
    Game().hotKeys.push_back(TorUtility::HotKey{hotKeyModifiers, hotKeyKey, nullptr});
    Game().RegisterHotKeys();
    TorUtility::platform.messageBox = ProbingMessageBox;

    NoteWhetherTheHotKeyIsFree("before");
    AskToLeave();
    NoteWhetherTheHotKeyIsFree("after");
    EXPECT_TRUE(log.Matches({"before: taken", "during the question: free", "after: taken"}));
    EXPECT_TRUE(IsWindow(Game().handle));
}

TEST_P(LeavingTest, AfterNoTheGameIsActiveAgainWithTheFocusWhereItWas)
{
    SetForegroundWindow(Game().handle);
    Game().startButton->Focus();
    TestSupport::PumpMessages();
    ASSERT_EQ(GetFocus(), Game().startButton->handle);
    TorUtility::platform.messageBox = RealBoxAnsweredNo;

    AskToLeave();
    TestSupport::PumpMessages();
    EXPECT_TRUE(log.Matches({"Uscita"}));
    EXPECT_TRUE(IsWindowEnabled(Game().handle));
    EXPECT_EQ(GetForegroundWindow(), Game().handle);
    EXPECT_EQ(GetActiveWindow(), Game().handle);
    EXPECT_EQ(GetFocus(), Game().startButton->handle);
}

TEST_P(LeavingTest, TheQuestionStaysInFrontOfAShutGameAndIsNeverAskedTwice)
{
    TorUtility::platform.messageBox = QuestionWithInterruptions;
    AskToLeave();
    EXPECT_TRUE(log.Matches({"Uscita: game shut, in front of it", "Hai perso: game shut, in front of it",
                             "after it: game shut"}));
    EXPECT_TRUE(IsWindowEnabled(Game().handle));
    EXPECT_TRUE(IsWindow(Game().handle));
}

INSTANTIATE_TEST_SUITE_P(, LeavingTest, ::testing::Values(Way::menu, Way::button),
                         [](const ::testing::TestParamInfo<Way>& info) {
                             return std::string(info.param == Way::menu ? "Esci" : "Chiudi");
                         });

TEST_F(HelpTest, GuideAndHomeOpenTheMakersPages)
{
    Choose(Game().guideItem);
    Choose(Game().homeItem);
    const std::string shown = std::string(" ").append(std::to_string(SW_SHOW));
    EXPECT_EQ(seams.opened, (std::vector<std::string>{"open http://www.tiremola.test/Tiremola.asp" + shown,
                                                      "open " + std::string(homePage) + shown}));
    EXPECT_EQ(seams.shellOwners, std::vector<HWND>(2, Game().handle)) << "the game's window owns each request";
    EXPECT_TRUE(seams.boxes.empty());

    // The shell answers more than 32 when it succeeds and 32 or less when it fails.
    for (auto [answer, opened] : {std::pair{INT_PTR{33}, true}, std::pair{INT_PTR{32}, false},
                                  std::pair{INT_PTR{2}, false}, std::pair{INT_PTR{0}, false}}) {
        seams.shellAnswer = answer;
        EXPECT_EQ(TorUtility::ShellOpen(homePage), opened) << "shell answer " << answer;
    }
}

}
