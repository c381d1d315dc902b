// In-process figures of the game's window: a full repaint against a window of plain static
// controls painted by the system, the cost of a tick while a ship picture follows the mouse, and
// where the time of building the window goes.

#include "BenchReport.h"

#include "CellControl.h"
#include "Drawing.h"
#include "ElementRegistry.h"
#include "FormMain.h"
#include "Palette.h"
#include "Platform.h"
#include "Timer.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

using namespace TorUtility;
using Bench::Clock;

namespace {

constexpr UINT fullRepaint = RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW;
constexpr int repetitions = 9;

POINT cursor{0, 0};

// Nothing the game asks of the platform blocks, sounds or reads the real mouse.
void QuietPlatform()
{
    platform.messageBox = [](HWND, LPCSTR, LPCSTR, UINT) -> int { return IDYES; };
    platform.messageBeep = [](UINT) -> BOOL { return TRUE; };
    platform.playSound = [](LPCWSTR, HMODULE, DWORD) -> BOOL { return TRUE; };
    platform.shellExecute = [](HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT) -> HINSTANCE {
        return reinterpret_cast<HINSTANCE>(42);
    };
    platform.trackPopupMenu = [](HMENU, UINT, int, int, int, HWND, const RECT*) -> BOOL { return TRUE; };
    platform.getCursorInfo = [](PCURSORINFO info) -> BOOL {
        info->ptScreenPos = cursor;
        return TRUE;
    };
}

void PumpMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

std::unique_ptr<MyGame::FormMain> MakeGame()
{
    auto game = std::make_unique<MyGame::FormMain>(GetModuleHandleW(nullptr), "Tiremola");
    // Ticks come only when a figure asks for them.
    game->tickTimer->Stop();
    PumpMessages();
    return game;
}

// Milliseconds per repaint, over a batch.
double RepaintMs(HWND window, int count, UINT flags = fullRepaint)
{
    const auto start = Clock::now();
    for (int i = 0; i < count; ++i)
        RedrawWindow(window, nullptr, nullptr, flags);
    return Bench::MillisecondsSince(start) / count;
}

// Brings one of the two windows to the front with the other hidden, so that each is measured
// whole and unobscured.
void ShowOnly(HWND shown, HWND hidden)
{
    ShowWindow(hidden, SW_HIDE);
    ShowWindow(shown, SW_SHOWNA);
    SetWindowPos(shown, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    PumpMessages();
}

// The comparison window: the game's two boards as 242 static controls with the same texts,
// colours and font, painted by the system.
class StaticBoards {
public:
    // On a scaled display the controls are as large as the game's cells there, in the font the
    // game's cells use at that scale.
    explicit StaticBoards(HFONT font, DWORD extendedStyle = 0)
    {
        const int dpi = Bench::DisplayDpi();
        auto scaled = [dpi](int length) { return MulDiv(length, dpi, 96); };
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = Procedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = background;
        windowClass.lpszClassName = L"StaticBoards";
        RegisterClassW(&windowClass);
        const DWORD style = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_VISIBLE;
        RECT frame{0, 0, scaled(640), scaled(400)};
        AdjustWindowRect(&frame, style, FALSE);
        window = CreateWindowExW(0, L"StaticBoards", L"Static boards", style, scaled(100), scaled(100),
                                 frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                                 windowClass.hInstance, nullptr);
        const int side = 23;
        for (int left : {10, 375}) {
            for (int i = 0; i < 121; ++i) {
                const int r = i / 11;
                const int c = i % 11;
                std::wstring text;
                if (r == 0)
                    text = std::wstring(1, static_cast<wchar_t>(L'@' + c));
                else if (c == 0)
                    text = std::to_wstring(r);
                HWND cell = CreateWindowExW(extendedStyle, L"static", text.c_str(),
                                            WS_CHILD | WS_VISIBLE | WS_BORDER | SS_CENTER | SS_CENTERIMAGE,
                                            scaled(left + side * c), scaled(67 + side * r),
                                            scaled(left + side * (c + 1)) - scaled(left + side * c),
                                            scaled(67 + side * (r + 1)) - scaled(67 + side * r), window, nullptr,
                                            windowClass.hInstance, nullptr);
                SetWindowLongPtrW(cell, GWLP_USERDATA, r == 0 || c == 0 ? MyGame::headerGrey : MyGame::water);
                SendMessageW(cell, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
            }
        }
        PumpMessages();
    }
    StaticBoards(const StaticBoards&) = delete;
    StaticBoards& operator=(const StaticBoards&) = delete;
    ~StaticBoards()
    {
        DestroyWindow(window);
        for (auto& [colour, brush] : brushes)
            DeleteObject(brush);
        DeleteObject(background);
    }

    HWND window = nullptr;

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message != WM_CTLCOLORSTATIC)
            return DefWindowProcW(window, message, wParam, lParam);
        const auto colour = static_cast<COLORREF>(GetWindowLongPtrW(reinterpret_cast<HWND>(lParam), GWLP_USERDATA));
        HBRUSH& brush = brushes[colour];
        if (!brush)
            brush = CreateSolidBrush(colour);
        SetBkColor(reinterpret_cast<HDC>(wParam), colour);
        SetTextColor(reinterpret_cast<HDC>(wParam), MyGame::black);
        return reinterpret_cast<LRESULT>(brush);
    }

    inline static std::map<COLORREF, HBRUSH> brushes;
    HBRUSH background = CreateSolidBrush(MyGame::formBackground);
};

// The game's cells that paint with a font of their own, made and deleted at every paint.
std::vector<CellControl*> CellsWithoutFont(const MyGame::FormMain& game)
{
    std::vector<CellControl*> cells;
    for (GUIElement* element : ElementRegistry::Elements())
        if (auto* cell = dynamic_cast<CellControl*>(element); cell && cell->parent == &game && !cell->font)
            cells.push_back(cell);
    return cells;
}

std::string Fixed(double value, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

// Time spent inside the paint messages of each kind of window, outermost message only.
struct PaintProfile {
    std::map<std::string, double> milliseconds;
    std::map<std::string, int> windows;
    std::vector<std::pair<HWND, Clock::time_point>> open;
    HHOOK before = nullptr;
    HHOOK after = nullptr;
};

PaintProfile profile;

std::string KindOf(HWND window)
{
    GUIElement* element = ElementRegistry::LastWithHandle(window);
    if (!element)
        return "static control (comparison)";
    if (auto* cell = dynamic_cast<CellControl*>(element))
        return cell->picture ? "ship picture" : cell->border ? "board cell" : "counter or status line";
    return element->typeName;
}

bool IsPaintMessage(UINT message)
{
    return message == WM_PAINT || message == WM_ERASEBKGND || message == WM_NCPAINT;
}

LRESULT CALLBACK BeforePaint(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && IsPaintMessage(sent->message))
        profile.open.emplace_back(sent->hwnd, Clock::now());
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK AfterPaint(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* sent = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && IsPaintMessage(sent->message) && !profile.open.empty()) {
        const auto [window, start] = profile.open.back();
        profile.open.pop_back();
        if (profile.open.empty())
            profile.milliseconds[KindOf(window)] += Bench::MillisecondsSince(start);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Per full repaint: milliseconds inside the paint messages of each kind of window.
std::string PaintBreakdown(HWND window, int count)
{
    profile = PaintProfile{};
    profile.before = SetWindowsHookExW(WH_CALLWNDPROC, BeforePaint, nullptr, GetCurrentThreadId());
    profile.after = SetWindowsHookExW(WH_CALLWNDPROCRET, AfterPaint, nullptr, GetCurrentThreadId());
    const double total = RepaintMs(window, count);
    UnhookWindowsHookEx(profile.before);
    UnhookWindowsHookEx(profile.after);
    double inside = 0;
    std::string text;
    for (const auto& [kind, ms] : profile.milliseconds) {
        inside += ms / count;
        text += kind + " " + std::to_string(ms / count).substr(0, 5) + " ms, ";
    }
    return text + "outside the windows' paint messages " + std::to_string(total - inside).substr(0, 5) + " ms";
}

// Full repaints of the game and of a comparison window, taken in turn with only one of the two
// shown, reported as the medians of both.
void ReportRepaints(const std::string& name, HWND game, HWND comparison, double goal)
{
    std::vector<double> gameMs, comparisonMs;
    for (int i = 0; i < repetitions; ++i) {
        ShowOnly(game, comparison);
        gameMs.push_back(RepaintMs(game, 10));
        ShowOnly(comparison, game);
        comparisonMs.push_back(RepaintMs(comparison, 10));
    }
    Bench::Report(name, Bench::Median(gameMs), Bench::Median(comparisonMs), "ms", goal);
}

void MeasureRepaint(MyGame::FormMain& game)
{
    StaticBoards boards(game.formFont->GetFont(game.dpi));
    RepaintMs(game.handle, 10);
    RepaintMs(boards.window, 10);
    ReportRepaints("full repaint (242 cells, tray, buttons) vs 242 static controls", game.handle, boards.window, 1.3);

    // The same static controls with the sunken client edge that every board cell has inside its
    // border: what the cell's look costs, apart from the toolkit.
    {
        StaticBoards edged(game.formFont->GetFont(game.dpi), WS_EX_CLIENTEDGE);
        ShowWindow(boards.window, SW_HIDE);
        ReportRepaints("full repaint vs 242 static controls with the cells' sunken edge", game.handle, edged.window, 0);
    }

    ShowOnly(game.handle, boards.window);
    Bench::Note("where a full repaint of the game goes: " + PaintBreakdown(game.handle, 10));
    ShowOnly(boards.window, game.handle);
    Bench::Note("where a full repaint of the comparison goes: " + PaintBreakdown(boards.window, 10));
    ShowOnly(game.handle, boards.window);
    const std::uint64_t madeBefore = gdiLedger.made;
    RepaintMs(game.handle, 10);
    const double madePerRepaint = static_cast<double>(gdiLedger.made - madeBefore) / 10;

    // The same repaint with the cells that make a font at every paint lent the form's font.
    const std::vector<CellControl*> fontless = CellsWithoutFont(game);
    std::vector<double> lentMs, ownMs;
    for (int i = 0; i < repetitions; ++i) {
        for (CellControl* cell : fontless)
            cell->font = game.formFont.get();
        lentMs.push_back(RepaintMs(game.handle, 10));
        for (CellControl* cell : fontless)
            cell->font = nullptr;
        ownMs.push_back(RepaintMs(game.handle, 10));
    }
    const double saved = Bench::Median(ownMs) - Bench::Median(lentMs);
    Bench::Note("full repaint: the game makes " + Fixed(madePerRepaint, 0) + " GDI objects per repaint; " +
                std::to_string(fontless.size()) + " cells (the 9 ship pictures and the 2 counters) have no font and "
                "make a " + fontless.front()->fontName + " font at every paint; lending them the form's font changes "
                "a full repaint from " + Fixed(Bench::Median(ownMs), 2) + " to " + Fixed(Bench::Median(lentMs), 2) +
                " ms (" + Fixed(saved, 2) + " ms, " + Fixed(100 * saved / Bench::Median(ownMs), 0) + "%)");

    // One window of each kind, painted alone.
    HWND staticCell = GetWindow(boards.window, GW_CHILD);
    ShowOnly(boards.window, game.handle);
    const double oneStatic = RepaintMs(staticCell, 200, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    ShowOnly(game.handle, boards.window);
    const double boardCell = RepaintMs(game.PlayerCell(5, 5)->handle, 200, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    const double picture = RepaintMs(game.shipPictures[0]->handle, 200, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    const double counter = RepaintMs(game.playerCounter->handle, 200, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    // What every cell's paint asks before drawing anything, text or not: the line height, on the
    // fresh device context each paint gets.
    HWND sample = game.PlayerCell(5, 5)->handle;
    auto contextUs = [&](bool readLineHeight) {
        const auto start = Clock::now();
        for (int i = 0; i < 2000; ++i) {
            HDC dc = GetDC(sample);
            if (readLineHeight) {
                HGDIOBJ previous = SelectObject(dc, game.formFont->GetFont(game.dpi));
                TEXTMETRICW metrics{};
                GetTextMetricsW(dc, &metrics);
                SelectObject(dc, previous);
            }
            ReleaseDC(sample, dc);
        }
        return Bench::MillisecondsSince(start) * 1000 / 2000;
    };
    const double lineHeightUs = contextUs(true) - contextUs(false);
    int measured = 0;
    for (const MyGame::FormMain::Board* board : {&game.playerCells, &game.enemyCells})
        for (CellControl* cell : *board)
            measured += cell && (!cell->GetText().empty() || cell->starMark);
    Bench::Note("every cell paint with text or a star selects its font into a fresh device context to read the "
                "line height: " + Fixed(lineHeightUs, 1) + " us, " + Fixed(lineHeightUs * measured / 1000, 2) +
                " ms over the " + std::to_string(measured) + " board cells that show text now");
    Bench::Note("one window painted alone: static control " + Fixed(oneStatic * 1000, 0) + " us, board cell " +
                Fixed(boardCell * 1000, 0) + " us, counter " + Fixed(counter * 1000, 0) + " us, ship picture " +
                Fixed(picture * 1000, 0) + " us");
}

struct TickCost {
    double wallUs;
    double processorUs;
};

double ThreadSeconds()
{
    FILETIME creation, exit, kernel, user;
    GetThreadTimes(GetCurrentThread(), &creation, &exit, &kernel, &user);
    ULARGE_INTEGER k{{kernel.dwLowDateTime, kernel.dwHighDateTime}};
    ULARGE_INTEGER u{{user.dwLowDateTime, user.dwHighDateTime}};
    return static_cast<double>(k.QuadPart + u.QuadPart) / 1e7;
}

// Ticks as the timer delivers them, each followed by the repaint it asked for. With a picture
// dragged, the mouse moves along the board between ticks unless 'still'.
TickCost Ticks(MyGame::FormMain& game, CellControl* dragged, bool still, int count)
{
    game.draggedShip = dragged;
    const double processorBefore = ThreadSeconds();
    const auto start = Clock::now();
    for (int i = 0; i < count; ++i) {
        POINT point = still ? POINT{200, 200} : POINT{20 + (i * 7) % 560, 100 + (i * 3) % 200};
        ClientToScreen(game.handle, &point);
        cursor = point;
        game.OnTick();
        RedrawWindow(game.handle, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    }
    const double wallMs = Bench::MillisecondsSince(start);
    const double processor = ThreadSeconds() - processorBefore;
    game.draggedShip = nullptr;
    if (dragged)
        game.SendShipHome(dragged);
    PumpMessages();
    return {wallMs * 1000 / count, processor * 1e6 / count};
}

void MeasureDragging(MyGame::FormMain& game)
{
    CellControl* ship = game.shipPictures[8];
    std::vector<double> idleWall, dragWall, stillWall, idleProcessor, dragProcessor, stillProcessor;
    for (int i = 0; i < repetitions; ++i) {
        // Idle ticks are so cheap that only many of them add up to the thread clock's 10 ms steps.
        const TickCost idle = Ticks(game, nullptr, false, 20000);
        const TickCost drag = Ticks(game, ship, false, 200);
        const TickCost still = Ticks(game, ship, true, 200);
        idleWall.push_back(idle.wallUs);
        dragWall.push_back(drag.wallUs);
        stillWall.push_back(still.wallUs);
        idleProcessor.push_back(idle.processorUs);
        dragProcessor.push_back(drag.processorUs);
        stillProcessor.push_back(still.processorUs);
    }
    Bench::Report("tick while dragging a ship, with its repaint, vs idle tick", Bench::Median(dragWall),
                  Bench::Median(idleWall), "us", 0);
    Bench::Report("processor time per dragging tick vs idle tick", Bench::Median(dragProcessor),
                  Bench::Median(idleProcessor), "us", 0);
    Bench::Note("a dragged ship with the mouse at rest costs " + Fixed(Bench::Median(stillWall), 0) +
                " us (processor " + Fixed(Bench::Median(stillProcessor), 0) +
                " us) per 20 ms tick, the idle tick's cost: a picture already under the mouse is neither moved nor "
                "repainted");
}

// Window creations and paints seen while the game's window is built and shown.
struct Timeline {
    int windows = 0;
    int paints = 0;
    std::map<HWND, int> paintsOf;
    Clock::time_point firstWindow;
    Clock::time_point secondWindow;
    Clock::time_point lastWindow;
    HHOOK hooks[3] = {};
};

Timeline timeline;

LRESULT CALLBACK OnCbt(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND) {
        const auto now = Clock::now();
        if (++timeline.windows == 1)
            timeline.firstWindow = now;
        else if (timeline.windows == 2)
            timeline.secondWindow = now;
        timeline.lastWindow = now;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void CountPaint(HWND window)
{
    ++timeline.paints;
    ++timeline.paintsOf[window];
}

LRESULT CALLBACK OnSent(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && sent->message == WM_PAINT)
        CountPaint(sent->hwnd);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK OnFetched(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* fetched = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && fetched->message == WM_PAINT)
        CountPaint(fetched->hwnd);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

BOOL CALLBACK CollectVisible(HWND window, LPARAM context)
{
    if (IsWindowVisible(window))
        reinterpret_cast<std::vector<HWND>*>(context)->push_back(window);
    return TRUE;
}

// How often each window on screen was painted from the start of construction until idle.
struct PaintCensus {
    int visible = 0;
    int unpainted = 0;
    int paintedMoreThanOnce = 0;
    int most = 0;
};

PaintCensus CountPaintsOnScreen(HWND form)
{
    std::vector<HWND> shown{form};
    EnumChildWindows(form, CollectVisible, reinterpret_cast<LPARAM>(&shown));
    PaintCensus census;
    for (HWND window : shown) {
        const int paints = timeline.paintsOf.contains(window) ? timeline.paintsOf.at(window) : 0;
        ++census.visible;
        census.unpainted += paints == 0;
        census.paintedMoreThanOnce += paints > 1;
        census.most = std::max(census.most, paints);
    }
    return census;
}

void Watch()
{
    timeline = Timeline{};
    const DWORD thread = GetCurrentThreadId();
    timeline.hooks[0] = SetWindowsHookExW(WH_CBT, OnCbt, nullptr, thread);
    timeline.hooks[1] = SetWindowsHookExW(WH_CALLWNDPROC, OnSent, nullptr, thread);
    timeline.hooks[2] = SetWindowsHookExW(WH_GETMESSAGE, OnFetched, nullptr, thread);
}

void StopWatching()
{
    for (HHOOK hook : timeline.hooks)
        UnhookWindowsHookEx(hook);
}

double Between(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

void ProfileConstruction()
{
    std::vector<double> toForm, build, rest, firstPaint, total, clientSize;
    int windows = 0, paintsBuilding = 0, paintsShowing = 0;
    PaintCensus census;
    for (int i = 0; i < repetitions; ++i) {
        Watch();
        const auto start = Clock::now();
        auto game = std::make_unique<MyGame::FormMain>(GetModuleHandleW(nullptr), "Tiremola");
        const auto built = Clock::now();
        paintsBuilding = timeline.paints;
        PumpMessages();
        const auto idle = Clock::now();
        paintsShowing = timeline.paints - paintsBuilding;
        StopWatching();
        census = CountPaintsOnScreen(game->handle);
        windows = timeline.windows;
        toForm.push_back(Between(start, timeline.secondWindow));
        build.push_back(Between(timeline.secondWindow, timeline.lastWindow));
        rest.push_back(Between(timeline.lastWindow, built));
        firstPaint.push_back(Between(built, idle));
        total.push_back(Between(start, idle));
        const auto resize = Clock::now();
        game->SetClientSize(640, 400);
        PumpMessages();
        clientSize.push_back(Bench::MillisecondsSince(resize));
        game->tickTimer->Stop();
    }
    const double buildMs = Bench::Median(build);
    Bench::Note("building the window in process: " + Fixed(Bench::Median(total), 1) + " ms until idle = form window " +
                Fixed(Bench::Median(toForm), 1) + " ms, BuildInterface's " + std::to_string(windows - 1) +
                " windows " + Fixed(buildMs, 1) + " ms (" + Fixed(buildMs * 1000 / (windows - 1), 0) +
                " us each), rest of the constructor (show, icon, font, SetClientSize) " +
                Fixed(Bench::Median(rest), 1) + " ms, first paint " + Fixed(Bench::Median(firstPaint), 1) + " ms; " +
                std::to_string(paintsBuilding) + " paints inside the constructor and " +
                std::to_string(paintsShowing) + " after it; SetClientSize with the repaint it asks for " +
                Fixed(Bench::Median(clientSize), 1) + " ms");
    Bench::Report("paints of the most painted window at start-up", census.most, 1, "paints", 1);
    Bench::Note("paints at start-up: " + std::to_string(census.visible) + " windows on screen, " +
                std::to_string(census.unpainted) + " of them never painted, " +
                std::to_string(census.paintedMoreThanOnce) + " painted more than once" +
                (census.unpainted == 0 && census.paintedMoreThanOnce == 0 ? ": every window painted exactly once"
                                                                          : ""));
}

// What one window costs to make: a self-painted cell, which registers a window class of its own,
// against a static control.
void ProfileCellCreation(MyGame::FormMain& game)
{
    std::vector<std::unique_ptr<CellControl>> cells;
    const auto cellsStart = Clock::now();
    for (int i = 0; i < 242; ++i) {
        auto cell = std::make_unique<CellControl>(&game);
        cell->width = 23;
        cell->height = 23;
        cell->border = true;
        cell->SetFont(game.formFont.get());
        cell->SetBackColor(static_cast<std::int32_t>(MyGame::water));
        cell->SetPosition(-100, -100);
        cell->Create();
        cells.push_back(std::move(cell));
    }
    const double cellUs = Bench::MillisecondsSince(cellsStart) * 1000 / 242;
    std::vector<HWND> statics;
    const auto staticsStart = Clock::now();
    for (int i = 0; i < 242; ++i) {
        HWND control = CreateWindowExW(0, L"static", L"", WS_CHILD | WS_VISIBLE | WS_BORDER | SS_CENTER, -100, -100, 23,
                                       23, game.handle, nullptr, nullptr, nullptr);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(game.formFont->GetFont(game.dpi)), FALSE);
        statics.push_back(control);
    }
    const double staticUs = Bench::MillisecondsSince(staticsStart) * 1000 / 242;
    for (HWND control : statics)
        DestroyWindow(control);
    for (const auto& cell : cells)
        DestroyWindow(cell->handle);
    cells.clear();
    PumpMessages();
    Bench::Note("making one window: a cell " + Fixed(cellUs, 0) + " us (its own window class and brush), a static "
                "control " + Fixed(staticUs, 0) + " us");
}

}

int main()
{
    QuietPlatform();
    ProfileConstruction();
    auto game = MakeGame();
    MeasureRepaint(*game);
    MeasureDragging(*game);
    ProfileCellCreation(*game);
    return 0;
}
