// Starts the game and the baseline program side by side, several times each, and measures what
// only an outside process can: the time from process start until the main window is painted and
// the program waits for input, the processor time taken while idle, the peak working set after
// start-up and the size of the executable. STYLED_BASELINE.exe, the baseline built with the game's
// manifest, tells how much of the game's start-up and memory the manifest's choice of the common
// controls accounts for.
//
//   bench_launcher GAME.exe BASELINE.exe [REPETITIONS] [IDLE_SECONDS] [STYLED_BASELINE.exe]

#include "BenchReport.h"

#include <windows.h>
#include <psapi.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Run {
    double startupMs = 0;
    // Windows of the process that still had something to paint when the wait ended.
    int windowsToPaint = 0;
    double peakWorkingSetMiB = 0;
    double idleCpuPercent = 0;
};

struct Search {
    DWORD process;
    int windowsToPaint = 0;
};

BOOL CALLBACK CountChild(HWND window, LPARAM context)
{
    auto* search = reinterpret_cast<Search*>(context);
    if (GetUpdateRect(window, nullptr, FALSE))
        ++search->windowsToPaint;
    return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND window, LPARAM context)
{
    auto* search = reinterpret_cast<Search*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->process)
        return TRUE;
    CountChild(window, context);
    EnumChildWindows(window, CountChild, context);
    return TRUE;
}

std::string FirstLine(const std::wstring& path)
{
    std::ifstream file(path.c_str());
    std::string line;
    std::getline(file, line);
    return line;
}

// Wine's GetProcessTimes reports no processor time for another process, so the time is read
// from the Linux kernel's record of it, through Wine's Z: drive: the nanoseconds each of its
// threads has run, from /proc/PID/task/TID/schedstat. A Linux process's name is the first 15
// characters of its file name; of several, the one started last is taken.
double ProcessorSeconds(const std::wstring& exe)
{
    const std::wstring fileName = exe.substr(exe.find_last_of(L"\\/") + 1);
    const std::string name(fileName.begin(), fileName.begin() + std::min<std::size_t>(fileName.size(), 15));
    WIN32_FIND_DATAW entry{};
    HANDLE search = FindFirstFileW(L"Z:\\proc\\*", &entry);
    std::wstring found;
    unsigned long long latestStart = 0;
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &entry)) {
        if (entry.cFileName[0] < L'0' || entry.cFileName[0] > L'9')
            continue;
        const std::wstring directory = L"Z:\\proc\\" + std::wstring(entry.cFileName);
        const std::string record = FirstLine(directory + L"\\stat");
        const std::size_t open = record.find('(');
        const std::size_t close = record.rfind(')');
        if (open == std::string::npos || close == std::string::npos || record.substr(open + 1, close - open - 1) != name)
            continue;
        // After the name come the state and then fields 4 to 52 of proc(5); starttime is field 22.
        std::istringstream fields(record.substr(close + 2));
        std::vector<std::string> values{std::istream_iterator<std::string>(fields), {}};
        if (values.size() < 20)
            continue;
        const unsigned long long start = std::stoull(values[19]);
        if (!found.empty() && start < latestStart)
            continue;
        latestStart = start;
        found = directory;
    }
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    if (found.empty())
        return -1;
    double seconds = 0;
    HANDLE threads = FindFirstFileW((found + L"\\task\\*").c_str(), &entry);
    for (BOOL more = threads != INVALID_HANDLE_VALUE; more; more = FindNextFileW(threads, &entry)) {
        if (entry.cFileName[0] < L'0' || entry.cFileName[0] > L'9')
            continue;
        const std::string line = FirstLine(found + L"\\task\\" + entry.cFileName + L"\\schedstat");
        if (!line.empty())
            seconds += static_cast<double>(std::stoull(line)) / 1e9;
    }
    if (threads != INVALID_HANDLE_VALUE)
        FindClose(threads);
    return seconds;
}

Run Measure(const std::wstring& exe, const std::wstring& arguments, int idleSeconds)
{
    std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    Run run;
    const auto start = Bench::Clock::now();
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        std::fprintf(stderr, "cannot start %ls (error %lu)\n", exe.c_str(), GetLastError());
        std::exit(1);
    }
    // Signalled once the process asks for a message and finds none: every window it created has
    // been painted, since a pending paint is itself a message.
    if (WaitForInputIdle(process.hProcess, 60000) != 0) {
        std::fprintf(stderr, "%ls never became idle\n", exe.c_str());
        std::exit(1);
    }
    run.startupMs = Bench::MillisecondsSince(start);
    Search search{process.dwProcessId};
    EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&search));
    run.windowsToPaint = search.windowsToPaint;
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(process.hProcess, &memory, sizeof memory);
    run.peakWorkingSetMiB = static_cast<double>(memory.PeakWorkingSetSize) / (1024.0 * 1024.0);
    if (idleSeconds > 0) {
        Sleep(1000);
        const double before = ProcessorSeconds(exe);
        const auto idleStart = Bench::Clock::now();
        Sleep(static_cast<DWORD>(idleSeconds) * 1000);
        const double busy = ProcessorSeconds(exe) - before;
        run.idleCpuPercent = 100.0 * busy / (Bench::MillisecondsSince(idleStart) / 1000.0);
    }
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return run;
}

double FileKiB(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return static_cast<double>((static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow) /
           1024.0;
}

template <typename Field>
std::vector<double> Column(const std::vector<Run>& runs, Field field)
{
    std::vector<double> values;
    for (const Run& run : runs)
        values.push_back(run.*field);
    return values;
}

int MostToPaint(const std::vector<Run>& runs)
{
    int most = 0;
    for (const Run& run : runs)
        most = std::max(most, run.windowsToPaint);
    return most;
}

}

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3) {
        std::fprintf(stderr,
                     "usage: bench_launcher GAME.exe BASELINE.exe [REPETITIONS] [IDLE_SECONDS] [STYLED_BASELINE.exe]\n");
        return 2;
    }
    const std::wstring game = argv[1];
    const std::wstring baseline = argv[2];
    const int repetitions = argc > 3 ? std::max(1, _wtoi(argv[3])) : 5;
    const int idleSeconds = argc > 4 ? std::max(1, _wtoi(argv[4])) : 10;
    const std::wstring styledBaseline = argc > 5 ? argv[5] : L"";

    // The mouse rests away from both windows: over a window the toolkit asks the platform to watch
    // for the mouse leaving it, which a window of the plain baseline never does.
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 2, GetSystemMetrics(SM_CYSCREEN) - 2);

    // One unmeasured start of each, so that neither pays alone for a cold file cache.
    Measure(game, L"", 0);
    Measure(baseline, L"", 0);

    std::vector<Run> gameRuns, baselineRuns, slowPaintRuns, manyWindowRuns, styledRuns;
    for (int i = 0; i < repetitions; ++i) {
        gameRuns.push_back(Measure(game, L"", idleSeconds));
        baselineRuns.push_back(Measure(baseline, L"", idleSeconds));
        slowPaintRuns.push_back(Measure(baseline, L"--slow-first-paint", 0));
        manyWindowRuns.push_back(Measure(baseline, L"--windows", idleSeconds));
        if (!styledBaseline.empty())
            styledRuns.push_back(Measure(styledBaseline, L"--windows", 0));
    }

    const double gameStartup = Bench::Median(Column(gameRuns, &Run::startupMs));
    const double baselineStartup = Bench::Median(Column(baselineRuns, &Run::startupMs));
    const double gameMemory = Bench::Median(Column(gameRuns, &Run::peakWorkingSetMiB));
    // The honest limit of a window built of one window per cell is a program with as many plain
    // system windows; the single plain window is shown beside it.
    Bench::Report("start-up until painted and idle, vs 263 static controls", gameStartup,
                  Bench::Median(Column(manyWindowRuns, &Run::startupMs)), "ms", 1.3);
    Bench::Report("start-up until painted and idle, vs one plain window", gameStartup, baselineStartup, "ms", 0);
    Bench::Report("idle processor load, placing state", Bench::Median(Column(gameRuns, &Run::idleCpuPercent)),
                  Bench::Median(Column(baselineRuns, &Run::idleCpuPercent)), "% of a core", 1.2);
    Bench::Report("peak working set after start-up, vs 263 static controls", gameMemory,
                  Bench::Median(Column(manyWindowRuns, &Run::peakWorkingSetMiB)), "MiB", 1.2);
    Bench::Report("peak working set after start-up, vs one plain window", gameMemory,
                  Bench::Median(Column(baselineRuns, &Run::peakWorkingSetMiB)), "MiB", 0);
    if (!styledRuns.empty()) {
        Bench::Report("start-up, vs 263 static controls with the game's manifest", gameStartup,
                      Bench::Median(Column(styledRuns, &Run::startupMs)), "ms", 0);
        Bench::Report("peak working set, vs 263 static controls with the game's manifest", gameMemory,
                      Bench::Median(Column(styledRuns, &Run::peakWorkingSetMiB)), "MiB", 0);
    }
    Bench::Report("executable size", FileKiB(game), FileKiB(baseline), "KiB", 0);

    const double slowPaintDelay = Bench::Median(Column(slowPaintRuns, &Run::startupMs)) - baselineStartup;
    Bench::Note("start-up is timed with WaitForInputIdle; a baseline whose first paint sleeps 300 ms starts " +
                std::to_string(static_cast<int>(slowPaintDelay + 0.5)) +
                " ms later, and when the wait ended the windows still to paint numbered at most " +
                std::to_string(MostToPaint(gameRuns)) + " (game) and " + std::to_string(MostToPaint(baselineRuns)) +
                " (baseline)");
    return 0;
}
