// The registration commands on an in-memory machine with a recording window: which
// libraries are called, what the user is told, and when the list is rebuilt.
#include "actions/SelfRegistration.h"

#include "FakePlatform.h"
#include "inventory/Scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <vector>

namespace {

using TLog = std::vector<std::string>;
using TOutcome = TPlatform::TEntryCall::TOutcome;

// One log for the window and the machine, so the order of calls and messages shows.
struct TMachine : TFakePlatform {
    TLog Log;
    TEntryCall CallLibraryEntry(const std::string& library, const char* entry,
                                const TEntryWait& wait) override {
        Log.push_back("call " + library + " " + entry);
        return TFakePlatform::CallLibraryEntry(library, entry, wait);
    }
    void Set(const std::string& library, TOutcome outcome, int32_t result = 0, uint32_t fault = 0) {
        Entries[Upper(library)] = {outcome, result, fault};
    }
};

class TRecordingUi : public TRegistrationUi {
public:
    explicit TRecordingUi(TLog& log) : FLog(log) {}
    std::optional<std::string> Browsed;
    bool Asks = true, Answer = false, Stop = false;
    std::function<void()> AfterAnswer;
    uint32_t Limit = 0;
    int Running = 0; // registrations shown as running and not yet shown as ended
    uint32_t RegistrationLimit() override { return Limit; }
    bool StopRequested() override { return Stop; }
    void RegistrationStarted(const std::string&) override { ++Running; }
    void RegistrationEnded() override { --Running; }
    bool Confirm(const std::string& text) override {
        FLog.push_back("ask " + text);
        if (AfterAnswer) AfterAnswer();
        return Answer;
    }
    bool AsksUser() override { return Asks; }
    void PumpMessages() override { FLog.push_back("pump"); }
    void ShowMessage(const std::string& text) override { FLog.push_back("msg " + text); }
    void RefreshList() override { FLog.push_back("refresh"); }
    std::optional<std::string> BrowseForLibrary() override {
        FLog.push_back("browse");
        return Browsed;
    }

private:
    TLog& FLog;
};

const std::string A = "C:\\W\\MSINET.OCX";
const std::string REG = " DllRegisterServer";

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

TEST(SelfRegistration, CallServerEntryCountsOnlyAnEntryReturningZero) {
    struct TCase {
        const char* what;
        TOutcome outcome;
        int32_t result;
        int index;
        bool expected;
        TLog calls;
    };
    const TCase cases[] = {
        {"returns 0", TOutcome::Returned, 0, 1, true, {A + REG}},
        {"returns 1", TOutcome::Returned, 1, 1, false, {A + REG}},
        {"returns E_FAIL",
         TOutcome::Returned,
         static_cast<int32_t>(0x80004005),
         1,
         false,
         {A + REG}},
        {"no entry", TOutcome::NoEntry, 0, 1, false, {A + REG}},
        {"not loadable", TOutcome::NotLoaded, 0, 1, false, {A + REG}},
        {"row 0 unregisters", TOutcome::Returned, 0, 0, true, {A + " DllUnregisterServer"}},
        {"no such row: nothing loaded", TOutcome::Returned, 0, 2, false, {}},
        {"negative row: nothing loaded", TOutcome::Returned, 0, -1, false, {}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        TFakePlatform machine;
        machine.Entries[TFakePlatform::Upper(A)] = {c.outcome, c.result, 0};
        EXPECT_EQ(CallServerEntry(machine, A, c.index), c.expected);
        EXPECT_EQ(machine.EntryCalls, c.calls);
    }
}

TEST(SelfRegistration, AFaultInsideTheEntryIsReportedWithItsCodeAndPath) {
    TMachine machine;
    machine.Set(A, TOutcome::Faulted, 0, 0xC0000005u);
    try {
        CallServerEntry(machine, A, REGISTER_ENTRY);
        FAIL() << "no fault reported";
    } catch (const TLibraryFault& fault) {
        EXPECT_EQ(fault.Code(), 0xC0000005u);
        EXPECT_EQ(std::string(fault.what()),
                  "Error inesperado (excepción 0xC0000005) al registrar la librería " + A);
    }
}

// Every way a call comes back, as "Registrar" tells it: the success, the command's own
// failure for what the library answered, and a sentence of its own for a call that had to be
// ended (its process, the time limit, the user's stop).
TEST(SelfRegistration, EveryOutcomeOfTheCallIsToldAsTheCommandWordsIt) {
    const std::string call = "call " + A + REG;
    const std::string failed = "msg No es posible registrar la librería " + A + ".";
    const struct {
        const char* what;
        TPlatform::TEntryCall result;
        uint32_t limit;
        bool stop;
        TLog log;
    } rows[] = {
        {"returned 0",
         {TOutcome::Returned, 0},
         0,
         false,
         {call, "pump", "msg Librería " + A + " ha sido registrada con exito.", "refresh"}},
        {"returned E_FAIL",
         {TOutcome::Returned, static_cast<int32_t>(0x80004005)},
         0,
         false,
         {call, failed}},
        {"no entry", {TOutcome::NoEntry}, 0, false, {call, failed}},
        {"not loaded", {TOutcome::NotLoaded, 0, 0, 126}, 0, false, {call, failed}},
        {"ended its process",
         {TOutcome::Ended, 0, 0, 0, 3},
         60,
         false,
         {call, "msg El registro de la librería " + A +
                    " ha terminado el proceso que lo ejecutaba (código 3)."}},
        {"a failed stack cookie",
         {TOutcome::Ended, 0, 0, 0, 0xC0000409u},
         60,
         false,
         {call, "msg El registro de la librería " + A +
                    " ha terminado el proceso que lo ejecutaba (código 0xC0000409)."}},
        {"ran past the limit",
         {TOutcome::TimedOut},
         5,
         false,
         {call,
          "msg La librería " + A + " no ha terminado su registro en 5 segundos; se ha detenido."}},
        {"stopped",
         {TOutcome::Returned, 0},
         0,
         true,
         {call, "msg Se ha detenido el registro de la librería " + A + "."}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        TMachine machine;
        machine.Entries[TFakePlatform::Upper(A)] = row.result;
        TRecordingUi ui(machine.Log);
        ui.Limit = row.limit;
        ui.Stop = row.stop;
        EXPECT_EQ(RegisterLibrary(machine, ui, A), row.log.size() == 4);
        EXPECT_EQ(machine.Log, row.log);
        EXPECT_EQ(ui.Running, 0) << "the window still shows a registration running";
    }
}

TEST(SelfRegistration, RegisterAllReportsACallThatHadToBeEndedAndStopsOnAStop) {
    ResetLibraries();
    const std::string ends = "C:\\W\\MSINET.OCX", stops = "C:\\W\\RICHTX32.OCX",
                      after = "C:\\W\\MSCOMCTL.OCX";
    Libraries[IndexOf("MSINET.OCX")].Path = ends;
    Libraries[IndexOf("RICHTX32.OCX")].Path = stops;
    Libraries[IndexOf("MSCOMCTL.OCX")].Path = after;
    const std::string ended = "\n\rEl registro de la librería " + ends +
                              " ha terminado el proceso que lo ejecutaba (código 3).";
    using TStopWhen = bool (*)(const TMachine&);
    const struct {
        const char* what;
        TStopWhen stop;
        TLog calls;
        std::string report;
    } rows[] = {
        {"Detener while the second library's call runs",
         [](const TMachine& m) { return m.EntryCalls.size() >= 2; },
         {"call " + ends + REG, "call " + stops + REG},
         ended + "\n\rSe ha detenido el registro de la librería " + stops + "."},
        {"the window closed in the pump after the first call",
         [](const TMachine& m) {
             const auto call = std::find_if(m.Log.begin(), m.Log.end(), [](const std::string& l) {
                 return l.rfind("call ", 0) == 0;
             });
             return std::find(call, m.Log.end(), "pump") != m.Log.end();
         },
         {"call " + ends + REG},
         ended},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        TMachine machine;
        struct TStopping : TRecordingUi {
            const TMachine& Machine;
            TStopWhen When;
            TStopping(TLog& log, const TMachine& machine, TStopWhen when)
                : TRecordingUi(log), Machine(machine), When(when) {}
            bool StopRequested() override { return When(Machine); }
        };
        for (const std::string& f : {ends, stops, after}) {
            machine.AddFile(f, std::nullopt);
            machine.Set(f, TOutcome::Returned);
        }
        machine.Entries[TFakePlatform::Upper(ends)] = {TOutcome::Ended, 0, 0, 0, 3};
        TStopping ui(machine.Log, machine, row.stop);
        RegisterAllLibraries(machine, ui, Libraries);
        TLog calls;
        for (const std::string& line : machine.Log)
            if (line.rfind("call ", 0) == 0) calls.push_back(line);
        EXPECT_EQ(calls, row.calls) << "went on after a stop";
        ASSERT_GE(machine.Log.size(), 2u);
        EXPECT_EQ(machine.Log[machine.Log.size() - 2], "msg Resultado:\n\r" + row.report);
    }
}

TEST(SelfRegistration, RegisterPathField) {
    TMachine ok;
    ok.Set(A, TOutcome::Returned);
    TRecordingUi okUi(ok.Log);
    RegisterLibrary(ok, okUi, A);
    EXPECT_EQ(ok.Log, (TLog{"call " + A + REG, "pump",
                            "msg Librería " + A + " ha sido registrada con exito.", "refresh"}));

    TMachine failing; // no entry, entry returning 1, not loadable: all the same
    TRecordingUi failingUi(failing.Log);
    RegisterLibrary(failing, failingUi, A);
    EXPECT_EQ(failing.Log,
              (TLog{"call " + A + REG, "msg No es posible registrar la librería " + A + "."}));

    TMachine empty; // the path field is what counts, even when empty
    TRecordingUi emptyUi(empty.Log);
    RegisterLibrary(empty, emptyUi, "");
    EXPECT_EQ(empty.Log, (TLog{"call " + REG, "msg No es posible registrar la librería ."}));
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
         {"call " + A + REG, "pump", "msg Librería Registrada!", "refresh"}},
        {"failed",
         msinet,
         false,
         {"call " + A + REG, "pump", "msg No es posible registrar la librería " + A + "."}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        TMachine machine;
        machine.Set(A, TOutcome::Returned, c.result ? 0 : 1);
        TRecordingUi ui(machine.Log);
        ReRegisterSelected(machine, ui, Libraries, c.line);
        EXPECT_EQ(machine.Log, c.log);
    }
}

TEST(SelfRegistration, RegisterAllReportsSuccessesOnly) {
    ResetLibraries();
    const std::string b = "C:\\W\\ZLIB.DLL", gone = "C:\\W\\GONE.OCX", bad = "C:\\W\\BAD.OCX";
    Libraries[1].Path = A;
    Libraries[2].Path = gone; // located by the last scan, deleted since
    Libraries[3].Path = bad;
    Libraries[14].Path = b; // ZLIB.DLL: nothing to register, so never loaded
    TMachine machine;
    for (const std::string& f : {A, bad, b})
        machine.AddFile(f, std::nullopt);
    machine.Set(A, TOutcome::Returned);
    machine.Set(bad, TOutcome::Returned, 1);
    machine.Set(b, TOutcome::Returned);
    TRecordingUi ui(machine.Log);
    RegisterAllLibraries(machine, ui, Libraries);

    TLog calls;
    int pumps = 0;
    for (const std::string& line : machine.Log) {
        if (line.rfind("call ", 0) == 0) calls.push_back(line);
        pumps += line == "pump";
    }
    EXPECT_EQ(calls, (TLog{"call " + A + REG, "call " + bad + REG}));
    EXPECT_EQ(pumps, static_cast<int>(LIBRARY_COUNT));
    ASSERT_GE(machine.Log.size(), 2u);
    // Each report line starts with line feed + carriage return, so the report begins with
    // an empty line after the heading.
    EXPECT_EQ(machine.Log[machine.Log.size() - 2], "msg Resultado:\n\r\n\r" + A + " registrada.");
    EXPECT_EQ(machine.Log.back(), "refresh");
}

TEST(SelfRegistration, RegisterAllWithNothingLocated) {
    ResetLibraries();
    TMachine machine;
    TRecordingUi ui(machine.Log);
    RegisterAllLibraries(machine, ui, Libraries);
    EXPECT_EQ(machine.Log[machine.Log.size() - 2], "msg Resultado:\n\r");
    EXPECT_EQ(machine.Log.back(), "refresh");
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
         {"browse", "call " + f + REG, "pump", "msg Librería " + f + " registrada!", "refresh"}},
        {"failed",
         f,
         true,
         false,
         {"browse", "call " + f + REG, "msg No es posible registrar la librería " + f + "!",
          "refresh"}},
        {"vanished after the dialog", f, false, true, {"browse", "refresh"}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        TMachine machine;
        if (c.exists) machine.AddFile(f, std::nullopt);
        machine.Set(f, TOutcome::Returned, c.result ? 0 : 1);
        TRecordingUi ui(machine.Log);
        ui.Browsed = c.browsed;
        BrowseAndRegister(machine, ui);
        EXPECT_EQ(machine.Log, c.log);
    }
}

TEST(SelfRegistration, AFaultEndsTheCommandWithoutMessageOrRefresh) {
    TMachine machine;
    machine.Set(A, TOutcome::Faulted, 0, 0xC0000005u);
    machine.AddFile(A, std::nullopt);
    TRecordingUi ui(machine.Log);
    EXPECT_THROW(RegisterLibrary(machine, ui, A), TLibraryFault);
    EXPECT_EQ(machine.Log, (TLog{"call " + A + REG}));

    machine.Log.clear();
    ui.Browsed = A;
    EXPECT_THROW(BrowseAndRegister(machine, ui), TLibraryFault);
    EXPECT_EQ(machine.Log, (TLog{"browse", "call " + A + REG}));
}

TEST(SelfRegistration, DialogFilter) {
    const std::string f = DialogFilter(LIBRARY_FILTER);
    // Each "|" a NUL, then two NULs to end the list.
    const char raw[] = "Liberías (*.ocx;*.dll)\0*.ocx;*.dll\0Todos los archivos (*.*)\0*.*\0\0";
    const std::string expected(raw, sizeof raw - 1);
    EXPECT_EQ(f, expected);
}

// Elevated, only what administrators registered and no one else can change is loaded without
// a question, and it is held from its check until its entry returned: elevated or not × a
// per-user registration naming another file or the machine's only × others may change the
// file or not × someone to ask or not.
TEST(SelfRegistration, ElevatedLoadsOnlyWhatAdministratorsControl) {
    const std::string key = "CLSID\\{48E59293-9880-11CF-9754-00AA00C00908}\\InprocServer32";
    const std::string machineFile = "C:\\WINDOWS\\system32\\MSINET.OCX";
    const std::string userFile = "C:\\Users\\Public\\x.ocx";
    const std::string ask = "ask " + WritableLocationQuestion(machineFile);
    const struct {
        bool elevated, perUser, writable, asks, answer;
        std::string path;          // the path field after the scan
        TLog log;                  // the registration's questions, calls and messages
        bool machineGone = false;  // the machine's registration names a file that is not there
        bool beingWritten = false; // someone writes the file now: it cannot be held for its load
    } cases[] = {
        {false, false, false, true, false, machineFile, {"call " + machineFile + REG}},
        {false, true, false, true, false, userFile, {"call " + userFile + REG}},
        {false, false, true, false, false, machineFile, {"call " + machineFile + REG}},
        {true, false, false, true, false, machineFile, {"call " + machineFile + REG}},
        {true, true, false, true, false, machineFile, {"call " + machineFile + REG}},
        {true, true, false, false, false, machineFile, {"call " + machineFile + REG}},
        {true, false, true, true, false, machineFile, {ask}},
        {true, true, true, true, true, machineFile, {ask, "call " + machineFile + REG}},
        {true,
         false,
         true,
         false,
         true,
         machineFile,
         {"msg " + WritableLocationSkipped(machineFile)}},
        // The per-user file is never the one; the location search finds the system copy.
        {true, true, false, true, false, machineFile, {"call " + machineFile + REG}, true},
        {true, false, false, true, false, machineFile, {ask}, false, true},
        {false, false, false, true, false, machineFile, {"call " + machineFile + REG}, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "elevated " << c.elevated << ", per-user " << c.perUser
                                        << ", writable " << c.writable << ", asks " << c.asks);
        TMachine machine;
        machine.ElevatedRun = c.elevated;
        machine.Registry[key] = c.machineGone ? "C:\\Gone\\MSINET.OCX" : machineFile;
        if (c.perUser) machine.UserClasses[key] = userFile;
        if (c.beingWritten) machine.Written.insert(TFakePlatform::Upper(machineFile));
        for (const std::string& f : {machineFile, userFile}) {
            machine.AddFile(f, TVersionParts{6, 1, 98, 16});
            machine.Set(f, TOutcome::Returned);
            if (c.writable) machine.WritableByOthers.insert(TFakePlatform::Upper(f));
        }
        std::vector<std::string> lines;
        ScanLibraries(machine, lines);
        const std::size_t line = IndexOf("MSINET.OCX");
        EXPECT_EQ(lines[line], "MSINET.OCX - ¡OK!") << "the line shows the registration as it is";
        EXPECT_EQ(Libraries[line].Path.str(), c.path);

        TRecordingUi ui(machine.Log);
        ui.Asks = c.asks;
        ui.Answer = c.answer;
        ReRegisterSelected(machine, ui, Libraries, line);
        TLog log;
        for (const std::string& l : machine.Log)
            if (l.rfind("call ", 0) == 0 || l.rfind("ask ", 0) == 0 ||
                l.rfind("msg La librería", 0) == 0)
                log.push_back(l);
        EXPECT_EQ(log, c.log);
        if (c.elevated && !c.beingWritten) {
            EXPECT_EQ(machine.CalledWhileHeld, std::vector<bool>(machine.EntryCalls.size(), true));
        }
    }
}

TEST(SelfRegistration, RegisterAllAsksOnceForEveryLibraryOthersMayChange) {
    ResetLibraries();
    const std::string safe = "C:\\WINDOWS\\system32\\MSINET.OCX", open1 = "C:\\Libs\\MSCOMCTL.OCX",
                      open2 = "C:\\Libs\\COMDLG32.OCX";
    Libraries[IndexOf("MSINET.OCX")].Path = safe;
    Libraries[IndexOf("MSCOMCTL.OCX")].Path = open1;
    Libraries[IndexOf("COMDLG32.OCX")].Path = open2;
    const std::string question =
        "ask Las librerías siguientes están en carpetas que otros usuarios pueden "
        "modificar:\n\r" +
        open1 + "\n\r" + open2 + "\n\r¿Registrarlas con permisos de administrador?";
    const struct {
        const char* what;
        bool answer;
        bool safeChangesAfterTheQuestion; // others may change it by the time of its load
        TLog log;                         // in the catalogue's order: MSINET, MSCOMCTL, COMDLG32
    } cases[] = {
        {"No", false, false, {question, "call " + safe + REG}},
        {"Yes",
         true,
         false,
         {question, "call " + safe + REG, "call " + open1 + REG, "call " + open2 + REG}},
        {"Yes, then another one changed",
         true,
         true,
         {question, "call " + open1 + REG, "call " + open2 + REG}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TMachine machine;
        machine.ElevatedRun = true;
        for (const std::string& f : {safe, open1, open2}) {
            machine.AddFile(f, std::nullopt);
            machine.Set(f, TOutcome::Returned);
        }
        for (const std::string& f : {open1, open2})
            machine.WritableByOthers.insert(TFakePlatform::Upper(f));
        TRecordingUi ui(machine.Log);
        ui.Answer = c.answer;
        if (c.safeChangesAfterTheQuestion)
            ui.AfterAnswer = [&] { machine.WritableByOthers.insert(TFakePlatform::Upper(safe)); };
        RegisterAllLibraries(machine, ui, Libraries);
        TLog log;
        for (const std::string& l : machine.Log)
            if (l.rfind("call ", 0) == 0 || l.rfind("ask ", 0) == 0) log.push_back(l);
        EXPECT_EQ(log, c.log);
        EXPECT_EQ(machine.CalledWhileHeld, std::vector<bool>(machine.EntryCalls.size(), true));
    }
}
