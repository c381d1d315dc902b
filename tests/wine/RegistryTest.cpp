#include "ElementRegistry.h"
#include "Menu.h"
#include "TestSupport.h"

#include <memory>
#include <random>

using namespace TorUtility;

namespace {

class Bare : public Child {
public:
    Bare() : Child(nullptr) {}
    void Create() override {}
    ~Bare() override { handle = nullptr; }
};

HWND FakeWindow(std::uintptr_t value)
{
    return reinterpret_cast<HWND>(value);
}

// The lookups as plain scans of the registry in construction order: what the index must match.
GUIElement* ScanByHandle(HWND window)
{
    const std::vector<GUIElement*> all = ElementRegistry::Elements();
    GUIElement* found = nullptr;
    for (GUIElement* element : all)
        if (element->handle == window)
            found = element;
    if (found)
        return found;
    return !all.empty() && !all.back()->handle ? all.back() : nullptr;
}

GUIElement* ScanById(std::int32_t identifier)
{
    for (GUIElement* element : ElementRegistry::Elements())
        if (element->id == identifier)
            return element;
    return nullptr;
}

GUIElement* ScanSubMenuById(std::int32_t identifier)
{
    for (GUIElement* element : ElementRegistry::Elements())
        if (dynamic_cast<SubMenu*>(element) && element->id == identifier)
            return element;
    return nullptr;
}

using RegistryTest = TestSupport::ToolkitTest;

TEST_F(RegistryTest, HandleLookupPrefersTheNewerOfTwoElementsIdLookupTheOlder)
{
    Bare older;
    Bare newer;
    older.handle = FakeWindow(0x100);
    newer.handle = FakeWindow(0x100);
    older.id = 7;
    newer.id = 7;
    Bare newest;
    newest.handle = FakeWindow(0x200);
    EXPECT_EQ(FindByHandle(FakeWindow(0x100)), &newer);
    EXPECT_EQ(FindById(7), &older);
}

TEST_F(RegistryTest, UnknownHandleFallsBackToTheNewestElementOnlyWhileItHasNoWindow)
{
    Bare first;
    first.handle = FakeWindow(0x100);
    Bare beingCreated;
    EXPECT_EQ(FindByHandle(FakeWindow(0x999)), &beingCreated);
    beingCreated.handle = FakeWindow(0x300);
    EXPECT_EQ(FindByHandle(FakeWindow(0x999)), nullptr);
}

TEST_F(RegistryTest, DeletedElementsAreNeverFoundAlsoWhenNewest)
{
    Bare kept;
    kept.handle = FakeWindow(0x100);
    auto doomed = std::make_unique<Bare>();
    doomed->id = 42;
    EXPECT_EQ(FindByHandle(FakeWindow(0x999)), doomed.get());
    doomed.reset();
    EXPECT_EQ(FindByHandle(FakeWindow(0x999)), nullptr);
    EXPECT_EQ(FindById(42), nullptr);
}

TEST_F(RegistryTest, ChangingAHandleOrIdRefilesTheElement)
{
    Bare element;
    element.handle = FakeWindow(0x100);
    element.id = 3;
    element.handle = FakeWindow(0x101);
    element.id = 4;
    Bare later;
    later.handle = FakeWindow(0x500);
    EXPECT_EQ(FindByHandle(FakeWindow(0x101)), &element);
    EXPECT_EQ(FindByHandle(FakeWindow(0x100)), nullptr);
    EXPECT_EQ(FindById(4), &element);
    EXPECT_EQ(FindById(3), nullptr);
}

TEST_F(RegistryTest, SubMenuLookupSkipsOtherKindsWithTheSameId)
{
    Bare other;
    Menu container("&Posizionamento", nullptr);
    SubMenu item(&container, "Posizionamento orizzontale");
    other.id = static_cast<std::int32_t>(item.id);
    EXPECT_EQ(FindById(item.id), &other);
    EXPECT_EQ(FindSubMenuById(item.id), &item);
    EXPECT_EQ(FindSubMenuById(item.id + 100), nullptr);
}

// Random construction, deletion and re-filing; after every step each lookup must give exactly
// what a scan of the registry gives.
TEST_F(RegistryTest, IndexedLookupsMatchTheScansUnderRandomChanges)
{
    std::mt19937 random(2024);
    std::vector<std::unique_ptr<GUIElement>> live;
    auto pick = [&](std::size_t count) { return std::uniform_int_distribution<std::size_t>(0, count - 1)(random); };
    for (int step = 0; step < 4000; ++step) {
        const int action = static_cast<int>(pick(10));
        if (action < 3 || live.empty()) {
            if (pick(4) == 0) {
                static Menu container("container", nullptr);
                live.push_back(std::make_unique<SubMenu>(&container, "item"));
            } else {
                live.push_back(std::make_unique<Bare>());
            }
        } else if (action < 5) {
            live.erase(live.begin() + static_cast<std::ptrdiff_t>(pick(live.size())));
        } else if (action < 8) {
            live[pick(live.size())]->handle = pick(3) == 0 ? nullptr : FakeWindow(0x10 * (1 + pick(12)));
        } else {
            live[pick(live.size())]->id = static_cast<std::int32_t>(pick(12));
        }
        for (std::uintptr_t w = 0; w <= 13; ++w) {
            HWND window = w == 13 ? nullptr : FakeWindow(0x10 * w);
            ASSERT_EQ(FindByHandle(window), ScanByHandle(window)) << "step " << step << ", window " << w;
        }
        for (std::int32_t identifier = 0; identifier < 12; ++identifier) {
            ASSERT_EQ(FindById(identifier), ScanById(identifier)) << "step " << step << ", id " << identifier;
            ASSERT_EQ(FindSubMenuById(identifier), ScanSubMenuById(identifier)) << "step " << step;
        }
    }
    for (auto& element : live)
        element->handle = nullptr;
}

}
