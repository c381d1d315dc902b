// How long the computer takes to choose one shot: every TakeAim of 10,000 simulated matches, each
// against a player's fleet laid out by the player's own fit rules, timed one by one.
//
// A busy machine can stop the process in the middle of any call, so each call is timed three
// times from the same state (the random sequence is put back where it was, which its documented
// generator allows) and the least of the three is its time.

#include "BenchReport.h"

#include "FleetLayout.h"
#include "Random.h"
#include "Targeting.h"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <random>
#include <string>
#include <vector>

using namespace MyGame;

namespace {

constexpr int matches = 10000;
constexpr int timings = 3;

// The random sequence's state after 'draws' more draws from 'state'.
std::uint32_t Advance(std::uint32_t state, std::uint64_t draws)
{
    for (; draws > 0; --draws)
        state = state * 214013u + 2531011u;
    return state;
}

// Nine ships dropped at random first cells, each kept where the player's rules let it lie; a
// layout that leaves no room for the next ship starts again.
Grid PlayerFleet(std::mt19937& random)
{
    std::uniform_int_distribution<int> cell(1, BoardSide);
    for (;;) {
        Grid grid{};
        int k = 0;
        for (int attempts = 0; k < FleetShipCount && attempts < 1000; ++attempts) {
            const int column = cell(random);
            const int row = cell(random);
            const int length = ShipLength(k);
            if (grid[static_cast<std::size_t>((row - 1) * BoardSide + column - 1)] != 0)
                continue;
            const bool across = FitsHorizontally(grid, column, row, length);
            const bool down = FitsVertically(grid, column, row, length);
            if (!across && !down)
                continue;
            const bool vertical = across && down ? random() % 2 == 0 : down;
            for (int i = 0; i < length; ++i)
                grid[static_cast<std::size_t>((row - 1 + (vertical ? i : 0)) * BoardSide + column - 1 +
                                              (vertical ? 0 : i))] = 1;
            ++k;
        }
        if (k == FleetShipCount)
            return grid;
    }
}

std::string Fixed(double value, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

}

int main()
{
    std::mt19937 random(20260101);
    std::uint32_t sequence = 1;
    SeedRandom(sequence);
    std::vector<double> times;
    double worstSingle = 0;
    std::uint64_t mostDraws = 0;
    std::uint64_t allDraws = 0;
    for (int match = 0; match < matches; ++match) {
        const Grid fleet = PlayerFleet(random);
        BoardView view{};
        Position lastHit = NoPosition;
        std::deque<Position> earlierHits;
        for (int left = 27; left > 0;) {
            const std::uint64_t drawsBefore = RandomDrawCount();
            Position aim = NoPosition;
            double least = 0;
            for (int t = 0; t < timings; ++t) {
                SeedRandom(sequence);
                Position hunted = lastHit;
                std::deque<Position> waiting = earlierHits;
                const auto start = Bench::Clock::now();
                aim = TakeAim(view, hunted, waiting);
                const double elapsed = Bench::MillisecondsSince(start);
                least = t == 0 ? elapsed : std::min(least, elapsed);
                worstSingle = std::max(worstSingle, elapsed);
                if (t == timings - 1) {
                    lastHit = hunted;
                    earlierHits = waiting;
                }
            }
            times.push_back(least);
            const std::uint64_t draws = (RandomDrawCount() - drawsBefore) / timings;
            sequence = Advance(sequence, draws);
            mostDraws = std::max(mostDraws, draws);
            allDraws += draws;
            if (!IsSet(aim) || view[static_cast<std::size_t>(aim.y * BoardSide + aim.x)] != Shot::None) {
                std::fprintf(stderr, "TakeAim chose %d,%d, which is not an unshot cell\n", aim.x, aim.y);
                return 1;
            }
            const bool hit = fleet[static_cast<std::size_t>(aim.y * BoardSide + aim.x)] != 0;
            view[static_cast<std::size_t>(aim.y * BoardSide + aim.x)] = hit ? Shot::Hit : Shot::Miss;
            if (hit) {
                RecordHit(lastHit, earlierHits, aim);
                --left;
            }
        }
    }
    double sum = 0;
    for (double t : times)
        sum += t;
    const double mean = sum / static_cast<double>(times.size());
    std::sort(times.begin(), times.end());
    const double worst = times.back();
    const double nearWorst = times[times.size() * 999 / 1000];
    Bench::Report("one TakeAim, worst over 10,000 matches (vs 1 ms)", worst, 1.0, "ms", 1.0);
    Bench::Report("one TakeAim, mean (vs 1 ms)", mean, 1.0, "ms", 0);
    Bench::Note("TakeAim: " + std::to_string(times.size()) + " calls in " + std::to_string(matches) +
                " matches (" + Fixed(static_cast<double>(times.size()) / matches, 1) + " shots a match); mean " +
                Fixed(mean * 1000, 2) + " us, 99.9th percentile " + Fixed(nearWorst * 1000, 2) + " us, worst " +
                Fixed(worst * 1000, 2) + " us; random draws per call: mean " +
                Fixed(static_cast<double>(allDraws) / static_cast<double>(times.size()), 1) + ", most " +
                std::to_string(mostDraws) + "; the single slowest timing, preemption included, " +
                Fixed(worstSingle * 1000, 2) + " us");
    return 0;
}
