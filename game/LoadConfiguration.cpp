// The executable's load configuration: the data the system's loader reads from the PE header's
// load-configuration directory before any code of the process runs. Its one field that matters
// here is DependentLoadFlags: from Windows 10 1607 the loader searches for the libraries that the
// executable's own imports pull in, and the libraries those pull in, with these flags, as if the
// program had called SetDefaultDllDirectories before its first instruction. With
// LOAD_LIBRARY_SEARCH_SYSTEM32 they come from the system folder only, never from the folder the
// game was unpacked into. Earlier systems ignore the field; the start-up's restriction
// (Main.cpp) covers what follows on those.
//
// MinGW-w64's runtime defines no load configuration of its own, and both linkers, GNU ld and
// lld, point the directory at the symbol _load_config_used and take its size from the first
// field. The layout is written out here rather than taken from <winnt.h>: MinGW-w64 10 names the
// field Reserved1, later headers DependentLoadFlags and a longer structure.
#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace MyGame {

// IMAGE_LOAD_CONFIG_DIRECTORY64 up to the handler table's count: the 112 bytes of the oldest
// 64-bit layout, which every loader that knows the directory reads.
struct LoadConfiguration {
    std::uint32_t size;
    std::uint32_t timeDateStamp;
    std::uint16_t majorVersion;
    std::uint16_t minorVersion;
    std::uint32_t globalFlagsClear;
    std::uint32_t globalFlagsSet;
    std::uint32_t criticalSectionDefaultTimeout;
    std::uint64_t deCommitFreeBlockThreshold;
    std::uint64_t deCommitTotalFreeThreshold;
    std::uint64_t lockPrefixTable;
    std::uint64_t maximumAllocationSize;
    std::uint64_t virtualMemoryThreshold;
    std::uint64_t processAffinityMask;
    std::uint32_t processHeapFlags;
    std::uint16_t csdVersion;
    std::uint16_t dependentLoadFlags;
    std::uint64_t editList;
    std::uint64_t securityCookie;
    std::uint64_t seHandlerTable;
    std::uint64_t seHandlerCount;
};

// Where the loader looks for the fields, as Windows' own structure places them.
static_assert(offsetof(LoadConfiguration, dependentLoadFlags) == 78);
static_assert(sizeof(LoadConfiguration) == 112);
static_assert(LOAD_LIBRARY_SEARCH_SYSTEM32 <= 0xFFFF);

}

using MyGame::LoadConfiguration;

// The structure with every other field zero: no security cookie for the loader to set (the stack
// protector keeps its own guard), no lock prefixes, no handler table.
constexpr LoadConfiguration Configured()
{
    LoadConfiguration configuration{};
    configuration.size = sizeof configuration;
    configuration.dependentLoadFlags = LOAD_LIBRARY_SEARCH_SYSTEM32;
    return configuration;
}

// Named for the linker through the assembler name: the C++ name would be a reserved identifier.
// Nothing in the program refers to it; the linker and the loader are what read it.
extern const LoadConfiguration loadConfiguration __asm__("_load_config_used");
const LoadConfiguration loadConfiguration = Configured();
