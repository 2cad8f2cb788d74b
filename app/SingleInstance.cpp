// The one-instance mutex. The private-namespace functions are looked up at run time (Windows
// XP and Wine 8 have none), and CreatePrivateNamespaceA before the others: Wine 8 exports
// CreateBoundaryDescriptorA as a stub that ends the process when called.
#include "app/SingleInstance.h"

#include "app/ParentOutput.h"
#include "platform/LateBound.h"
#include "platform/WinPlatform.h"

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

namespace {

constexpr const char* GLOBAL_NAME = "Global\\Kestrova.UnaInstancia";
constexpr const char* NAMESPACE_NAME = "Kestrova"; // the boundary's name and the alias
constexpr const char* PRIVATE_NAME = "Kestrova\\UnaInstancia";
// Owned by Administrators, all access for them and for SYSTEM, nothing for anyone else.
constexpr const char* ADMINISTRATORS_ONLY = "O:BAD:P(A;;GA;;;BA)(A;;GA;;;SY)";

constexpr const char* ALREADY_RUNNING_TEXT =
    "Kestrova ya está en marcha en esta máquina: espere a que termine.";
constexpr const char* BLOCKED_TEXT =
    "No se puede comprobar si Kestrova ya está en marcha: otro usuario o programa ocupa su "
    "marca de instancia única. No se ha hecho nada.";

// Declared by the headers for Vista and later only.
using TCreatePrivateNamespaceA = HANDLE WINAPI(LPSECURITY_ATTRIBUTES, LPVOID, LPCSTR);
using TOpenPrivateNamespaceA = HANDLE WINAPI(LPVOID, LPCSTR);
using TClosePrivateNamespace = BOOLEAN WINAPI(HANDLE, ULONG);
using TCreateBoundaryDescriptorA = HANDLE WINAPI(LPCSTR, ULONG);
using TAddSIDToBoundaryDescriptor = BOOL WINAPI(HANDLE*, PSID);
using TDeleteBoundaryDescriptor = VOID WINAPI(HANDLE);

template <typename TFunction> TFunction* Kernel32(const char* name) {
    return LateBound<TFunction>("kernel32.dll", name);
}

// The security descriptor of ADMINISTRATORS_ONLY for the scope of one start.
class TAdministratorsOnly {
public:
    TAdministratorsOnly() {
        ConvertStringSecurityDescriptorToSecurityDescriptorA(ADMINISTRATORS_ONLY, SDDL_REVISION_1,
                                                             &FDescriptor, nullptr);
        FAttributes.lpSecurityDescriptor = FDescriptor;
    }
    ~TAdministratorsOnly() {
        if (FDescriptor) LocalFree(FDescriptor);
    }
    TAdministratorsOnly(const TAdministratorsOnly&) = delete;
    TAdministratorsOnly& operator=(const TAdministratorsOnly&) = delete;
    bool Made() const { return FDescriptor != nullptr; }
    SECURITY_ATTRIBUTES* Attributes() { return &FAttributes; }

private:
    PSECURITY_DESCRIPTOR FDescriptor = nullptr;
    SECURITY_ATTRIBUTES FAttributes = {sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
};

// The private namespace of Administrators, created or opened; nullptr where Windows has
// none or it cannot be had.
HANDLE AdministratorsNamespace(TAdministratorsOnly& security) {
    const auto create = Kernel32<TCreatePrivateNamespaceA>("CreatePrivateNamespaceA");
    if (create == nullptr) return nullptr;
    const auto open = Kernel32<TOpenPrivateNamespaceA>("OpenPrivateNamespaceA");
    const auto boundaryOf = Kernel32<TCreateBoundaryDescriptorA>("CreateBoundaryDescriptorA");
    const auto addSid = Kernel32<TAddSIDToBoundaryDescriptor>("AddSIDToBoundaryDescriptor");
    const auto deleteBoundary = Kernel32<TDeleteBoundaryDescriptor>("DeleteBoundaryDescriptor");
    if (!open || !boundaryOf || !addSid || !deleteBoundary) return nullptr;
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof(administrators);
    if (!CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size))
        return nullptr;
    HANDLE space = nullptr;
    HANDLE boundary = boundaryOf(NAMESPACE_NAME, 0);
    if (boundary != nullptr && addSid(&boundary, administrators)) {
        space = create(security.Attributes(), boundary, NAMESPACE_NAME);
        if (space == nullptr && GetLastError() == ERROR_ALREADY_EXISTS)
            space = open(boundary, NAMESPACE_NAME);
    }
    if (boundary != nullptr) deleteBoundary(boundary);
    return space;
}

bool OwnedByAdministrators(HANDLE object) {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(object, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                        nullptr, nullptr, &descriptor) != ERROR_SUCCESS)
        return false;
    const bool administrators =
        owner != nullptr && (IsWellKnownSid(owner, WinBuiltinAdministratorsSid) ||
                             IsWellKnownSid(owner, WinLocalSystemSid));
    LocalFree(descriptor);
    return administrators;
}

} // namespace

TSingleInstance::TSingleInstance() {
    const bool elevated = WindowsPlatform().Elevated();
    TAdministratorsOnly security;
    if (elevated && security.Made()) FNamespace = AdministratorsNamespace(security);
    const TInstanceMutexPlace place = InstanceMutexPlace(elevated, FNamespace != nullptr);
    const bool restricted = place != TInstanceMutexPlace::Global && security.Made();
    FMutex.reset(
        CreateMutexA(restricted ? security.Attributes() : nullptr, FALSE,
                     place == TInstanceMutexPlace::PrivateNamespace ? PRIVATE_NAME : GLOBAL_NAME));
    const DWORD error = GetLastError();
    TMutexOpening opening = TMutexOpening::Created;
    if (!FMutex)
        opening = error == ERROR_ACCESS_DENIED ? TMutexOpening::Denied : TMutexOpening::Failed;
    else if (error == ERROR_ALREADY_EXISTS)
        opening = TMutexOpening::Existed;
    const bool administratorsOwn =
        opening == TMutexOpening::Existed && OwnedByAdministrators(FMutex.get());
    FVerdict = JudgeInstance(elevated, place, opening, administratorsOwn);
}

TSingleInstance::~TSingleInstance() {
    FMutex.reset();
    static auto* close = Kernel32<TClosePrivateNamespace>("ClosePrivateNamespace");
    if (FNamespace != nullptr && close != nullptr) close(FNamespace, 0);
}

int TSingleInstance::ReportWhyNot(const TCommandLine& request) const {
    const bool blocked = FVerdict == TInstanceVerdict::Blocked;
    TellWhyNothingWasDone(request, blocked ? BLOCKED_TEXT : ALREADY_RUNNING_TEXT);
    return blocked ? EXIT_INSTANCE_BLOCKED : EXIT_ALREADY_RUNNING;
}
