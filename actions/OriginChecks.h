// The checks that prove where a downloaded library comes from and that it is not older than
// what it replaces, with the texts of their refusals. Kestrova runs what it downloads, as
// administrator where Windows allows, so whoever can answer in the library server's place
// must not get a file placed: not over a connection Windows cannot vouch for, not without
// the publisher's signature when the build carries the publisher's key, not as an older copy.
#pragma once

#include "platform/Platform.h"

#include <cstdint>
#include <optional>
#include <string>

// The most a detached signature file may hold: an RSA signature of up to 16384 bits is
// 2048 bytes.
inline constexpr uint32_t SIGNATURE_FILE_LIMIT = 4096;

// The host of `url` ("https://host:port/libs/" gives "host"); empty when there is none.
std::string UrlHost(const std::string& url);

// The box after a transfer whose server could not prove who it is.
std::string UnprovenServerMessage(const std::string& baseUrl, const std::string& name);

// The box for a library without a good signature of the publisher.
std::string UnsignedByPublisherMessage(const std::string& name);

// What the publisher signs before a library's bytes: its catalogue name in upper case and
// one NUL, so a signed file served under another name does not verify.
std::string SignedPrefix(const std::string& name);

// Whether `signature` is the publisher's for the library `name` held as `file`; never
// true for an empty key or an empty signature.
bool HasPublisherSignature(TPlatform::THeldFile& file, const std::string& publicKey,
                           const std::string& name, const std::string& signature);

// The refusal of an `arrived` version lower than `required` (the catalogue's text) or than
// `replaced` (the copy it would take the place of, if any); nullopt when it may be placed.
// The version named as required is the higher of the two.
std::optional<std::string> RefuseRollback(const std::string& name, const TVersionParts& arrived,
                                          const std::string& required,
                                          const std::optional<TVersionParts>& replaced);
