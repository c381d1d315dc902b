#pragma once

#include <cstddef>

// A checking allocator for the test program that links it. While it is on, every block the
// program allocates lies on pages of its own, which deleting the block makes unreadable: a later
// read or write of the freed block is caught and counted, then let through as it would have gone,
// instead of passing unnoticed because the memory happened to be unchanged.
namespace FreedMemoryGuard {

void Start();
void Stop();
// Reads and writes of freed blocks since Start.
std::size_t Touches();

}
