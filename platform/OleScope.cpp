// OleInitialize and OleUninitialize, looked up in ole32 when first needed.
#include "platform/OleScope.h"

#include "platform/LateBound.h"

#include <ole2.h>

namespace {

decltype(OleUninitialize)* Uninitialize() {
    static auto* uninitialize =
        LateBound<decltype(OleUninitialize)>("ole32.dll", "OleUninitialize");
    return uninitialize;
}

} // namespace

TOleScope::TOleScope() {
    static auto* initialize = LateBound<decltype(OleInitialize)>("ole32.dll", "OleInitialize");
    FResult = initialize != nullptr ? initialize(nullptr) : E_NOTIMPL;
}

TOleScope::~TOleScope() {
    if (SUCCEEDED(FResult) && Uninitialize() != nullptr) Uninitialize()();
}
