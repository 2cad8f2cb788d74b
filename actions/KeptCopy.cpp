// Setting a replaced copy aside, putting it back, and what a start does with one left over.
#include "actions/KeptCopy.h"

#include "actions/LibraryImage.h"
#include "inventory/Catalogue.h"
#include "inventory/Scan.h"
#include "inventory/Version.h"

std::string KeptNameFor(const std::string& target) {
    return target + ".kestrova-anterior";
}

std::string RestoredMessage(const std::string& name, const std::string& version) {
    return "La librería " + name +
           " descargada no se ha podido registrar; se ha vuelto a poner la copia anterior "
           "(versión " +
           version + ").";
}

bool TKeptCopy::SetAside(TPlatform& platform, const std::string& target) {
    if (!platform.FileExists(target)) return true;
    auto held = platform.HoldForKeeping(target);
    if (!held) return false;
    FVersion = FormatVersion(held->Version().value_or(TVersionParts{}));
    if (!held->RenameTo(KeptNameFor(target))) return false;
    FHeld = std::move(held);
    FTarget = target;
    return true;
}

bool TKeptCopy::PutBack(TPlatform::THeldFile& placed, const std::string& discard) {
    if (!FHeld || !placed.RenameTo(discard)) return false;
    if (!FHeld->RenameTo(FTarget)) {
        placed.RenameTo(FTarget);
        return false;
    }
    placed.RemoveWhenReleased();
    return true;
}

bool TKeptCopy::PutBackOver() {
    return FHeld && FHeld->RenameTo(FTarget);
}

void TKeptCopy::Discard() {
    // A kept copy that cannot be marked (a program has it loaded) stays under its name, and
    // the next start removes it, the placed copy being whole.
    if (FHeld) FHeld->RemoveWhenReleased();
    FHeld.reset();
}

TRecovery DecideRecovery(bool elevated, const TKeptFacts& facts) {
    if (!facts.KeptThere) return TRecovery::Nothing;
    // A link, or a file someone else holds, is not what a replacement set aside; and while
    // elevated, a file others may change (a current folder anyone can write) may have been
    // planted under our name: putting it back would install it, and removing it would act on
    // someone else's file as if it were ours.
    if (!facts.KeptHeld || (elevated && facts.OthersMayChange)) return TRecovery::LeaveAlone;
    return facts.PlacedWhole ? TRecovery::Remove : TRecovery::PutBack;
}

namespace {

// Whether the file at `path` is a complete library image, read through a hold that follows no
// link: the check a download passes, applied to what a power cut may have left (zeros, or a
// file cut short).
bool IsWholeLibrary(TPlatform& platform, const std::string& path) {
    if (!platform.FileExists(path)) return false;
    const auto held = platform.HoldForLoading(path);
    const auto head = held ? held->Read(LIBRARY_IMAGE_HEAD) : std::nullopt;
    return head && CheckLibraryImage(head->Bytes, head->Size) == TImageVerdict::Library;
}

void Recover(TPlatform& platform, const std::string& target) {
    const std::string kept = KeptNameFor(target);
    TKeptFacts facts;
    facts.KeptThere = platform.FileExists(kept);
    if (!facts.KeptThere) return;
    const auto held = platform.HoldForKeeping(kept);
    facts.KeptHeld = held != nullptr;
    // Read through the handle, and only while elevated: the rule is an elevated run's.
    facts.OthersMayChange = held && platform.Elevated() && held->OthersMayChange();
    facts.PlacedWhole = facts.KeptHeld && IsWholeLibrary(platform, target);
    switch (DecideRecovery(platform.Elevated(), facts)) {
    case TRecovery::Remove:
        held->RemoveWhenReleased();
        break;
    case TRecovery::PutBack:
        held->RenameTo(target);
        break;
    case TRecovery::Nothing:
    case TRecovery::LeaveAlone:
        break;
    }
}

} // namespace

void RecoverKeptCopies(TPlatform& platform) {
    const std::string folders[] = {GetSystemDir(platform), platform.CurrentDirectory()};
    for (const std::string& folder : folders) {
        if (folder.empty()) continue;
        // The system folder as the current one is looked at once.
        if (&folder != &folders[0] && folder == folders[0]) continue;
        for (std::size_t i = 0; i < LIBRARY_COUNT; ++i)
            Recover(platform, folder + "\\" + CatalogueName(i));
    }
}
