// Adds a test root certificate to the trusted roots of the Wine prefix it runs in, so the
// signed stand-ins chain to a trusted root there as a publisher's files do on a machine
// that trusts its issuer. Wine keeps the certificate stores in the prefix's registry, so
// only that prefix trusts the root, never the host; scripts/test.sh runs this once in each
// test prefix.
// Under Wine 8 root trust is not proven (a signed file verified as trusted even before its
// root was added here), so the tests test the signer rule, not the root.
//   kestrova_trust_root.exe FILE.cer    a DER certificate; exit code 0 once the store holds it
#include "platform/Handles.h"

#include <windows.h>

#include <wincrypt.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

void CloseStore(HCERTSTORE store) {
    CertCloseStore(store, 0);
}
void FreeCertificate(PCCERT_CONTEXT certificate) {
    CertFreeCertificateContext(certificate);
}
using TCertStore = TOwned<TNullTraits<HCERTSTORE, CloseStore>>;
using TCertificate = TOwned<TNullTraits<PCCERT_CONTEXT, FreeCertificate>>;

int Fail(const std::string& what) {
    std::fprintf(stderr, "kestrova_trust_root: %s\n", what.c_str());
    return 1;
}

// `code` is GetLastError of the call that failed, taken before any other call.
int Fail(const std::string& what, DWORD code) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", code);
    return Fail(what + " (error " + text + ")");
}

TCertStore OpenMachineRoots() {
    return TCertStore(
        CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, "ROOT"));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: kestrova_trust_root FILE.cer (a DER certificate)\n");
        return 2;
    }
    const std::string file = argv[1];
    std::ifstream in(file, std::ios::binary);
    if (!in) return Fail("cannot open " + file);
    std::vector<BYTE> der{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (der.empty()) return Fail(file + " is empty");

    // The certificate as read, to look for in the store afterwards.
    TCertificate added(CertCreateCertificateContext(X509_ASN_ENCODING, der.data(),
                                                    static_cast<DWORD>(der.size())));
    if (!added) return Fail(file + " is not a DER certificate");
    {
        TCertStore roots = OpenMachineRoots();
        if (!roots) {
            const DWORD code = GetLastError();
            return Fail("cannot open the machine's ROOT store", code);
        }
        // No context of the added copy is taken: it would hold the store open, and Wine
        // writes a system store to the registry only once it is closed.
        if (!CertAddEncodedCertificateToStore(roots.get(), X509_ASN_ENCODING, der.data(),
                                              static_cast<DWORD>(der.size()),
                                              CERT_STORE_ADD_REPLACE_EXISTING, nullptr)) {
            const DWORD code = GetLastError();
            return Fail("cannot add " + file + " to the machine's ROOT store", code);
        }
    }
    // Read back through a new handle, so success means the store keeps it, not that one
    // handle took it.
    TCertStore roots = OpenMachineRoots();
    if (!roots) {
        const DWORD code = GetLastError();
        return Fail("cannot reopen the machine's ROOT store", code);
    }
    TCertificate found(CertFindCertificateInStore(roots.get(), X509_ASN_ENCODING, 0,
                                                  CERT_FIND_EXISTING, added.get(), nullptr));
    if (!found) return Fail("the machine's ROOT store does not hold " + file + " after adding it");
    return 0;
}
