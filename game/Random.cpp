#include "Random.h"

#include <ctime>

namespace MyGame {

bool randomSeeded = false;

namespace {

std::uint32_t state = 0;
std::uint64_t drawCount = 0;

}

void SeedRandom(std::uint32_t seed)
{
    state = seed;
    randomSeeded = true;
}

int RandomDraw()
{
    if (!randomSeeded)
        SeedRandom(static_cast<std::uint32_t>(std::time(nullptr)));
    state = state * 214013u + 2531011u;
    ++drawCount;
    return static_cast<int>((state >> 16) & 0x7FFFu);
}

int RandomBetween(int lo, int hi)
{
    if (hi < lo)
        return lo;
    if (lo == 1)
        return RandomDraw() % hi + 1;
    return RandomBetween(1, hi - lo + 1) + lo - 1;
}

std::uint64_t RandomDrawCount()
{
    return drawCount;
}

}
