// The download action's steps. Agreeing to replace a copy does not delete it: the action
// only checks that it could be removed, and a new copy takes its place in one rename after
// it has arrived complete and passed every check of its origin and version, so a failed,
// stopped or refused transfer changes nothing. The copy replaced is kept aside until the new
// one is registered, so a failed registration changes nothing either. The user's stop is
// asked for before each transfer and again just before the rename: a stop heard between two
// steps, where no transfer is there to abort, changes nothing either.
#include "actions/DownloadAction.h"

#include "actions/KeptCopy.h"
#include "actions/OriginChecks.h"
#include "actions/SelfRegistration.h"
#include "actions/SignerContinuity.h"
#include "inventory/Scan.h"
#include "inventory/WindowsOwn.h"

#include <vector>

namespace {

std::string Join(const std::string& dir, const std::string& name) {
    return dir + "\\" + name;
}

std::string ReplaceQuestion(const std::string& file) {
    return "La librería " + file + " ya existe." + MESSAGE_BREAK +
           "¿Está seguro que desea reemplazarla?";
}

const char* const FALLBACK_LINE = "Se intentará descargar en la carpeta del programa.";

// The folder the library goes to, after the questions and fallbacks; nullopt when neither
// folder can take it (the user has been told why), or, elevated, when the current folder it
// would take is one others may change.
std::optional<std::string> ChooseFolder(TPlatform& platform, TDownloadUi& ui,
                                        const std::string& name, bool forceHere) {
    bool blocked = false;
    std::string dir;
    // The copy the user agreed to replace: asked about once, even when the system
    // directory is the current directory and both steps look at the same file.
    std::string agreed;

    if (!forceHere) {
        dir = GetSystemDir(platform);
        const std::string existing = Join(dir, name);
        if (platform.FileExists(existing)) {
            if (ui.Confirm(ReplaceQuestion(existing))) {
                if (platform.CanRemoveFile(existing)) {
                    agreed = existing;
                } else {
                    ui.ShowMessage("La libreria " + existing + " no pudo ser eliminada!" +
                                   MESSAGE_BREAK + FALLBACK_LINE);
                    dir = platform.CurrentDirectory();
                    blocked = true;
                }
            } else {
                dir = platform.CurrentDirectory();
                blocked = true;
            }
        }
        if (!blocked && !IsFolderWritable(platform, dir)) {
            ui.ShowMessage("No es posible escribir en la carpeta " + dir + MESSAGE_BREAK +
                           FALLBACK_LINE);
            dir = platform.CurrentDirectory();
        }
    }

    if (forceHere || dir == platform.CurrentDirectory()) {
        dir = platform.CurrentDirectory();
        // Elevated, a library placed here would be registered from a folder a standard user
        // can write (who could hold the system copy open to force this fallback): refused
        // before anything is asked, probed or fetched.
        if (platform.Elevated() && platform.OthersCanWrite(dir)) {
            ui.ShowMessage(OthersFolderRefusal(name, dir));
            return std::nullopt;
        }
        blocked = false;
        const std::string existing = Join(dir, name);
        if (platform.FileExists(existing) && existing != agreed) {
            blocked = true;
            if (ui.Confirm(ReplaceQuestion(existing))) {
                if (platform.CanRemoveFile(existing))
                    blocked = false;
                else
                    ui.ShowMessage("La libreria " + existing + " no pudo ser eliminada.");
            }
        }
        if (!blocked && !IsFolderWritable(platform, dir)) {
            ui.ShowMessage("No es posible escribir en la carpeta " + dir);
            blocked = true;
        }
    }
    if (!blocked) return dir;
    ui.ShowMessage("No es posible descargar la librería!");
    return std::nullopt;
}

// The one way out of the action, a fault inside a library's entry included: what the
// transfers left is removed, the display hidden and the list rebuilt once the display was
// shown (not while the window closes), and the controls enabled again.
class TActionEnd {
public:
    TActionEnd(TPlatform& platform, TDownloadUi& ui) : FPlatform(platform), FUi(ui) {}
    ~TActionEnd() {
        if (FFinished) return;
        // Leaving on a fault: the fault is what the user is shown, not a second one here.
        try {
            RemoveLeftovers();
            Finish(false);
        } catch (...) {
        }
    }
    TActionEnd(const TActionEnd&) = delete;
    TActionEnd& operator=(const TActionEnd&) = delete;

    void DisplayShown() { FDisplayShown = true; }
    // A file a transfer stores under until the copy is placed or refused.
    void Leaves(const std::string& file) { FLeftovers.push_back(file); }
    void RemoveLeftovers() {
        for (const std::string& file : FLeftovers)
            if (FPlatform.FileExists(file)) FPlatform.RemoveFile(file);
        FLeftovers.clear();
    }
    void Finish(bool pump = true) {
        if (FDisplayShown) {
            const bool closing = FUi.CloseRequested();
            if (pump && !closing) FUi.PumpMessages();
            FUi.HideTransferDisplay();
            if (!closing) FUi.RefreshList();
        }
        FUi.EnableAfterAction();
        FFinished = true;
    }

private:
    TPlatform& FPlatform;
    TDownloadUi& FUi;
    std::vector<std::string> FLeftovers;
    bool FDisplayShown = false;
    bool FFinished = false;
};

// What came of the transfers and the checks, for the one box that says so.
// NotArrived: the source's own failure (Arrival says which).
enum class TOutcome { Placed, Stopped, Failed, NothingStored, NotArrived, Refused };

// One library's way in, as one sequence: it arrives into NAME.part (and its signature into
// NAME.sig.part), is held open, passes every check through that handle, takes its place by
// a rename through the same handle, and stays held until its registration has unloaded it.
// Each step first asks whether the user stopped.
class TDownloadRun {
public:
    TDownloadRun(TPlatform& platform, TDownloadUi& ui, TActionEnd& end, const TLibraryEntry& entry,
                 std::string target)
        : FPlatform(platform), FUi(ui), FEnd(end), FEntry(entry), FName(entry.Name.str()),
          FTarget(std::move(target)) {}

    TOutcome Run(TLibrarySource& source, const std::string& publisherKey,
                 const std::optional<TExistingCopy>& located) {
        // Asked before each transfer and before the rename: a stop between two steps has no
        // transfer to abort.
        if (Stopped()) return TOutcome::Stopped;
        if (located && !located->Readable) return Refuse(UnreadableCopyMessage(FName));

        // Arrive: into a NAME.part of our own, never into one someone left there.
        const std::string partial = TransferFileFor(FTarget);
        if (!RemoveStale(partial)) return TOutcome::Failed;
        FEnd.Leaves(partial);
        TTransfer transfer(FUi.ProgressView());
        FArrival = source.FetchLibrary(transfer, FName, partial);
        FUi.PumpMessages();
        // A transfer the stop aborted failed like any other.
        if (FArrival != TArrival::Stored) return TOutcome::NotArrived;
        // A call that reported success without storing anything.
        if (!FPlatform.FileExists(partial)) return TOutcome::NothingStored;

        // The signature comes after the library, from the same source under the same rules.
        if (!publisherKey.empty()) {
            if (Stopped()) return TOutcome::Stopped;
            const std::string signatureFile = TransferFileFor(FTarget + ".sig");
            if (!RemoveStale(signatureFile)) return TOutcome::Failed;
            FEnd.Leaves(signatureFile);
            TTransfer signatureTransfer(FUi.ProgressView());
            const TArrival signature =
                source.FetchSignature(signatureTransfer, FName, signatureFile);
            if (signature == TArrival::Stored) {
                const auto held = FPlatform.HoldForPlacing(signatureFile);
                const auto head = held ? held->Read(SIGNATURE_FILE_LIMIT) : std::nullopt;
                if (head && head->Size <= SIGNATURE_FILE_LIMIT) FPublisherSignature = head->Bytes;
            } else if (Stopped()) {
                return TOutcome::Stopped;
            } else if (signature == TArrival::Unproven) {
                FArrival = signature;
                return TOutcome::NotArrived;
            }
        }

        // Held from the first check until after the registration: no one writes, renames or
        // deletes it meanwhile, and a link planted under its name is refused.
        FHeld = FPlatform.HoldForPlacing(partial);
        if (!FHeld) return TOutcome::Failed;
        if (auto outcome = Check(publisherKey, located)) {
            FHeld.reset();
            return *outcome;
        }
        // The last moment a stop still leaves every copy as it was.
        const TOutcome outcome = Stopped() ? TOutcome::Stopped
                                 : Place() ? TOutcome::Placed
                                           : TOutcome::Failed;
        if (outcome != TOutcome::Placed) FHeld.reset();
        return outcome;
    }

    // The copy the placed one replaced, set aside until the registration has decided.
    TKeptCopy& Kept() { return FKept; }
    // The placed copy gives way to the kept one, and is removed once let go; true when the
    // kept copy is back in its place.
    bool PutBack() { return FHeld && FKept.PutBack(*FHeld, TransferFileFor(FTarget)); }

    // The refusal's text, after TOutcome::Refused.
    const std::string& Refusal() const { return FRefusal; }
    // The placed file, held until the run ends, after TOutcome::Placed.
    TPlatform::THeldFile* Held() const { return FHeld.get(); }
    // What the source said, after TOutcome::NotArrived.
    TArrival Arrival() const { return FArrival; }

private:
    // Every check, through the held handle; nullopt when the copy may take its place.
    std::optional<TOutcome> Check(const std::string& publisherKey,
                                  const std::optional<TExistingCopy>& located) {
        const auto head = FHeld->Read(LIBRARY_IMAGE_HEAD);
        if (!head || CheckLibraryImage(head->Bytes, head->Size) != TImageVerdict::Library)
            return TOutcome::Failed;
        if (!publisherKey.empty() &&
            !HasPublisherSignature(*FHeld, publisherKey, FName, FPublisherSignature))
            return Refuse(UnsignedByPublisherMessage(FName));
        // A destination that is a link would put the bytes, or the rename, elsewhere.
        if (FPlatform.IsLinked(FTarget)) return TOutcome::Failed;
        const std::optional<TExistingCopy> replaced = ReadExistingCopy(FPlatform, FTarget);
        if (replaced && !replaced->Readable) return Refuse(UnreadableCopyMessage(FName));
        // Read as the scan reads versions: none is 0.0.0.0.
        if (auto refusal = RefuseRollback(
                FName, FHeld->Version().value_or(TVersionParts{}), FEntry.RequiredVersion.str(),
                replaced ? std::optional(replaced->Version) : std::nullopt))
            return Refuse(*refusal);
        const TSignature signature = ClassifySignature(head->Bytes, FHeld->VerifySignature());
        const auto signatureOf = [](const std::optional<TExistingCopy>& copy) {
            return copy ? std::optional(copy->Signature) : std::nullopt;
        };
        if (auto refusal =
                RefuseReplacement(FName, signatureOf(located), signatureOf(replaced), signature))
            return Refuse(*refusal);
        return std::nullopt;
    }

    // The held copy put in place, the copy there set aside. Its bytes reach the disk before
    // any name changes, and the names after the rename: a power cut leaves the old copy, or
    // the new one whole, under the library's name, and the kept copy beside it.
    bool Place() {
        if (!FHeld->Flush() || !FKept.SetAside(FPlatform, FTarget)) return false;
        if (!FHeld->RenameTo(FTarget)) {
            FKept.PutBackOver();
            return false;
        }
        FHeld->Flush();
        if (FHeld->StopWriting()) return true;
        // No longer held, so not the file checked: the kept copy goes back over it (with none,
        // the checked copy stays, unregistered).
        FKept.PutBackOver();
        return false;
    }

    // Removes what a `file` of ours would be stored under; false when something is left there.
    bool RemoveStale(const std::string& file) {
        return !FPlatform.FileExists(file) || FPlatform.RemoveFile(file);
    }
    // The one place the action asks for the user's stop.
    bool Stopped() { return FUi.StopRequested(); }
    TOutcome Refuse(std::string text) {
        FRefusal = std::move(text);
        return TOutcome::Refused;
    }

    TPlatform& FPlatform;
    TDownloadUi& FUi;
    TActionEnd& FEnd;
    const TLibraryEntry& FEntry;
    const std::string FName;
    const std::string FTarget;
    std::string FRefusal;
    TArrival FArrival = TArrival::Stored;
    std::string FPublisherSignature;
    std::unique_ptr<TPlatform::THeldFile> FHeld;
    TKeptCopy FKept;
};

// Once the placed copy's registration failed in any way: the kept copy back in its place and
// registered again (while elevated, only when no one else may change it), and the user told.
// That registration runs as the failed one did, in the helper, bounded by the same limit and
// with the window answering; a stop that ended the failed one does not stop it.
void PutBackKept(TPlatform& platform, TDownloadUi& ui, TDownloadRun& run, const std::string& name,
                 const std::string& target) {
    if (!run.PutBack()) return;
    TPlatform::THeldFile* kept = run.Kept().Held();
    if (!platform.Elevated() || !kept->OthersMayChange()) {
        TEntryWait wait;
        wait.LimitSeconds = ui.RegistrationLimit();
        wait.PumpsMessages = ui.PumpsWindowMessages();
        wait.Waiting = [&ui] {
            if (ui.PumpsWindowMessages()) ui.PumpMessages();
            return false;
        };
        try {
            CallServerEntry(platform, target, REGISTER_ENTRY, wait);
        } catch (const TLibraryFault&) {
            // The copy that worked is back whatever its entry does now.
        }
    }
    ui.ShowMessage(RestoredMessage(name, run.Kept().Version()));
}

} // namespace

std::string OthersFolderRefusal(const std::string& name, const std::string& dir) {
    return "Kestrova se ejecuta como administrador y no descarga " + name + " en la carpeta " +
           dir + ", que otros usuarios pueden modificar. No se ha descargado.";
}

bool IsFolderWritable(TPlatform& platform, const std::string& dir) {
    std::string probe = dir;
    if (probe.empty() || probe.back() != '\\') probe += '\\';
    return platform.ProbeCreateFile(probe + "temp.chk");
}

std::string TransferFileFor(const std::string& target) {
    return target + ".part";
}

TImageVerdict VerifyStoredLibrary(TPlatform& platform, const std::string& file,
                                  const TTransferCounts& counts) {
    const auto head = platform.ReadFileHead(file, LIBRARY_IMAGE_HEAD);
    if (!head) return TImageVerdict::NoMzHeader;
    // A connection closed early can still end "successfully" at the HTTP layer.
    if (counts.Maximum != 0 && head->Size != counts.Maximum) return TImageVerdict::Truncated;
    return CheckLibraryImage(head->Bytes, head->Size);
}

bool RunDownload(TPlatform& platform, TDownloadUi& ui, TLibraryEntry& entry, bool forceHere,
                 TLibrarySource& source, const std::string& publisherKey) {
    const std::string name = entry.Name.str();
    // Only the publisher's signature vouches for a folder's files.
    if (source.NeedsPublisherKey() && publisherKey.empty()) {
        ui.ShowMessage(FOLDER_NEEDS_KEY);
        return false;
    }
    // Windows refuses a new copy in the system folder, and one anywhere else is never
    // loaded: a download could only claim a repair that did not happen.
    if (IsWindowsOwn(platform, name)) {
        ui.ShowMessage(WindowsOwnRefusal(name));
        return false;
    }
    ui.DisableForAction();
    TActionEnd end(platform, ui);
    const std::optional<std::string> dir = ChooseFolder(platform, ui, name, forceHere);
    if (!dir) {
        end.Finish();
        return false;
    }

    // The copy the scan located, read before anything changes.
    const std::optional<TExistingCopy> located = ReadExistingCopy(platform, entry.Path.str());
    ui.ShowTransferDisplay();
    end.DisplayShown();
    const std::string target = Join(*dir, name);
    TDownloadRun run(platform, ui, end, entry, target);
    const TOutcome outcome = run.Run(source, publisherKey, located);
    // Only a copy that passed every check replaced the old one; whatever did not take its
    // place is gone before the user is told.
    end.RemoveLeftovers();

    if (outcome == TOutcome::Placed) {
        entry.Path = target;
        ui.SetPathField(target);
        ui.ShowMessage("Descargado con exito en " + target + ".");
        // Still held by `run`, and checked through that hold: the library loaded is the file
        // checked. A library with nothing to register cannot fail its registration: its
        // entry's outcome never undoes the replacement.
        const bool undoable = run.Kept().Kept() && entry.NeedsRegistration();
        if (!undoable) run.Kept().Discard();
        bool registered = false;
        try {
            registered = RegisterLibrary(platform, ui, target, run.Held());
        } catch (...) {
            if (undoable) PutBackKept(platform, ui, run, name, target);
            throw;
        }
        if (undoable && registered)
            run.Kept().Discard();
        else if (undoable)
            PutBackKept(platform, ui, run, name, target);
    } else if (ui.CloseRequested() || outcome == TOutcome::NothingStored) {
        // The window is closing, or the transfer call claimed a file it did not store:
        // no box.
    } else if (outcome == TOutcome::Refused) {
        ui.ShowMessage(run.Refusal());
    } else if (outcome == TOutcome::NotArrived) {
        ui.ShowMessage(source.FailureMessage(name, run.Arrival()));
    } else {
        // Failed or stopped: the old copy is untouched either way.
        ui.ShowMessage("Ha ocurrido un error en la descarga de " + name + ".");
    }
    end.Finish();
    return outcome == TOutcome::Placed;
}
