#pragma once

#include <cstdint>

namespace MyGame {

// The game's single random sequence: a 32-bit linear congruential generator (multiplier 214013,
// increment 2531011) handing out bits 16-30 of its state, so that a seed always yields the same
// game on every platform and C library.

// Becomes true once the sequence has been seeded, either explicitly or from the clock on the
// first draw; it is never cleared.
extern bool randomSeeded;

void SeedRandom(std::uint32_t seed);

// A value in 0..32767. An unseeded sequence is first seeded with the current time in seconds.
int RandomDraw();

// A value in lo..hi, using one draw. An empty range (hi < lo) yields lo without drawing, where the
// reduction would otherwise divide by zero.
int RandomBetween(int lo, int hi);

// Draws made since the program started, so that callers can measure how much randomness an
// operation consumed.
std::uint64_t RandomDrawCount();

}
