// The checks between a transfer and the rename, in their order, on an in-memory machine:
// which answers may take a library's place, which box each refusal shows, and that every
// refusal leaves every copy as it was.
#include "actions/DownloadAction.h"
#include "actions/OriginChecks.h"
#include "actions/Repair.h"

#include "FakePlatform.h"
#include "MinimalImage.h"
#include "tests/support/QuietDownloadUi.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

const std::string Base = "https://libs.example.org:8443/libs/";
const std::string Key = "publisher key";
const std::string Sys = "C:\\WINDOWS\\system32";
const std::string Target = Sys + "\\MSINET.OCX"; // required version 6.1.98.16
const std::string NewBytes = GoodImage() + "new copy", OldBytes = "old copy";
const std::string NoPublisher =
    "La librería MSINET.OCX descargada no lleva la firma del editor de Kestrova. No se ha "
    "instalado.";
const std::string UnprovenBox = "No se pudo comprobar la identidad del servidor de librerías "
                                "libs.example.org. No se ha descargado MSINET.OCX.";
std::string Older(const std::string& arrived, const std::string& required) {
    return "La librería MSINET.OCX descargada (versión " + arrived +
           ") es anterior a la requerida (" + required + "). No se ha instalado.";
}

enum class TSig { Good, OtherName, OtherKey, Missing, Unproven };

// A transfer layer that stores what the case says, and records what was fetched.
struct TWireUi : TQuietDownloadUi, TLibrarySource {
    TFakePlatform& P;
    bool LibraryUnproven = false;
    std::optional<TVersionParts> Version;
    TSig Sig = TSig::Good;
    std::string Bytes = NewBytes;  // of the library
    std::size_t SignatureSize = 0; // a good signature padded to this size; 0: as it is
    std::vector<std::string> Fetched, Messages;

    explicit TWireUi(TFakePlatform& p) : P(p) {}
    TArrival FetchLibrary(TTransfer&, const std::string& name, const std::string& file) override {
        Fetched.push_back(Base + name);
        if (LibraryUnproven) return TArrival::Unproven;
        P.AddFile(file, Version);
        P.Contents[TFakePlatform::Upper(file)] = Bytes;
        return TArrival::Stored;
    }
    TArrival FetchSignature(TTransfer&, const std::string& name, const std::string& file) override {
        Fetched.push_back(Base + name + ".sig");
        if (Sig == TSig::Unproven) return TArrival::Unproven;
        if (Sig == TSig::Missing) return TArrival::Failed;
        P.AddFile(file, std::nullopt);
        P.Contents[TFakePlatform::Upper(file)] = TFakePlatform::FakeSign(
            Sig == TSig::OtherKey ? "another key" : Key,
            SignedPrefix(Sig == TSig::OtherName ? "mscomctl.ocx" : "msinet.ocx"), Bytes);
        if (SignatureSize != 0) P.Contents[TFakePlatform::Upper(file)].resize(SignatureSize, ' ');
        return TArrival::Stored;
    }
    std::string FailureMessage(const std::string& name, TArrival arrival) const override {
        return arrival == TArrival::Unproven ? UnprovenServerMessage(Base, name)
                                             : TLibrarySource::FailureMessage(name, arrival);
    }
    bool Confirm(const std::string&) override { return true; }
    void ShowMessage(const std::string& text) override { Messages.push_back(text); }
};

struct TCase {
    const char* what;
    bool withKey;
    bool libraryUnproven;
    std::optional<TVersionParts> arrived;
    TSig sig;
    std::optional<TVersionParts> old; // the copy at the destination, when there is one
    bool oldSigned;                   // the old copy signed by Publisher A, the new one not
    std::string refusal;              // empty: placed
    std::size_t signatureSize = 0;    // a good signature this long; 0: as it comes
    std::set<std::string> TFakePlatform::*plant = nullptr; // Target (or its .part) put in it
    std::string planted = Target;
    std::string located = {}; // the copy the scan located, elsewhere, when there is one
    bool notAnImage = false;  // the source said Stored for bytes that are no library image
};

const std::optional<TVersionParts> None, NoVersion;
const std::string Located = "C:\\Program Files\\Client\\MSINET.OCX";
const std::string Unreadable =
    "No se puede leer la copia actual de MSINET.OCX; no se ha reemplazado.";
const std::string Failed = "Ha ocurrido un error en la descarga de MSINET.OCX.";
constexpr TVersionParts Required{6, 1, 98, 16}, Newer{6, 1, 98, 17}, Oldest{5, 0, 0, 0},
    Ancient{1, 0, 0, 0};

} // namespace

TEST(DownloadChecks, DecideInOrderAndChangeNothingWhenTheyRefuse) {
    const TCase cases[] = {
        {"no key: no signature fetched", false, false, Required, TSig::Missing, None, false, ""},
        {"key and its signature", true, false, Required, TSig::Good, Oldest, false, ""},
        {"a newer copy than required", true, false, Newer, TSig::Good, Required, false, ""},
        {"certificate refused", true, true, Required, TSig::Good, Oldest, false, UnprovenBox},
        {"signature over https refused", true, false, Required, TSig::Unproven, None, false,
         UnprovenBox},
        {"no signature", true, false, Required, TSig::Missing, None, false, NoPublisher},
        {"signed as another library", true, false, Required, TSig::OtherName, None, false,
         NoPublisher},
        {"signed with another key", true, false, Required, TSig::OtherKey, None, false,
         NoPublisher},
        {"a signature of 4 KiB", true, false, Required, TSig::Good, None, false, "", 4096},
        {"a signature past 4 KiB", true, false, Required, TSig::Good, None, false, NoPublisher,
         4097},
        {"older than required", false, false, Oldest, TSig::Good, None, false,
         Older("5.0.0.0", "6.1.98.16")},
        {"no version reads 0.0.0.0", false, false, NoVersion, TSig::Good, None, false,
         Older("0.0.0.0", "6.1.98.16")},
        {"older than the copy it replaces", false, false, Required, TSig::Good, Newer, false,
         Older("6.1.98.16", "6.1.98.17")},
        {"publisher before version", true, false, Oldest, TSig::Missing, None, false, NoPublisher},
        {"version before signer", false, false, Oldest, TSig::Good, Ancient, true,
         Older("5.0.0.0", "6.1.98.16")},
        {"signer last", false, false, Required, TSig::Good, Ancient, true,
         "La librería MSINET.OCX descargada no está firmada por Publisher A como la que ya "
         "tiene el equipo. No se ha instalado."},
        // A copy that cannot be read is neither unsigned nor 0.0.0.0.
        {"a signed, newer copy held unshared", false, false, Required, TSig::Good, Newer, true,
         Unreadable, 0, &TFakePlatform::Unreadable},
        {"a destination that is a link", false, false, Required, TSig::Good, Oldest, false, Failed,
         0, &TFakePlatform::Linked},
        {"a .part that is a link", false, false, Required, TSig::Good, Oldest, false, Failed, 0,
         &TFakePlatform::Linked, Target + ".part"},
        {"a .sig.part that is a link", true, false, Required, TSig::Good, None, false, NoPublisher,
         0, &TFakePlatform::Linked, Target + ".sig.part"},
        {"the located copy elsewhere held unshared", false, false, Required, TSig::Good, None,
         false, Unreadable, 0, &TFakePlatform::Unreadable, Located, Located},
        {"bytes a source stored as a library that are none", false, false, Required, TSig::Good,
         None, false, Failed, 0, nullptr, Target, "", true},
    };

    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        TFakePlatform platform;
        TWireUi ui(platform);
        ui.LibraryUnproven = c.libraryUnproven;
        ui.Version = c.arrived;
        ui.Sig = c.sig;
        ui.SignatureSize = c.signatureSize;
        if (c.old) {
            platform.AddFile(Target, c.old);
            platform.Contents[TFakePlatform::Upper(Target)] = OldBytes;
        }
        if (c.oldSigned) platform.SignedBy(Target, "Publisher A");
        platform.Registers(Target); // a placed copy that failed its registration would not stay
        if (c.plant) (platform.*c.plant).insert(TFakePlatform::Upper(c.planted));
        if (c.notAnImage) ui.Bytes = "<html>not found</html>";
        ResetLibraries();
        TLibraryEntry* entry = nullptr;
        for (TLibraryEntry& e : Libraries)
            if (e.Name == "MSINET.OCX") entry = &e;
        if (!c.located.empty()) {
            platform.AddFile(c.located, Required);
            entry->Path = c.located;
        }

        RunDownload(platform, ui, *entry, false, ui, c.withKey ? Key : std::string());

        // An unreadable located copy is refused before anything is fetched.
        std::vector<std::string> fetched;
        if (c.located.empty() || c.plant != &TFakePlatform::Unreadable)
            fetched.push_back(Base + "MSINET.OCX");
        if (!fetched.empty() && c.withKey && !c.libraryUnproven)
            fetched.push_back(Base + "MSINET.OCX.sig");
        EXPECT_EQ(ui.Fetched, fetched);
        ASSERT_FALSE(ui.Messages.empty());
        if (c.refusal.empty()) {
            EXPECT_EQ(ui.Messages.front(), "Descargado con exito en " + Target + ".");
            EXPECT_EQ(platform.Contents[TFakePlatform::Upper(Target)], ui.Bytes);
        } else {
            EXPECT_EQ(ui.Messages, std::vector<std::string>{c.refusal});
            EXPECT_EQ(platform.HasFile(Target), c.old.has_value());
            if (c.old) {
                EXPECT_EQ(platform.Contents[TFakePlatform::Upper(Target)], OldBytes);
            }
            EXPECT_TRUE(platform.EntryCalls.empty()) << "a refused library was registered";
        }
        for (const auto& [file, version] : platform.Files)
            EXPECT_EQ(file.find(".PART"), std::string::npos) << "left " << file;
        EXPECT_EQ(platform.Held, 0);
    }
}

TEST(DownloadChecks, ARepairSkipsOnlyADownloadOverACopyNewerThanRequired) {
    const std::string here = "C:\\Program Files\\Client\\MSINET.OCX";
    const struct {
        const char* what;
        std::optional<TVersionParts> system, current; // the copies there; None: no file
        std::optional<std::string> newer;
    } cases[] = {
        {"no copy", None, None, std::nullopt},
        {"exactly the required version", Required, None, std::nullopt},
        {"exactly the required version here", Oldest, Required, std::nullopt},
        {"newer in the system folder", Newer, None, Target + " 6.1.98.17"},
        {"newer here, older in the system folder", Oldest, Newer, here + " 6.1.98.17"},
    };
    ResetLibraries();
    const TLibraryEntry* entry = nullptr;
    for (const TLibraryEntry& e : Libraries)
        if (e.Name == "MSINET.OCX") entry = &e;
    for (const auto& c : cases) {
        TFakePlatform platform;
        if (c.system) platform.AddFile(Target, c.system);
        if (c.current) platform.AddFile(here, c.current);
        EXPECT_EQ(NewerCopyOf(platform, *entry), c.newer) << c.what;
    }
}

TEST(DownloadChecks, HostsAndSignedNames) {
    EXPECT_EQ(UrlHost("https://localhost:18761/libs/"), "localhost");
    EXPECT_EQ(UrlHost("https://libs.example.org/a/libs/"), "libs.example.org");
    EXPECT_EQ(SignedPrefix("zlib.dll"), std::string("ZLIB.DLL\0", 9));
}

// Elevated, a copy others may change decides nothing: not the signer the arrival must have,
// not the version it must reach, not a refusal for being unreadable. A standard user's run
// keeps every copy's say.
TEST(DownloadChecks, ElevatedCopiesOthersMayChangeDecideNothing) {
    enum class TCopy { None, SignedByA, Unreadable, Newer };
    const std::string notByA = "La librería MSINET.OCX descargada no está firmada por Publisher A "
                               "como la que ya tiene el equipo. No se ha instalado.";
    const struct {
        const char* what;
        TCopy located, replaced;
        bool elevated, othersMayChange;
        std::string refusal; // "": placed
    } cases[] = {
        {"a signed copy elsewhere others may change", TCopy::SignedByA, TCopy::None, true, true,
         ""},
        {"a signed copy elsewhere only administrators change", TCopy::SignedByA, TCopy::None, true,
         false, notByA},
        {"a signed copy elsewhere, a standard user's run", TCopy::SignedByA, TCopy::None, false,
         true, notByA},
        {"an unreadable copy elsewhere others may change", TCopy::Unreadable, TCopy::None, true,
         true, ""},
        {"a newer copy in place others may change", TCopy::None, TCopy::Newer, true, true, ""},
        {"a newer copy in place only administrators change", TCopy::None, TCopy::Newer, true, false,
         Older("6.1.98.16", "6.1.98.17")},
        {"a signed copy in place others may change", TCopy::None, TCopy::SignedByA, true, true, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TFakePlatform platform;
        platform.ElevatedRun = c.elevated;
        TWireUi ui(platform);
        ui.Version = Required;
        const auto put = [&](const std::string& path, TCopy copy) {
            if (copy == TCopy::None) return;
            platform.AddFile(path, copy == TCopy::Newer ? Newer : Required);
            platform.Contents[TFakePlatform::Upper(path)] = OldBytes;
            if (copy == TCopy::SignedByA) platform.SignedBy(path, "Publisher A");
            if (copy == TCopy::Unreadable) platform.Unreadable.insert(TFakePlatform::Upper(path));
            if (c.othersMayChange) platform.WritableByOthers.insert(TFakePlatform::Upper(path));
        };
        put(Located, c.located);
        put(Target, c.replaced);
        ResetLibraries();
        TLibraryEntry* entry = nullptr;
        for (TLibraryEntry& e : Libraries)
            if (e.Name == "MSINET.OCX") entry = &e;
        if (c.located != TCopy::None) entry->Path = Located;

        RunDownload(platform, ui, *entry, false, ui);

        ASSERT_FALSE(ui.Messages.empty());
        EXPECT_EQ(ui.Messages.front(),
                  c.refusal.empty() ? "Descargado con exito en " + Target + "." : c.refusal);
    }
}
