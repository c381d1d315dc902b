// What the window procedure's element lookups cost per message as the number of elements grows
// from about 300 (the game's window) to 10,000, with the registry's index, and what the same
// lookups would cost as linear scans over the elements.

#include "BenchReport.h"

#include "ElementRegistry.h"
#include "Form.h"
#include "Label.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

using namespace TorUtility;
using Bench::Clock;

namespace {

constexpr int repetitions = 7;

void PumpMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// FindByHandle's rule as a scan: the last element with the window, else the newest element if it
// has no window yet.
GUIElement* ScanByHandle(const std::vector<GUIElement*>& elements, HWND window)
{
    for (auto element = elements.rbegin(); element != elements.rend(); ++element)
        if ((*element)->handle == window)
            return *element;
    GUIElement* newest = elements.empty() ? nullptr : elements.back();
    return newest && !newest->handle ? newest : nullptr;
}

// FindById's rule as a scan: the first element with the identifier.
GUIElement* ScanById(const std::vector<GUIElement*>& elements, std::int32_t identifier)
{
    for (GUIElement* element : elements)
        if (element->id == identifier)
            return element;
    return nullptr;
}

// Nanoseconds per call, median of several batches.
template <typename Call>
double NanosecondsEach(int count, Call call)
{
    std::vector<double> samples;
    for (int r = 0; r < repetitions; ++r) {
        const auto start = Clock::now();
        for (int i = 0; i < count; ++i)
            call();
        samples.push_back(Bench::MillisecondsSince(start) * 1e6 / count);
    }
    return Bench::Median(samples);
}

struct Figures {
    double nullMessage;
    double unknownTimer;
    double labelCommand;
    double indexByHandle;
    double indexById;
    double scanByHandle;
    double scanById;
};

// A form with labels until the registry holds 'elements' elements. Messages go to the form, the
// oldest element: a scan from the newest end passes every element before it finds it.
Figures Measure(int elements)
{
    auto form = std::make_unique<Form>(GetModuleHandleW(nullptr));
    form->width = 320;
    form->height = 240;
    form->Create();
    std::vector<std::unique_ptr<Label>> labels;
    while (ElementRegistry::Count() < static_cast<std::size_t>(elements)) {
        auto label = std::make_unique<Label>(form.get(), "");
        label->width = 4;
        label->height = 4;
        label->SetPosition(static_cast<int>(labels.size() % 80) * 4, static_cast<int>(labels.size() / 80) * 4 % 240);
        label->Create();
        labels.push_back(std::move(label));
    }
    PumpMessages();

    HWND window = form->handle;
    const auto sourceLabel = reinterpret_cast<LPARAM>(static_cast<HWND>(labels.front()->handle));
    const std::int32_t newestId = labels.back()->id;
    const std::vector<GUIElement*> snapshot = ElementRegistry::Elements();
    volatile std::uintptr_t sink = 0;
    Figures figures{};
    figures.nullMessage = NanosecondsEach(20000, [&] { SendMessageW(window, WM_NULL, 0, 0); });
    figures.unknownTimer = NanosecondsEach(20000, [&] { SendMessageW(window, WM_TIMER, 0x7FFF0000, 0); });
    figures.labelCommand =
        NanosecondsEach(20000, [&] { SendMessageW(window, WM_COMMAND, MAKEWPARAM(1, STN_CLICKED), sourceLabel); });
    figures.indexByHandle =
        NanosecondsEach(200000, [&] { sink = sink + reinterpret_cast<std::uintptr_t>(FindByHandle(window)); });
    figures.indexById =
        NanosecondsEach(200000, [&] { sink = sink + reinterpret_cast<std::uintptr_t>(FindById(newestId)); });
    figures.scanByHandle = NanosecondsEach(
        2000, [&] { sink = sink + reinterpret_cast<std::uintptr_t>(ScanByHandle(snapshot, window)); });
    figures.scanById =
        NanosecondsEach(2000, [&] { sink = sink + reinterpret_cast<std::uintptr_t>(ScanById(snapshot, newestId)); });

    labels.clear();
    form.reset();
    PumpMessages();
    return figures;
}

std::string Microseconds(double nanoseconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", nanoseconds / 1000);
    return text;
}

}

int main()
{
    const Figures few = Measure(300);
    const Figures many = Measure(10000);
    Bench::Report("WM_NULL to a form, 10,000 vs 300 elements", many.nullMessage, few.nullMessage, "ns", 1.25);
    Bench::Report("WM_TIMER of no timer, 10,000 vs 300 elements", many.unknownTimer, few.unknownTimer, "ns", 1.25);
    Bench::Report("WM_COMMAND from a label, 10,000 vs 300 elements", many.labelCommand, few.labelCommand, "ns", 1.25);
    Bench::Report("lookup by window, index, 10,000 vs 300", many.indexByHandle, few.indexByHandle, "ns", 1.25);
    Bench::Report("lookup by identifier, index, 10,000 vs 300", many.indexById, few.indexById, "ns", 1.25);
    Bench::Report("lookup by window, linear scan, 10,000 vs 300", many.scanByHandle, few.scanByHandle, "ns", 0);
    Bench::Report("lookup by identifier, linear scan, 10,000 vs 300", many.scanById, few.scanById, "ns", 0);
    Bench::Note("with 10,000 elements a scan by window takes " + Microseconds(many.scanByHandle) +
                " us per lookup against " + Microseconds(many.indexByHandle) + " us through the index; a message "
                "costs " + Microseconds(many.nullMessage) + " us in all, so a scan would multiply it by about " +
                std::to_string(static_cast<int>((many.nullMessage + many.scanByHandle) / many.nullMessage + 0.5)));
    return 0;
}
