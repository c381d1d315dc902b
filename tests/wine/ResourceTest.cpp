#include "Platform.h"
#include "Product.h"
#include "TextUtilities.h"
#include "resource.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <cwchar>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace {

HMODULE Module()
{
    return GetModuleHandleW(nullptr);
}

// The bytes of a resource of this module, empty when it is missing.
std::string_view ResourceBytes(LPCWSTR name, LPCWSTR type)
{
    HRSRC found = FindResourceW(Module(), name, type);
    if (!found)
        return {};
    HGLOBAL loaded = LoadResource(Module(), found);
    const auto* bytes = static_cast<const char*>(LockResource(loaded));
    return bytes ? std::string_view(bytes, SizeofResource(Module(), found)) : std::string_view{};
}

// Width and height of a bitmap; {0, 0} for none.
SIZE BitmapSize(HBITMAP bitmap)
{
    BITMAP description{};
    if (!bitmap || !GetObjectW(bitmap, sizeof description, &description))
        return SIZE{0, 0};
    return SIZE{description.bmWidth, description.bmHeight};
}

// The entries of an icon group as the resource compiler wrote them.
#pragma pack(push, 2)
struct GroupHeader {
    WORD reserved;
    WORD type;
    WORD count;
};
struct GroupEntry {
    BYTE width;
    BYTE height;
    BYTE colours;
    BYTE reserved;
    WORD planes;
    WORD bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

// The version functions live in version.dll, which the program itself has no need to link.
class VersionLibrary {
public:
    VersionLibrary() : library(LoadLibraryW(L"version.dll")) {}
    VersionLibrary(const VersionLibrary&) = delete;
    VersionLibrary& operator=(const VersionLibrary&) = delete;
    ~VersionLibrary() { FreeLibrary(library); }

    // The version record of a file; empty when it has none.
    std::vector<char> RecordOf(const std::wstring& path) const
    {
        auto size = Function<DWORD(WINAPI*)(LPCWSTR, LPDWORD)>("GetFileVersionInfoSizeW");
        auto read = Function<BOOL(WINAPI*)(LPCWSTR, DWORD, DWORD, LPVOID)>("GetFileVersionInfoW");
        DWORD ignored = 0;
        std::vector<char> record(size ? size(path.c_str(), &ignored) : 0);
        if (record.empty() || !read || !read(path.c_str(), 0, static_cast<DWORD>(record.size()), record.data()))
            record.clear();
        return record;
    }

    // A value of a version record, or null.
    void* Query(std::vector<char>& record, const std::wstring& key) const
    {
        auto query = Function<BOOL(WINAPI*)(LPCVOID, LPCWSTR, LPVOID*, PUINT)>("VerQueryValueW");
        void* value = nullptr;
        UINT length = 0;
        return query && query(record.data(), key.c_str(), &value, &length) && length > 0 ? value : nullptr;
    }

private:
    template <typename Pointer>
    Pointer Function(const char* name) const
    {
        // Through the generic function type, which converts to any other without a warning.
        return library ? reinterpret_cast<Pointer>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)))
                       : nullptr;
    }

    HMODULE library;
};

TEST(ResourceTest, IconGroupHasAPictureDrawnFor16And32And48Pixels)
{
    const std::string_view group = ResourceBytes(MAKEINTRESOURCEW(IDI_TIREMOLA), RT_GROUP_ICON);
    ASSERT_GE(group.size(), sizeof(GroupHeader));
    GroupHeader header{};
    std::memcpy(&header, group.data(), sizeof header);
    ASSERT_EQ(group.size(), sizeof header + header.count * sizeof(GroupEntry));
    std::set<int> drawn;
    for (WORD i = 0; i < header.count; ++i) {
        GroupEntry entry{};
        std::memcpy(&entry, group.data() + sizeof header + i * sizeof entry, sizeof entry);
        EXPECT_EQ(entry.width, entry.height);
        drawn.insert(entry.width);
    }
    EXPECT_EQ(drawn, (std::set<int>{16, 32, 48}));

    for (int side : {16, 32, 48}) {
        auto icon = static_cast<HICON>(LoadImageW(Module(), MAKEINTRESOURCEW(IDI_TIREMOLA), IMAGE_ICON, side, side, 0));
        ASSERT_NE(icon, nullptr) << side;
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        EXPECT_TRUE(info.fIcon);
        const SIZE colour = BitmapSize(info.hbmColor);
        EXPECT_EQ(colour.cx, side);
        EXPECT_EQ(colour.cy, side);
        EXPECT_EQ(BitmapSize(info.hbmMask).cx, side);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

TEST(ResourceTest, BitmapsHaveTheSizesTheWindowsLayThemOutAtAndTwiceThatAt200Percent)
{
    const struct {
        int id;
        int id2x;
        SIZE size;
    } bitmaps[] = {{IDB_ABOUT, IDB_ABOUT_2X, {163, 50}},
                   {IDB_LOGO, IDB_LOGO_2X, {200, 50}},
                   {IDB_SHIP2, IDB_SHIP2_2X, {64, 50}},
                   {IDB_SHIP3, IDB_SHIP3_2X, {64, 50}},
                   {IDB_SHIP4, IDB_SHIP4_2X, {64, 50}},
                   {IDB_ARROW_PLAYER, IDB_ARROW_PLAYER_2X, {99, 87}},
                   {IDB_ARROW_ENEMY, IDB_ARROW_ENEMY_2X, {99, 87}}};
    for (const auto& expected : bitmaps) {
        for (const int scale : {1, 2}) {
            const int id = scale == 1 ? expected.id : expected.id2x;
            auto bitmap = static_cast<HBITMAP>(
                LoadImageW(Module(), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
            ASSERT_NE(bitmap, nullptr) << id;
            const SIZE size = BitmapSize(bitmap);
            EXPECT_EQ(size.cx, scale * expected.size.cx) << id;
            EXPECT_EQ(size.cy, scale * expected.size.cy) << id;
            DeleteObject(bitmap);
        }
    }
}

TEST(ResourceTest, SoundsAreWholeWaveFilesAndTheSoundCallReachesTheSoundLibrary)
{
    // The sound library is loaded on the first sound; stopping sounds succeeds only through it.
    EXPECT_TRUE(TorUtility::platform.playSound(nullptr, nullptr, 0));

    for (int id : {IDW_HIT, IDW_MISS}) {
        const std::string_view sound = ResourceBytes(MAKEINTRESOURCEW(id), L"WAVE");
        ASSERT_GT(sound.size(), 12u) << id;
        EXPECT_EQ(sound.substr(0, 4), "RIFF") << id;
        EXPECT_EQ(sound.substr(8, 4), "WAVE") << id;
        EXPECT_EQ(sound.substr(12, 4), "fmt ") << id;
        std::uint32_t riffLength = 0;
        std::memcpy(&riffLength, sound.data() + 4, sizeof riffLength);
        EXPECT_EQ(riffLength + 8, sound.size()) << "the RIFF length covers the resource exactly, " << id;
    }
}

TEST(ResourceTest, VersionRecordReads1020)
{
    wchar_t path[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameW(Module(), path, MAX_PATH), 0u);
    VersionLibrary version;
    std::vector<char> record = version.RecordOf(path);
    ASSERT_FALSE(record.empty());

    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(version.Query(record, L"\\"));
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(0, 1)) << "1.0";
    EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(0, 2)) << "2.0";
    EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(0, 1));
    EXPECT_EQ(fixed->dwProductVersionLS, MAKELONG(0, 2));

    // The string table is found through the language and code page the record declares.
    const auto* translation = static_cast<const WORD*>(version.Query(record, L"\\VarFileInfo\\Translation"));
    ASSERT_NE(translation, nullptr);
    wchar_t table[16] = {};
    swprintf(table, 16, L"%04X%04X", translation[0], translation[1]);
    const std::wstring key = std::wstring(L"\\StringFileInfo\\") + table + L"\\ProductVersion";
    const auto* productVersion = static_cast<const wchar_t*>(version.Query(record, key));
    ASSERT_NE(productVersion, nullptr) << "table " << TorUtility::ToNarrow(table);
    EXPECT_STREQ(productVersion, L"1.0.2.0");
    EXPECT_STREQ(productVersion, TorUtility::ToWide(MyGame::productVersion).c_str()) << "as the about box shows it";

    const std::string_view manifest = ResourceBytes(MAKEINTRESOURCEW(IDR_MANIFEST), RT_MANIFEST);
    const std::size_t identity = manifest.find("<assemblyIdentity");
    ASSERT_NE(identity, std::string_view::npos);
    const std::string_view tag = manifest.substr(identity, manifest.find('>', identity) - identity);
    EXPECT_NE(tag.find(std::string("version=\"") + MyGame::productVersion + "\""), std::string_view::npos)
        << "the manifest names the same version: " << tag;
}

TEST(ResourceTest, ManifestAsksToRunWithTheCallersRights)
{
    const std::string_view manifest = ResourceBytes(MAKEINTRESOURCEW(IDR_MANIFEST), RT_MANIFEST);
    ASSERT_FALSE(manifest.empty());
    const std::size_t element = manifest.find("<requestedExecutionLevel");
    ASSERT_NE(element, std::string_view::npos);
    const std::string_view tag = manifest.substr(element, manifest.find('>', element) - element);
    EXPECT_NE(tag.find("level=\"asInvoker\""), std::string_view::npos) << tag;
}

}
