// What the GUI tests share to craft a machine: catalogue lookups, the registry key of an
// entry, the status lines, the screen's DPI, and a scenario that owns the folder the program
// runs in and every stand-in and registration placed for it (all undone at scope end).
#pragma once

#include "Kestrova.h"
#include "Wait.h"
#include "WindowQuery.h"

#include "inventory/Catalogue.h"
#include "inventory/Scan.h"
#include "tests/support/WineSupport.h"
#include "tests/support/WrittenKey.h"

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace gui {

// Catalogue index of `name`; throws for a name that is not in the catalogue.
inline int IndexOf(const std::string& name) {
    ResetLibraries();
    for (int i = 0; i < static_cast<int>(LIBRARY_COUNT); ++i)
        if (Libraries[i].Name == name) return i;
    throw std::runtime_error(name + " is not a catalogue library");
}

inline const TLibraryEntry& Entry(const std::string& name) {
    return Libraries[IndexOf(name)];
}

// The key whose default value registers the library (a type library's without the
// trailing backslash); empty for a library that needs no registration.
inline std::string RegistrationKey(const std::string& name) {
    return kestrova_test::WrittenKeyOf(Entry(name));
}

inline std::string Line(const std::string& name, const char* status) {
    return name + status;
}

// `value`, a figure of the window designed at 96 DPI, at `dpi`, as the program scales it;
// a font's height is rounded down.
inline int Scaled(int value, int dpi) {
    return MulDiv(value, dpi, 96);
}
inline int ScaledFont(int height, int dpi) {
    return height * dpi / 96;
}

// The DPI of the programs Wine starts from now on, in both places it reads it (LogPixels);
// the values before are put back at scope end.
class TScopedDpi {
public:
    explicit TScopedDpi(int dpi) {
        FUser.SetDword(static_cast<DWORD>(dpi));
        FMachine.SetDword(static_cast<DWORD>(dpi));
    }

private:
    kestrova_test::TScopedRegistryValue FUser{HKEY_CURRENT_USER, "Control Panel\\Desktop",
                                              "LogPixels"};
    kestrova_test::TScopedRegistryValue FMachine{
        HKEY_LOCAL_MACHINE,
        "System\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts", "LogPixels"};
};

// A crafted machine: an empty folder that the program gets as its current directory, and
// the stand-ins and registrations placed for one scenario.
class TScenario {
public:
    const std::string& Here() const { return FHere.Path(); }
    std::string HerePath(const std::string& name) const { return FHere / name; }
    std::string SystemPath(const std::string& name) const {
        return kestrova_test::JoinPath(kestrova_test::SystemDirectory(), name);
    }

    // Stand-in `variant` of `name` in the current directory; its full path.
    std::string PlaceHere(const std::string& variant, const std::string& name) {
        return Keep(kestrova_test::PlaceStandIn(variant, name, Here()));
    }
    // Stand-in `variant` of `source` copied into the current directory as `name`.
    std::string PlaceHereAs(const std::string& variant, const std::string& source,
                            const std::string& name) {
        return Keep(std::make_unique<kestrova_test::TScopedFileCopy>(
            kestrova_test::StandInPath(variant, source), HerePath(name)));
    }
    // Stand-in `variant` of `name` in the system directory.
    std::string PlaceInSystem(const std::string& variant, const std::string& name) {
        return Keep(kestrova_test::PlaceStandIn(variant, name, kestrova_test::SystemDirectory()));
    }
    // The registration of `name` pointing at `path` ("" keeps the key without a value, so
    // whatever the program registers is removed at scope end too).
    void Register(const std::string& name, const std::string& path) {
        auto key = std::make_unique<kestrova_test::TScopedClassesRootKey>(RegistrationKey(name));
        if (!path.empty()) key->SetDefault(path);
        FKeys.push_back(std::move(key));
    }
    // The registration key of `name` left unregistered now and removed at scope end.
    void Unregistered(const std::string& name) { Register(name, ""); }

    // Starts the program in the current directory.
    std::unique_ptr<TKestrova> Start() const { return std::make_unique<TKestrova>(Here()); }

private:
    std::string Keep(std::unique_ptr<kestrova_test::TScopedFileCopy> copy) {
        const std::string path = copy->Path();
        FCopies.push_back(std::move(copy));
        return path;
    }

    // Declared first so it is removed last, after the copies inside it.
    kestrova_test::TScopedFolder FHere;
    std::vector<std::unique_ptr<kestrova_test::TScopedClassesRootKey>> FKeys;
    std::vector<std::unique_ptr<kestrova_test::TScopedFileCopy>> FCopies;
};

} // namespace gui
