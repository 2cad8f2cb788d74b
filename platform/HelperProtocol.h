// What Kestrova and its registration helper say to each other over their two inherited
// anonymous pipes: one request per library, one answer per request. Both ends are the same
// program, so the records are plain structures; every length is bounded before it is read.
#pragma once

#include <cstdint>

// The internal switch that makes Kestrova.exe a registration helper, followed by the decimal
// values of four inherited handles: the requests' pipe (read), the answers' pipe (write), the
// event set after each answer, and Kestrova's own process. /? does not list it.
inline constexpr const char* HELPER_SWITCH = "/kestrova-registro";

inline constexpr uint32_t HELPER_REQUEST_MAGIC = 0x5152474B; // "KGRQ"
inline constexpr uint32_t HELPER_ANSWER_MAGIC = 0x5341474B;  // "KGAS"
// The most bytes a request's library path, entry name or current folder may hold.
inline constexpr uint32_t HELPER_TEXT_LIMIT = 32768;

// Followed by the library's full path, the entry's name and the current folder the call runs
// in, as many bytes as each length says, without NULs.
struct THelperRequest {
    uint32_t Magic = HELPER_REQUEST_MAGIC;
    uint32_t Sequence = 0;
    uint32_t LibraryLength = 0;
    uint32_t EntryLength = 0;
    uint32_t FolderLength = 0;
};

// The call's outcome (NotLoaded, NoEntry, Returned or Faulted of TPlatform::TEntryCall) for
// the request of the same sequence number.
struct THelperAnswer {
    uint32_t Magic = HELPER_ANSWER_MAGIC;
    uint32_t Sequence = 0;
    uint32_t Outcome = 0;
    int32_t Result = 0;
    uint32_t FaultCode = 0;
    uint32_t LoadError = 0;
};
