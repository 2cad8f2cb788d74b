// The registration commands against a recording host: which libraries are called, what
// the user is told, and when the list is rebuilt.
#include "actions/SelfRegistration.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <stdexcept>
#include <vector>

namespace {

class TRecordingHost : public TRegistrationHost {
public:
    std::set<std::string> Files;         // existing files
    std::map<std::string, bool> Results; // CallServerEntry result per path
    std::set<std::string> Faulting;      // paths whose entry faults
    std::string PathField;
    std::optional<std::size_t> Selection;
    std::optional<std::string> Browsed;
    std::vector<std::string> Log; // "call <path> <index>", "pump", "msg <text>", "refresh"

    bool CallServerEntry(const std::string& path, int index) override {
        Log.push_back("call " + path + " " + std::to_string(index));
        if (Faulting.count(path)) throw std::runtime_error("fault in " + path);
        auto it = Results.find(path);
        return it != Results.end() && it->second;
    }
    bool FileExists(const std::string& path) override { return Files.count(path) != 0; }
    void PumpMessages() override { Log.push_back("pump"); }
    void ShowMessage(const std::string& text) override { Log.push_back("msg " + text); }
    void RefreshList() override { Log.push_back("refresh"); }
    std::string PathFieldText() override { return PathField; }
    std::optional<std::size_t> SelectedLine() override { return Selection; }
    std::optional<std::string> BrowseForLibrary() override {
        Log.push_back("browse");
        return Browsed;
    }
};

using TLog = std::vector<std::string>;

const std::string A = "C:\\W\\MSINET.OCX";

std::size_t IndexOf(const char* name) {
    for (std::size_t i = 0; i < LIBRARY_COUNT; ++i)
        if (Libraries[i].Name == name) return i;
    ADD_FAILURE() << name;
    return 0;
}

} // namespace

TEST(SelfRegistration, EntryNames) {
    EXPECT_STREQ(ServerEntryNames[0], "DllUnregisterServer");
    EXPECT_STREQ(ServerEntryNames[REGISTER_ENTRY], "DllRegisterServer");
}

TEST(SelfRegistration, RegisterPathField) {
    TRecordingHost ok;
    ok.PathField = A;
    ok.Results[A] = true;
    RegisterPathFieldLibrary(ok);
    EXPECT_EQ(ok.Log, (TLog{"call " + A + " 1", "pump",
                            "msg Librería " + A + " ha sido registrada con exito.", "refresh"}));

    TRecordingHost failing; // no entry, entry returning 1, not loadable: all the same
    failing.PathField = A;
    RegisterPathFieldLibrary(failing);
    EXPECT_EQ(failing.Log,
              (TLog{"call " + A + " 1", "msg No es posible registrar la librería " + A + "."}));

    TRecordingHost empty; // the path field is what counts, even when empty
    RegisterPathFieldLibrary(empty);
    EXPECT_EQ(empty.Log, (TLog{"call  1", "msg No es posible registrar la librería ."}));
}

TEST(SelfRegistration, ReRegisterSelected) {
    ResetLibraries();
    const std::size_t msinet = IndexOf("MSINET.OCX"), zlib = IndexOf("ZLIB.DLL"),
                      vbvm = IndexOf("MSVBVM60.DLL");
    Libraries[msinet].Path = A;
    Libraries[zlib].Path = "C:\\W\\ZLIB.DLL";
    struct TCase {
        const char* what;
        std::optional<std::size_t> line;
        bool result;
        TLog log;
    };
    const TCase cases[] = {
        {"no selection", std::nullopt, true, {}},
        {"no registration needed, nothing loaded",
         zlib,
         true,
         {"msg Esta librería no requiere registrarse."}},
        {"not located", vbvm, true, {"msg Primero necesitas descargar la librería!"}},
        {"registered",
         msinet,
         true,
         {"call " + A + " 1", "pump", "msg Librería Registrada!", "refresh"}},
        {"failed",
         msinet,
         false,
         {"call " + A + " 1", "pump", "msg No es posible registrar la librería " + A + "."}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        TRecordingHost host;
        host.Selection = c.line;
        host.Results[A] = c.result;
        ReRegisterSelected(host, Libraries);
        EXPECT_EQ(host.Log, c.log);
    }
}

TEST(SelfRegistration, RegisterAllReportsSuccessesOnly) {
    ResetLibraries();
    const std::string b = "C:\\W\\ZLIB.DLL", gone = "C:\\W\\GONE.OCX", bad = "C:\\W\\BAD.OCX";
    Libraries[1].Path = A;
    Libraries[2].Path = gone; // located by the last scan, deleted since
    Libraries[3].Path = bad;
    Libraries[14].Path = b;
    TRecordingHost host;
    host.Files = {A, bad, b};
    host.Results = {{A, true}, {bad, false}, {b, true}};
    RegisterAllLibraries(host, Libraries);

    TLog calls;
    int pumps = 0;
    for (const std::string& line : host.Log) {
        if (line.rfind("call ", 0) == 0) calls.push_back(line);
        pumps += line == "pump";
    }
    EXPECT_EQ(calls, (TLog{"call " + A + " 1", "call " + bad + " 1", "call " + b + " 1"}));
    EXPECT_EQ(pumps, static_cast<int>(LIBRARY_COUNT));
    ASSERT_GE(host.Log.size(), 2u);
    // Each report line starts with line feed + carriage return, so the report begins with
    // an empty line after the heading.
    EXPECT_EQ(host.Log[host.Log.size() - 2],
              "msg Resultado:\n\r\n\r" + A + " registrada.\n\r" + b + " registrada.");
    EXPECT_EQ(host.Log.back(), "refresh");
}

TEST(SelfRegistration, RegisterAllWithNothingLocated) {
    ResetLibraries();
    TRecordingHost host;
    RegisterAllLibraries(host, Libraries);
    EXPECT_EQ(host.Log[host.Log.size() - 2], "msg Resultado:\n\r");
    EXPECT_EQ(host.Log.back(), "refresh");
}

TEST(SelfRegistration, BrowseAndRegister) {
    const std::string f = "D:\\otra\\MIA.DLL";
    struct TCase {
        const char* what;
        std::optional<std::string> browsed;
        bool exists, result;
        TLog log;
    };
    const TCase cases[] = {
        {"cancel still refreshes", std::nullopt, false, false, {"browse", "refresh"}},
        {"registered",
         f,
         true,
         true,
         {"browse", "call " + f + " 1", "pump", "msg Librería " + f + " registrada!", "refresh"}},
        {"failed",
         f,
         true,
         false,
         {"browse", "call " + f + " 1", "msg No es posible registrar la librería " + f + "!",
          "refresh"}},
        {"vanished after the dialog", f, false, true, {"browse", "refresh"}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        TRecordingHost host;
        host.Browsed = c.browsed;
        if (c.exists) host.Files.insert(f);
        host.Results[f] = c.result;
        BrowseAndRegister(host);
        EXPECT_EQ(host.Log, c.log);
    }
}

TEST(SelfRegistration, AFaultEndsTheCommandWithoutMessageOrRefresh) {
    TRecordingHost host;
    host.PathField = A;
    host.Faulting = {A};
    EXPECT_THROW(RegisterPathFieldLibrary(host), std::runtime_error);
    EXPECT_EQ(host.Log, (TLog{"call " + A + " 1"}));

    TRecordingHost browsing;
    browsing.Browsed = A;
    browsing.Files = {A};
    browsing.Faulting = {A};
    EXPECT_THROW(BrowseAndRegister(browsing), std::runtime_error);
    EXPECT_EQ(browsing.Log, (TLog{"browse", "call " + A + " 1"}));
}

TEST(SelfRegistration, DialogFilter) {
    const std::string f = DialogFilter(LIBRARY_FILTER);
    // Each "|" a NUL, then two NULs to end the list.
    const char raw[] = "Liberías (*.ocx;*.dll)\0*.ocx;*.dll\0Todos los archivos (*.*)\0*.*\0\0";
    const std::string expected(raw, sizeof raw - 1);
    EXPECT_EQ(f, expected);
}
