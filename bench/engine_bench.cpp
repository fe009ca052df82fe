// Places Bar engine on the platform's registry store; on Windows also with
// the navigation pane of the new-style dialogs.
#include "bench_util.h"
#include "core/path_text.h"
#include "core/program_folder.h"
#include "core/registry.h"
#include "targets/navigation_pane/navigation_pane_target.h"
#include "targets/place_targets.h"
#include "targets/places_bar/places_bar.h"
#include "platform/platform.h"
#ifndef _WIN32
#include "platform/linux/file_registry.h"
#endif

using namespace varnel;

int main() {
    auto folder = bench::tempFolder("engine");
    setProgramFolder(folder);
#ifndef _WIN32
    setRegistryBackend(std::make_unique<platform::FileRegistry>(folder / "HKEY_CURRENT_USER.reg"));
#endif
    for (const char* v : {"11.0", "12.0", "14.0"})
        for (const char* p : {"Desktop", "MyDocuments", "Favorites", "MyComputer", "Recent"})
            createKey(HKEY_CURRENT_USER, std::string("Software\\Microsoft\\Office\\") + v +
                                                   "\\Common\\Open Find\\Places\\StandardPlaces\\" + p);
    const PlaceSet group = {"/home/user/Projects", "/srv/data", "/home/user/Photos/2008", "/tmp", "5"};

    double cycle = bench::medianMicroseconds(50, [&] {
        applyPlaces(group);
        removePlaces();
    });
    bench::report("places_apply_remove_cycle_3_office_versions", cycle / 1000.0, "ms");

    int i = 0;
    double single = bench::medianMicroseconds(500, [&] {
        setValue(HKEY_CURRENT_USER, "Software\\Varnel\\VarnelZize", "CurrentGroup",
                 std::string("Group ") + std::to_string(i++ % 7));
    });
    bench::report("reg_key_createvalue", single, "us");

#ifdef _WIN32
    // A group applied, a switch to another, the removal: the Places Bar
    // alone, then with the navigation pane in either form.
    std::array<std::string, 5> first, second;
    for (size_t p = 0; p < 5; ++p) {
        first[p] = pathText(folder / ("first" + std::to_string(p)));
        second[p] = pathText(folder / ("second" + std::to_string(p)));
        std::filesystem::create_directories(pathFromText(first[p]));
        std::filesystem::create_directories(pathFromText(second[p]));
    }
    auto switchCycle = [&](PlaceTargets& targets) {
        return bench::medianMicroseconds(50, [&] {
                   targets.apply(first);
                   targets.apply(second);
                   targets.remove();
               }) /
               1000.0;
    };
    PlaceTargets placesBar;
    bench::report("places_apply_switch_remove_places_bar_only", switchCycle(placesBar), "ms");
    PlaceTargets windowsForm;
    windowsForm.add(std::make_unique<NavigationPaneTarget>(NavigationPaneForm::Windows));
    bench::report("places_apply_switch_remove_with_navigation_pane_windows_form", switchCycle(windowsForm), "ms");
    PlaceTargets every;
    every.add(std::make_unique<NavigationPaneTarget>());
    if (platform::runningUnderWine())
        bench::report("places_apply_switch_remove_with_navigation_pane_wine_form", switchCycle(every), "ms");
    // One switch of the active group, and one Save of it (the Places Bar
    // procedure as the group was and again as saved), through every target.
    bool toFirst = true;
    bench::report("switch_through_every_target", bench::medianMicroseconds(50, [&] {
                      every.apply(toFirst ? first : second);
                      toFirst = !toFirst;
                  }) / 1000.0,
                  "ms");
    bench::report("save_through_every_target", bench::medianMicroseconds(50, [&] {
                      every.apply(toFirst ? second : first, Reach::PlacesBarRunOnly);
                      every.apply(toFirst ? first : second);
                      toFirst = !toFirst;
                  }) / 1000.0,
                  "ms");
    every.remove();
#endif

    setRegistryBackend(nullptr);
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    return 0;
}
