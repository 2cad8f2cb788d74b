// OleInitialize and OleUninitialize, looked up in ole32 when first needed.
#include "platform/OleScope.h"

#include "platform/LateBound.h"

#include <ole2.h>

namespace {

long Initialize() {
    static auto* initialize = LateBound<decltype(OleInitialize)>("ole32.dll", "OleInitialize");
    return initialize != nullptr ? initialize(nullptr) : E_NOTIMPL;
}

void Uninitialize() {
    static auto* uninitialize =
        LateBound<decltype(OleUninitialize)>("ole32.dll", "OleUninitialize");
    if (uninitialize != nullptr) uninitialize();
}

} // namespace

TOleScope::TCalls TOleScope::Ole32() {
    return {&Initialize, &Uninitialize};
}
