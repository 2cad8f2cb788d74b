// What a run with an administrator's rights refuses that a standard user's run allows, as
// decisions over plain facts: native tests cover what Wine cannot show, since Wine runs
// every program as an administrator and has neither private namespaces nor reparse points.
#pragma once

#include <cstdint>

// Where the one-instance mutex lives.
enum class TInstanceMutexPlace {
    Global,                  // Global\Kestrova.UnaInstancia, as any user may make it
    GlobalForAdministrators, // that name, made owned by Administrators, for them and SYSTEM only
    PrivateNamespace,        // a namespace that only administrators can create or open
};

// A standard user may make any name in Global\ first, so an elevated run keeps to a private
// namespace bounded by BUILTIN\Administrators where Windows has them (Vista on).
constexpr TInstanceMutexPlace InstanceMutexPlace(bool elevated, bool privateNamespaces) {
    if (!elevated) return TInstanceMutexPlace::Global;
    return privateNamespaces ? TInstanceMutexPlace::PrivateNamespace
                             : TInstanceMutexPlace::GlobalForAdministrators;
}

// What creating the mutex came to.
enum class TMutexOpening {
    Created,
    Existed, // opened, someone made it before
    Denied,  // it exists and refuses us
    Failed,  // anything else: another kind of object holds the name, say
};

enum class TInstanceVerdict {
    First,          // go on
    AlreadyRunning, // another Kestrova runs: do nothing
    Blocked,        // someone else holds the mark, so whether Kestrova runs cannot be told
};

// `administratorsOwn`: the existing mutex's owner is Administrators or SYSTEM, an owner no
// standard user can give an object. A standard user's run reads every failure as another
// Kestrova, which it usually is (another user's, whose mutex refuses this user).
constexpr TInstanceVerdict JudgeInstance(bool elevated, TInstanceMutexPlace place,
                                         TMutexOpening opening, bool administratorsOwn) {
    if (opening == TMutexOpening::Created) return TInstanceVerdict::First;
    if (!elevated) return TInstanceVerdict::AlreadyRunning;
    if (opening != TMutexOpening::Existed) return TInstanceVerdict::Blocked;
    // Only an administrator can make a name inside the private namespace.
    return place == TInstanceMutexPlace::PrivateNamespace || administratorsOwn
               ? TInstanceVerdict::AlreadyRunning
               : TInstanceVerdict::Blocked;
}

// A file an elevated run writes for the one who started it (a report, a log) must be the
// file its name says: not a reparse point (a symbolic link, a junction), no hard link of
// another file, and where the name put it (`atPath`: its final path is the path asked for,
// made full), not elsewhere through a folder on the way that is a link. A standard user may
// plant any of these to make the run write over a file of their choosing; a standard user's
// own run can only reach files that user may write.
constexpr bool RefusesToWrite(bool elevated, bool reparsePoint, uint32_t links, bool atPath) {
    return elevated && (reparsePoint || links > 1 || !atPath);
}
