// What the repair's command-line tests share: a machine crafted around the lines a test
// arranges itself, Kestrova.exe run in its folder, and the log read back.
#pragma once

#include "tests/gui/GuiScenario.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

namespace gui {

// Every line in order (a good copy, registered where it lies) but those left out, which the
// test arranges with Place and Register. Wine's own libraries get their good copy in the
// system folder in place of Wine's, which is put back at scope end, since a repair downloads
// over them there. Files a repair is expected to place are named by Arrives and removed at
// scope end.
class TCraftedMachine {
public:
    explicit TCraftedMachine(const std::set<std::string>& leftOut) {
        ResetLibraries();
        for (const TLibraryEntry& entry : Libraries) {
            const std::string name = entry.Name.str();
            if (leftOut.count(name) != 0) continue;
            const bool winesOwn = kestrova_test::WineProvides(name);
            Place("good", name, winesOwn ? kestrova_test::SystemDirectory() : Here(), winesOwn);
            if (entry.NeedsRegistration()) Register(name, FCopies.back()->Path());
        }
    }
    ~TCraftedMachine() {
        for (const std::string& path : FArrivals)
            DeleteFileA(path.c_str());
    }
    TCraftedMachine(const TCraftedMachine&) = delete;
    TCraftedMachine& operator=(const TCraftedMachine&) = delete;

    const std::string& Here() const { return FHere.Path(); }

    // Stand-in `variant` of `name` in `folder` until scope end; its path.
    std::string Place(const char* variant, const std::string& name, const std::string& folder,
                      bool replace = false) {
        FCopies.push_back(kestrova_test::PlaceStandIn(variant, name, folder, replace));
        return FCopies.back()->Path();
    }
    // `source` copied to `destination` until scope end.
    void Copy(const std::string& source, const std::string& destination) {
        FCopies.push_back(std::make_unique<kestrova_test::TScopedFileCopy>(source, destination));
    }
    // The registration of `name` pointing at `path` ("" keeps the key without a value, so
    // whatever the repair registers is removed at scope end too).
    void Register(const std::string& name, const std::string& path) {
        FKeys.push_back(
            std::make_unique<kestrova_test::TScopedClassesRootKey>(RegistrationKey(name)));
        if (!path.empty()) FKeys.back()->SetDefault(path);
    }
    void Arrives(const std::string& path) { FArrivals.push_back(path); }

private:
    kestrova_test::TScopedFolder FHere;
    std::vector<std::unique_ptr<kestrova_test::TScopedClassesRootKey>> FKeys;
    std::vector<std::unique_ptr<kestrova_test::TScopedFileCopy>> FCopies;
    std::vector<std::string> FArrivals;
};

inline kestrova_test::TProcessResult RunKestrova(const std::string& args,
                                                 const std::string& folder) {
    kestrova_test::TScopedCurrentDirectory cwd(folder);
    return kestrova_test::RunProcess("\"" + KestrovaExe() + "\" " + args, 120000);
}

// The log is UTF-8; our literals are Windows-1252.
inline std::string Utf8(const std::string& text) {
    std::wstring wide(text.size(), L'\0');
    wide.resize(static_cast<std::size_t>(
        MultiByteToWideChar(1252, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                            static_cast<int>(wide.size()))));
    std::string out(wide.size() * 3, '\0');
    out.resize(static_cast<std::size_t>(
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(),
                            static_cast<int>(out.size()), nullptr, nullptr)));
    return out;
}

// A step's fields, after its time, are in the log.
inline bool Logged(const std::string& log, const std::string& fields) {
    return log.find("\t" + Utf8(fields)) != std::string::npos;
}

} // namespace gui
