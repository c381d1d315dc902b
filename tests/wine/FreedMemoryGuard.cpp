#include "FreedMemoryGuard.h"

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

// Address space reserved for guarded blocks; only the pages in use are committed, and no address
// is handed out twice, so a freed block stays unreadable.
constexpr std::size_t regionSize = std::size_t{1} << 30;
constexpr std::size_t pageSize = 4096;
// Each block starts with the size of its pages, keeping the block itself aligned as new must.
constexpr std::size_t header = 16;

char* region = nullptr;
std::atomic<std::size_t> used{0};
std::atomic<bool> guarding{false};
std::atomic<std::size_t> touches{0};

bool Guarded(const void* address)
{
    const auto* byte = static_cast<const char*>(address);
    return region && byte >= region && byte < region + regionSize;
}

LONG CALLBACK CatchTouch(EXCEPTION_POINTERS* exception)
{
    const EXCEPTION_RECORD& record = *exception->ExceptionRecord;
    if (record.ExceptionCode != EXCEPTION_ACCESS_VIOLATION || record.NumberParameters < 2)
        return EXCEPTION_CONTINUE_SEARCH;
    auto* address = reinterpret_cast<char*>(record.ExceptionInformation[1]);
    if (!Guarded(address))
        return EXCEPTION_CONTINUE_SEARCH;
    ++touches;
    DWORD previous = 0;
    VirtualProtect(address, 1, PAGE_READWRITE, &previous);
    return EXCEPTION_CONTINUE_EXECUTION;
}

void* Allocate(std::size_t size)
{
    if (guarding) {
        const std::size_t span = (header + size + pageSize - 1) / pageSize * pageSize;
        const std::size_t offset = used.fetch_add(span);
        char* start = region + offset;
        if (offset + span <= regionSize && VirtualAlloc(start, span, MEM_COMMIT, PAGE_READWRITE)) {
            *reinterpret_cast<std::size_t*>(start) = span;
            return start + header;
        }
    }
    if (void* block = std::malloc(size ? size : 1))
        return block;
    throw std::bad_alloc();
}

void Free(void* block)
{
    if (!Guarded(block)) {
        std::free(block);
        return;
    }
    char* start = static_cast<char*>(block) - header;
    DWORD previous = 0;
    VirtualProtect(start, *reinterpret_cast<std::size_t*>(start), PAGE_NOACCESS, &previous);
}

}

// The library's other forms of new and delete come down to these.
void* operator new(std::size_t size)
{
    return Allocate(size);
}

void operator delete(void* block) noexcept
{
    Free(block);
}

void operator delete(void* block, std::size_t) noexcept
{
    Free(block);
}

namespace FreedMemoryGuard {

void Start()
{
    if (!region) {
        region = static_cast<char*>(VirtualAlloc(nullptr, regionSize, MEM_RESERVE, PAGE_NOACCESS));
        AddVectoredExceptionHandler(1, CatchTouch);
    }
    touches = 0;
    guarding = region != nullptr;
}

void Stop()
{
    guarding = false;
}

std::size_t Touches()
{
    return touches;
}

}
