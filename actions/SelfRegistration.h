// The four ways of registering a library through its own DllRegisterServer: the library
// in the path field, a forced registration of the selected entry, every located catalogue
// library, and any library the user browses for. The decisions and texts live here, over
// the platform (which loads the library and calls its entry) and a small window interface,
// so native tests can follow every path.
#pragma once

#include "actions/ActionUi.h"
#include "inventory/Catalogue.h"
#include "platform/Platform.h"

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

// Row 0 unregisters, row 1 registers; every command passes 1.
extern const char* const ServerEntryNames[2];
inline constexpr int REGISTER_ENTRY = 1;

// The browse dialog's filter, in the readable "description|patterns|..." form.
inline constexpr const char* LIBRARY_FILTER =
    "Liberías (*.ocx;*.dll)|*.ocx;*.dll|Todos los archivos (*.*)|*.*";

// `pipeSeparated` as the file-open dialog wants it: every "|" a NUL, and the whole list
// ended by two NULs.
std::string DialogFilter(const std::string& pipeSeparated);

// A structured exception (an access violation, an illegal instruction...) raised inside a
// library's entry. The library has been unloaded by the time this is thrown. Its text is
// what the error box shows.
class TLibraryFault : public std::runtime_error {
public:
    TLibraryFault(uint32_t code, const std::string& path);
    uint32_t Code() const { return FCode; }

private:
    uint32_t FCode;
};

// Calls ServerEntryNames[index] of the library at `path`. True only when the entry exists
// and returned 0; a library that cannot be loaded, an index without a row, a missing entry
// and any other result are false. Throws TLibraryFault when the entry faults.
bool CallServerEntry(TPlatform& platform, const std::string& path, int index,
                     const TEntryWait& wait = TEntryWait());

// Whether a call registered its library: the entry returned 0.
bool Registered(const TPlatform::TEntryCall& call);

// The sentence for a call that ended without an answer of the library's own: it ended the
// process that ran it, ran past `limitSeconds`, or was stopped. nullopt for the other
// outcomes, which each command words as it always has (and a fault, TLibraryFault's).
std::optional<std::string> EndedCallText(const TPlatform::TEntryCall& call, const std::string& path,
                                         uint32_t limitSeconds);

// One call of the registration entry of the library at `path` for a command shown on `ui`:
// the window says so and keeps answering, its stop ends the call, and the ui's limit bounds
// it. Throws TLibraryFault when the entry faults.
TPlatform::TEntryCall CallRegistration(TPlatform& platform, TActionUi& ui, const std::string& path);

// Whether a library may be loaded with this process's rights: always when it is not
// elevated or when no one but administrators (and the running user) can change the file or
// a folder on its path; otherwise only after the user agreed, and never in a run with no
// one to ask.
enum class TLoadDecision { Load, Ask, Skip };
TLoadDecision DecideLoad(bool elevated, bool othersCanWrite, bool asksUser);

// The question before loading one such library, and what a run with no one to ask says
// instead of loading it.
std::string WritableLocationQuestion(const std::string& path);
std::string WritableLocationSkipped(const std::string& path);

// What browsing for another library asks of the window besides the common services.
class TRegistrationUi : public TActionUi {
public:
    // The file-open dialog for a DLL or OCX; nullopt when cancelled.
    virtual std::optional<std::string> BrowseForLibrary() = 0;
};

// Every command below loads a library only after DecideLoad let it, and while elevated holds
// it (TPlatform::HoldForLoading) from its check until its entry returned: the file loaded is
// the file checked.

// cmdRegistrarClick: registers the library at `path` (the path field's text), then says
// so and rebuilds the list, or says that it could not. `held`: the library as its caller
// holds it already (a download's placed file), checked through that hold. True only when the
// registration succeeded.
bool RegisterLibrary(TPlatform& platform, TActionUi& ui, const std::string& path,
                     TPlatform::THeldFile* held = nullptr);
// cmdReRegistrarClick: registers the entry of the selected `line` again (nothing without
// a selection).
void ReRegisterSelected(TPlatform& platform, TActionUi& ui, const TLibraryEntry* entries,
                        std::optional<std::size_t> line);
// Registrartodaslaslibreras1Click: every entry with a class or type library whose located
// file exists, each line shown as it is worked on, then a report. While elevated, the
// libraries others may change are asked about once, all in one question, and each library is
// checked and held again right before its own load: one others may change by then that the
// question did not list is left out. A registration that ended its process or was stopped is
// reported too; a stop ends the loop.
void RegisterAllLibraries(TPlatform& platform, TActionUi& ui, const TLibraryEntry* entries);
// Exploraryregistrarotralibrera1Click: a library the user picks; refreshes also on cancel.
void BrowseAndRegister(TPlatform& platform, TRegistrationUi& ui);
