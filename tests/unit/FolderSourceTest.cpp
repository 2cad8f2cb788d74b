// A repair's libraries from a folder on an in-memory machine: what the folder holds decides,
// through the same checks as a download, whether a library takes the old copy's place, and
// nothing in the folder or at the destination changes when it does not.
#include "actions/DownloadAction.h"
#include "actions/OriginChecks.h"

#include "FakePlatform.h"
#include "MinimalImage.h"
#include "tests/support/QuietDownloadUi.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

const std::string Folder = "\\\\servidor\\recurso\\librerías";
const std::string Key = "publisher key";
const std::string Target = "C:\\WINDOWS\\system32\\MSINET.OCX"; // required 6.1.98.16
const std::string OldBytes = "old copy";

struct TBoxes : TQuietDownloadUi {
    std::vector<std::string> Said;
    bool Confirm(const std::string&) override { return true; }
    void ShowMessage(const std::string& text) override { Said.push_back(text); }
};

enum class TSig { Good, None, Oversize, OtherName, OtherKey };

} // namespace

TEST(FolderSource, PlacesOnlyWhatEveryCheckOfADownloadAccepts) {
    const std::string unsigned_ =
        "La librería MSINET.OCX descargada no lleva la firma del editor de Kestrova. No se ha "
        "instalado.";
    const std::string placed = "Descargado con exito en " + Target + ".";
    struct TCase {
        const char* what;
        bool inFolder;
        bool isLibrary;
        TVersionParts version;
        TSig sig;
        bool withKey;
        std::string box;              // the first
        std::size_t libraryBytes = 0; // the library grown to this size; 0: as it is
        bool linked = false;          // the folder's NAME is a link (a hard link, say)
    };
    const TVersionParts required{6, 1, 98, 16}, older{6, 1, 98, 15};
    const TCase cases[] = {
        {"signed, as required", true, true, required, TSig::Good, true, placed},
        {"signed, larger than any .sig may be", true, true, required, TSig::Good, true, placed,
         5 * 1024},
        {"missing from the folder", false, true, required, TSig::Good, true,
         "La librería MSINET.OCX no está en la carpeta " + Folder + "."},
        {"no .sig beside it", true, true, required, TSig::None, true, unsigned_},
        {"a .sig past 4 KiB", true, true, required, TSig::Oversize, true, unsigned_},
        {"the .sig of another library", true, true, required, TSig::OtherName, true, unsigned_},
        {"signed with another key", true, true, required, TSig::OtherKey, true, unsigned_},
        {"signed, but older than required", true, true, older, TSig::Good, true,
         "La librería MSINET.OCX descargada (versión 6.1.98.15) es anterior a la requerida "
         "(6.1.98.16). No se ha instalado."},
        {"signed, but no library image", true, false, required, TSig::Good, true,
         "Ha ocurrido un error en la descarga de MSINET.OCX."},
        {"a build without the publisher's key", true, true, required, TSig::Good, false,
         FOLDER_NEEDS_KEY},
        {"a link in the folder", true, true, required, TSig::Good, true,
         "La librería MSINET.OCX de la carpeta " + Folder + " es un enlace; no se ha copiado.", 0,
         true},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        TFakePlatform p;
        p.AddFile(Target, TVersionParts{1, 0, 0, 0});
        p.Contents[TFakePlatform::Upper(Target)] = OldBytes;
        p.Registers(Target); // a placed copy that failed its registration would not stay
        const std::string library = Folder + "\\MSINET.OCX", sig = library + ".sig";
        std::string bytes = c.isLibrary ? GoodImage() : "<html>404</html>";
        if (c.libraryBytes != 0) bytes.resize(c.libraryBytes, 'x');
        if (c.inFolder) {
            p.AddFile(library, c.version);
            p.Contents[TFakePlatform::Upper(library)] = bytes;
        }
        if (c.linked) p.Linked.insert(TFakePlatform::Upper(library));
        if (c.sig != TSig::None) {
            std::string signature = TFakePlatform::FakeSign(
                c.sig == TSig::OtherKey ? "another key" : Key,
                SignedPrefix(c.sig == TSig::OtherName ? "MSCOMCTL.OCX" : "MSINET.OCX"), bytes);
            if (c.sig == TSig::Oversize) signature.resize(SIGNATURE_FILE_LIMIT + 1, ' ');
            p.AddFile(sig, std::nullopt);
            p.Contents[TFakePlatform::Upper(sig)] = signature;
        }
        const auto folderBefore = p.Contents;
        ResetLibraries();
        TLibraryEntry* entry = nullptr;
        for (TLibraryEntry& e : Libraries)
            if (e.Name == "MSINET.OCX") entry = &e;
        TBoxes ui;
        TLibraryFolder source(p, Folder);

        RunDownload(p, ui, *entry, false, source, c.withKey ? Key : std::string());

        ASSERT_FALSE(ui.Said.empty());
        EXPECT_EQ(ui.Said.front(), c.box);
        EXPECT_EQ(p.Contents[TFakePlatform::Upper(Target)], c.box == placed ? bytes : OldBytes);
        for (const auto& [file, content] : folderBefore)
            if (file.rfind(TFakePlatform::Upper(Folder), 0) == 0) {
                EXPECT_EQ(p.Contents[file], content) << file << " changed in the folder";
            }
        for (const auto& [file, version] : p.Files)
            EXPECT_EQ(file.find(".PART"), std::string::npos) << "left " << file;
        if (c.box != placed) {
            EXPECT_TRUE(p.EntryCalls.empty()) << "a refused library was registered";
        }
    }
}
