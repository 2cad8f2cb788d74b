// The signer rule as one table: which copies were signed and by whom, against what arrived.
#include "actions/SignerContinuity.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

const TSignature Unsigned{};
const TSignature Altered{TSignatureState::Invalid, "", ""};
const TSignature A{TSignatureState::Valid, "Organization A", "Publisher A"};
const TSignature B{TSignatureState::Valid, "Organization B", "Publisher B"};
// A's name under another organization, and A's organization under another name.
const TSignature NamedA{TSignatureState::Valid, "Organization C", "Publisher A"};
const TSignature OrganizationA{TSignatureState::Valid, "Organization A", "Publisher C"};
const std::string Name = "MSINET.OCX";
const std::string NotSignedByA = "La librería MSINET.OCX descargada no está firmada por Publisher "
                                 "A como la que ya tiene el equipo. No se ha instalado.";
const std::string NotSignedByB = "La librería MSINET.OCX descargada no está firmada por Publisher "
                                 "B como la que ya tiene el equipo. No se ha instalado.";
const std::string BadSignature =
    "La firma de la librería MSINET.OCX descargada no es válida. No se ha instalado.";

// The first bytes of a PE32 image, with or without a certificate table.
std::string Head(bool certificateTable) {
    std::string b(0x200, '\0');
    auto put32 = [&b](std::size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b[at + i] = static_cast<char>(v >> (8 * i));
    };
    b[0] = 'M', b[1] = 'Z';
    put32(0x3C, 0x80);
    std::memcpy(&b[0x80], "PE\0\0", 4);
    put32(0x80 + 20, 0xE0); // SizeOfOptionalHeader (and, above it, no characteristics)
    put32(0x98, 0x010B);    // PE32
    put32(0x98 + 92, 16);   // NumberOfRvaAndSizes
    if (certificateTable) {
        put32(0x98 + 128, 0x1000); // where the certificate table lies, and its size
        put32(0x98 + 132, 0x100);
    }
    return b;
}

} // namespace

TEST(SignerContinuity, WhoMayReplaceWhom) {
    using O = std::optional<TSignature>;
    struct TCase {
        const char* what;
        O located, replaced;
        TSignature arrived;
        std::optional<std::string> refusal;
    };
    const TCase cases[] = {
        {"no copy anywhere: accepted as it comes", {}, {}, Unsigned, {}},
        {"no copy anywhere, signed", {}, {}, A, {}},
        {"no copy, a signature that does not verify", {}, {}, Altered, BadSignature},
        {"unsigned copies: unsigned accepted", Unsigned, Unsigned, Unsigned, {}},
        {"unsigned copies: any signer accepted", Unsigned, Unsigned, B, {}},
        {"unsigned copies: still never a broken signature", Unsigned, Unsigned, Altered,
         BadSignature},
        {"signed copy replaced: same signer", {}, A, A, {}},
        {"signed copy replaced: unsigned refused", {}, A, Unsigned, NotSignedByA},
        {"signed copy replaced: other signer refused", {}, A, B, NotSignedByA},
        {"replaced: A's name, other organization refused", {}, A, NamedA, NotSignedByA},
        {"replaced: A's organization, other name refused", {}, A, OrganizationA, NotSignedByA},
        {"signed copy replaced: broken signature refused", {}, A, Altered, BadSignature},
        {"signed copy located elsewhere, nothing replaced: same signer", A, {}, A, {}},
        {"signed copy located elsewhere: unsigned refused", A, {}, Unsigned, NotSignedByA},
        {"signed copy located elsewhere: other signer refused", A, Unsigned, B, NotSignedByA},
        {"located signed by A, replaced signed by B: the replaced one is named", A, B, A,
         NotSignedByB},
        {"both by A", A, A, A, {}},
        {"a located copy whose signature is broken trusts nobody", Altered, {}, Unsigned, {}},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(RefuseReplacement(Name, c.located, c.replaced, c.arrived), c.refusal) << c.what;
}

TEST(SignerContinuity, WhatWinVerifyTrustSaidMeans) {
    struct TCase {
        const char* what;
        int32_t status;
        bool certificateTable;
        TSignatureState state;
    };
    const TCase cases[] = {
        {"verified", 0, true, TSignatureState::Valid},
        {"no signature", static_cast<int32_t>(0x800B0100), false, TSignatureState::Unsigned},
        {"bad digest", static_cast<int32_t>(0x80096010), true, TSignatureState::Invalid},
        {"a table whose signature is not even recognised", static_cast<int32_t>(0x800B0100), true,
         TSignatureState::Invalid},
        {"untrusted root", static_cast<int32_t>(0x800B0109), true, TSignatureState::Invalid},
    };
    for (const TCase& c : cases) {
        const TSignature s = ClassifySignature(Head(c.certificateTable), {c.status, "Org", "Name"});
        EXPECT_EQ(s.State, c.state) << c.what;
        EXPECT_EQ(s.DisplayName(), c.state == TSignatureState::Valid ? "Name" : "") << c.what;
    }
    EXPECT_EQ((TSignature{TSignatureState::Valid, "Org", ""}).DisplayName(), "Org");
}
