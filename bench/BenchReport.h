#pragma once

#ifdef _WIN32
#include <windows.h>
#endif

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace Bench {

using Clock = std::chrono::steady_clock;

inline double MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

inline double Median(std::vector<double> samples)
{
    if (samples.empty())
        return 0;
    std::sort(samples.begin(), samples.end());
    const std::size_t middle = samples.size() / 2;
    return samples.size() % 2 ? samples[middle] : (samples[middle - 1] + samples[middle]) / 2;
}

// The display's scale in dots per inch (96 is 100 %), as the Wine prefix the benchmark runs in
// sets it for every program.
// The benchmarks that run natively have no display: they count as 100 %.
inline int DisplayDpi()
{
#ifdef _WIN32
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
#else
    return 96;
#endif
}

// One figure of the table tools/bench.sh prints: the measured value, what it is compared with,
// the unit, and the largest ratio figure/baseline that meets the goal (0: no goal, only shown).
// A figure taken on a scaled display says at which scale.
inline void Report(const std::string& name, double figure, double baseline, const std::string& unit, double goal)
{
    const int dpi = DisplayDpi();
    const std::string scale = dpi == 96 ? "" : " at " + std::to_string(dpi) + " dpi";
    std::printf("bench|%s%s|%.6g|%.6g|%s|%g\n", name.c_str(), scale.c_str(), figure, baseline, unit.c_str(), goal);
    std::fflush(stdout);
}

// A finding printed under the table: how a figure was checked, or where its cost goes.
inline void Note(const std::string& text)
{
    std::printf("note|%s\n", text.c_str());
    std::fflush(stdout);
}

}
