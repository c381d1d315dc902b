#include "GameFixture.h"

#include "FormAbout.h"
#include "Product.h"

#include <functional>
#include <map>
#include <set>

using namespace MyGame;
using GameTest::seams;

namespace {

using TestSupport::log;

const std::string question =
    "box Uscita: Vuoi realmente uscire? (MB_YESNO|MB_ICONQUESTION|MB_TASKMODAL, over Tiremola, running)";
// The computer's last hit, just before the loss is told.
const std::string lossSound = "sound 1013 (held)";
constexpr UINT hotKeyModifiers = MOD_CONTROL | MOD_ALT;
constexpr UINT hotKeyKey = VK_F9;

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

// The game's message boxes are either the platform's own, answered by the test once they are on
// the screen, or stand-ins that act as Windows' dialog manager does: a box shuts its owner while
// it is open and enables it as it closes, whatever state it found the owner in.
enum class Boxes { standIn, real };

void PrintTo(Boxes kind, std::ostream* out)
{
    *out << (kind == Boxes::real ? "real boxes" : "stand-in boxes");
}

// What the player does while the box of a caption is up, and then answers.
struct Turn {
    std::function<void()> meanwhile;
    int answer;
};

Boxes boxes = Boxes::standIn;
std::map<std::string, Turn> turns;
std::set<std::string> answered;
// The stand-ins open, and the timers waiting for real boxes to show, by caption.
std::map<std::string, HWND> standIns;
std::map<UINT_PTR, std::string> waitingFor;

FormMain& TheGame()
{
    return *dynamic_cast<FormMain*>(TorUtility::mainFormInstance);
}

std::string InputState()
{
    return IsWindowEnabled(TheGame().handle) ? "game takes input" : "game shut";
}

std::string Front()
{
    HWND active = GetActiveWindow();
    if (active == TheGame().handle)
        return "game";
    if (TheGame().aboutBox && active == TheGame().aboutBox->handle)
        return "about box";
    char caption[64] = {};
    GetWindowTextA(active, caption, 64);
    return caption;
}

void After(const std::string& caption)
{
    log.Record("after " + caption + ": " + InputState() + ", " + Front() + " in front");
}

// The player answers the box of this caption.
void Answer(const std::string& caption)
{
    answered.insert(caption);
    if (boxes == Boxes::real) {
        SendMessageA(FindWindowA(nullptr, caption.c_str()), WM_COMMAND, static_cast<WPARAM>(turns[caption].answer), 0);
        return;
    }
    HWND box = standIns[caption];
    EnableWindow(GetWindow(box, GW_OWNER), TRUE);
    DestroyWindow(box);
}

void Shown(const std::string& caption)
{
    answered.erase(caption);
    log.Record(caption + ": " + InputState());
    if (turns[caption].meanwhile)
        turns[caption].meanwhile();
    if (!answered.contains(caption))
        Answer(caption);
}

int WINAPI StandInBox(HWND owner, LPCSTR, LPCSTR caption, UINT)
{
    HWND box = CreateWindowExA(WS_EX_DLGMODALFRAME, "static", caption, WS_POPUP | WS_CAPTION | WS_VISIBLE, 300, 300,
                               200, 100, owner, nullptr, nullptr, nullptr);
    EnableWindow(owner, FALSE);
    SetActiveWindow(box);
    standIns[caption] = box;
    Shown(caption);
    return turns[caption].answer;
}

void CALLBACK ShowWhenUp(HWND, UINT, UINT_PTR timer, DWORD)
{
    const std::string caption = waitingFor[timer];
    HWND box = FindWindowA(nullptr, caption.c_str());
    if (!box || !IsWindowVisible(box))
        return;
    KillTimer(nullptr, timer);
    Shown(caption);
}

int WINAPI RealBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    waitingFor[SetTimer(nullptr, 0, 50, ShowWhenUp)] = caption;
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
        turns.clear();
        answered.clear();
        standIns.clear();
        waitingFor.clear();
        fixtureBox = TorUtility::platform.messageBox;
    }

    // The game's boxes from now on.
    static void UseBoxes(Boxes kind)
    {
        boxes = kind;
        TorUtility::platform.messageBox = kind == Boxes::real ? RealBox : StandInBox;
    }

    // A match in which the computer's next action hits the last of the player's ship cells.
    void LossDueAtTheNextAction()
    {
        PlaceFleet();
        Click(Game().startButton);
        Game().playerGrid.fill(0);
        Game().playerGrid[0] = 1;
        Game().playerCellsLeft = 1;
        Game().playerTurn = false;
        aimPending = true;
        aimIsHit = true;
        aimColumn = 0;
        aimRow = 0;
        tickCount = 0;
        log.Clear();
    }

    void TearDown() override
    {
        if (prober)
            DestroyWindow(prober);
        prober = nullptr;
        // No real box may wait for an answer once the test is over.
        TorUtility::platform.messageBox = fixtureBox;
        GameTest::TearDown();
    }

private:
    decltype(TorUtility::PlatformCalls::messageBox) fixtureBox = nullptr;
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
    EXPECT_TRUE(log.Matches({question}));
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
    EXPECT_TRUE(log.Matches({question}));
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
    UseBoxes(Boxes::real);
    turns["Uscita"] = {nullptr, IDNO};

    AskToLeave();
    TestSupport::PumpMessages();
    EXPECT_TRUE(log.Matches({"Uscita: game shut"}));
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

// While the about box, a message box or the exit question is open the game takes no input, however
// the boxes close; after each, the box still open is the one in front.
class BoxesTest : public HelpTest, public ::testing::WithParamInterface<Boxes> {
protected:
    void SetUp() override
    {
        HelpTest::SetUp();
        UseBoxes(GetParam());
    }

    void OpenAboutBox()
    {
        Click(Game().infoButton);
        ASSERT_FALSE(IsWindowEnabled(Game().handle));
    }

    void AskToLeave() { SendMessageW(Game().handle, WM_CLOSE, 0, 0); }
};

TEST_P(BoxesTest, DecliningToLeaveKeepsTheGameShutUnderTheAboutBox)
{
    OpenAboutBox();
    turns["Uscita"] = {nullptr, IDNO};
    AskToLeave();
    After("Uscita");
    EXPECT_TRUE(log.Matches({"Uscita: game shut", "after Uscita: game shut, about box in front"}));
}

TEST_P(BoxesTest, LossUnderTheAboutBoxKeepsTheGameShut)
{
    LossDueAtTheNextAction();
    OpenAboutBox();
    turns["Hai perso"] = {nullptr, IDOK};
    Tick(100);
    After("Hai perso");
    EXPECT_TRUE(log.Matches({lossSound, "Hai perso: game shut", "after Hai perso: game shut, about box in front"}));
    EXPECT_TRUE(Game().matchOver);
}

TEST_P(BoxesTest, AboutBoxClosedUnderTheLossKeepsTheGameShutUntilTheLossIsAnswered)
{
    LossDueAtTheNextAction();
    OpenAboutBox();
    turns["Hai perso"] = {[] {
                              SendMessageW(TheGame().aboutBox->okButton->handle, BM_CLICK, 0, 0);
                              log.Record("about box closed: " + InputState());
                          },
                          IDOK};
    Tick(100);
    After("Hai perso");
    EXPECT_TRUE(log.Matches(
        {lossSound, "Hai perso: game shut", "about box closed: game shut",
         "after Hai perso: game takes input, game in front"}));
}

TEST_P(BoxesTest, LossDuringTheExitQuestionComesInFrontOfItAndLeavesItInFront)
{
    LossDueAtTheNextAction();
    turns["Uscita"] = {[this] {
                           Tick(100);
                           After("Hai perso");
                       },
                       IDNO};
    turns["Hai perso"] = {nullptr, IDOK};
    AskToLeave();
    After("Uscita");
    EXPECT_TRUE(log.Matches({"Uscita: game shut", lossSound, "Hai perso: game shut",
                             "after Hai perso: game shut, Uscita in front",
                             "after Uscita: game takes input, game in front"}));
    EXPECT_TRUE(Game().matchOver);
}

// Answering the question under the loss box ends the question's box first: the game stays shut
// until the loss has been answered and applied, so no "Abbandona" can come before it.
TEST_P(BoxesTest, ExitQuestionAnsweredUnderTheLossKeepsTheGameShut)
{
    LossDueAtTheNextAction();
    turns["Uscita"] = {[this] {
                           Tick(100);
                           log.Record("after Hai perso: " + InputState());
                       },
                       IDNO};
    turns["Hai perso"] = {[] {
                              Answer("Uscita");
                              log.Record("Uscita answered: " + InputState());
                          },
                          IDOK};
    AskToLeave();
    After("Uscita");
    EXPECT_TRUE(log.Matches({"Uscita: game shut", lossSound, "Hai perso: game shut", "Uscita answered: game shut",
                             "after Hai perso: game shut", "after Uscita: game takes input, game in front"}));
    EXPECT_TRUE(Game().matchOver);
}

INSTANTIATE_TEST_SUITE_P(, BoxesTest, ::testing::Values(Boxes::standIn, Boxes::real),
                         [](const ::testing::TestParamInfo<Boxes>& info) {
                             return std::string(info.param == Boxes::real ? "Real" : "StandIn");
                         });

TEST_F(HelpTest, GuideAndHomeOpenTheMakersPages)
{
    Choose(Game().guideItem);
    Choose(Game().homeItem);
    EXPECT_TRUE(log.Matches({"shell open http://www.tiremola.test/Tiremola.asp (SW_SHOW, over Tiremola)",
                             "shell open " + std::string(homePage) + " (SW_SHOW, over Tiremola)"}));

    // The shell answers more than 32 when it succeeds and 32 or less when it fails.
    for (auto [answer, opened] : {std::pair{INT_PTR{33}, true}, std::pair{INT_PTR{32}, false},
                                  std::pair{INT_PTR{2}, false}, std::pair{INT_PTR{0}, false}}) {
        seams.shellAnswer = answer;
        EXPECT_EQ(TorUtility::ShellOpen(homePage), opened) << "shell answer " << answer;
    }
}

}
