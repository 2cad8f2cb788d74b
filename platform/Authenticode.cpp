// WinVerifyTrust on a held handle, and the leaf certificate's organization and common name
// from the provider data of that same verification.
#include "platform/Authenticode.h"

#include "platform/LateBound.h"

#include <wincrypt.h>
#include <wintrust.h>

#include <softpub.h>

#include <vector>

namespace {

std::wstring Widen(const std::string& text) {
    const int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::vector<wchar_t> wide(length > 0 ? static_cast<std::size_t>(length) : 1, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), length);
    return wide.data();
}

std::string NameAttribute(PCCERT_CONTEXT certificate, const char* oid) {
    static auto* nameOf =
        LateBound<decltype(CertGetNameStringA)>("crypt32.dll", "CertGetNameStringA");
    if (nameOf == nullptr) return {};
    void* type = const_cast<char*>(oid);
    const DWORD length = nameOf(certificate, CERT_NAME_ATTR_TYPE, 0, type, nullptr, 0);
    if (length <= 1) return {};
    std::vector<char> name(length, '\0');
    nameOf(certificate, CERT_NAME_ATTR_TYPE, 0, type, name.data(), length);
    return name.data();
}

} // namespace

TPlatform::TSignerCheck SignerOf(const CRYPT_PROVIDER_SGNR* signer) {
    TPlatform::TSignerCheck check;
    if (signer != nullptr && signer->csCertChain > 0 && signer->pasCertChain != nullptr &&
        signer->pasCertChain[0].pCert != nullptr) {
        check.Organization = NameAttribute(signer->pasCertChain[0].pCert, szOID_ORGANIZATION_NAME);
        check.CommonName = NameAttribute(signer->pasCertChain[0].pCert, szOID_COMMON_NAME);
    } else {
        check.Status = static_cast<int32_t>(TRUST_E_NO_SIGNER_CERT);
    }
    return check;
}

TPlatform::TSignerCheck VerifyFileSignature(HANDLE file, const std::string& path) {
    static auto* verify = LateBound<decltype(WinVerifyTrust)>("wintrust.dll", "WinVerifyTrust");
    static auto* providerData = LateBound<decltype(WTHelperProvDataFromStateData)>(
        "wintrust.dll", "WTHelperProvDataFromStateData");
    static auto* signerOf = LateBound<decltype(WTHelperGetProvSignerFromChain)>(
        "wintrust.dll", "WTHelperGetProvSignerFromChain");
    TPlatform::TSignerCheck check;
    if (verify == nullptr) {
        check.Status = static_cast<int32_t>(TRUST_E_PROVIDER_UNKNOWN);
        return check;
    }
    const std::wstring wide = Widen(path);
    WINTRUST_FILE_INFO info = {};
    info.cbStruct = sizeof(info);
    info.pcwszFilePath = wide.c_str();
    info.hFile = file;
    WINTRUST_DATA data = {};
    data.cbStruct = sizeof(data);
    data.dwUIChoice = WTD_UI_NONE;
    data.fdwRevocationChecks = WTD_REVOKE_NONE;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &info;
    data.dwStateAction = WTD_STATEACTION_VERIFY;
    data.dwProvFlags = WTD_REVOCATION_CHECK_NONE | WTD_CACHE_ONLY_URL_RETRIEVAL;
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    HWND noWindow = static_cast<HWND>(INVALID_HANDLE_VALUE); // no user interface at all
    check.Status = verify(noWindow, &action, &data);
    if (check.Status == 0) {
        CRYPT_PROVIDER_DATA* provider =
            providerData != nullptr ? providerData(data.hWVTStateData) : nullptr;
        check = SignerOf(
            provider != nullptr && signerOf != nullptr ? signerOf(provider, 0, FALSE, 0) : nullptr);
    }
    data.dwStateAction = WTD_STATEACTION_CLOSE;
    verify(noWindow, &action, &data);
    return check;
}
