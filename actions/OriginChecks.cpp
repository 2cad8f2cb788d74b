// The origin and rollback checks and their texts.
#include "actions/OriginChecks.h"

#include "inventory/Version.h"

#include <algorithm>
#include <cctype>

std::string UrlHost(const std::string& url) {
    const std::size_t scheme = url.find("://");
    if (scheme == std::string::npos) return {};
    const std::size_t start = scheme + 3;
    const std::size_t end = url.find_first_of(":/", start);
    return url.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

std::string UnprovenServerMessage(const std::string& baseUrl, const std::string& name) {
    return "No se pudo comprobar la identidad del servidor de librerías " + UrlHost(baseUrl) +
           ". No se ha descargado " + name + ".";
}

std::string UnsignedByPublisherMessage(const std::string& name) {
    return "La librería " + name +
           " descargada no lleva la firma del editor de Kestrova. No se ha instalado.";
}

std::string SignedPrefix(const std::string& name) {
    std::string prefix = name;
    std::transform(prefix.begin(), prefix.end(), prefix.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    prefix += '\0';
    return prefix;
}

bool HasPublisherSignature(TPlatform::THeldFile& file, const std::string& publicKey,
                           const std::string& name, const std::string& signature) {
    return !publicKey.empty() && !signature.empty() &&
           file.VerifyDetachedSignature(publicKey, SignedPrefix(name), signature);
}

std::optional<std::string> RefuseRollback(const std::string& name, const TVersionParts& arrived,
                                          const std::string& required,
                                          const std::optional<TVersionParts>& replaced) {
    std::optional<TVersionParts> floor = ParseVersion(required);
    if (replaced && (!floor || !VersionAtLeast(*floor, *replaced))) floor = replaced;
    if (!floor || VersionAtLeast(arrived, *floor)) return std::nullopt;
    return "La librería " + name + " descargada (versión " + FormatVersion(arrived) +
           ") es anterior a la requerida (" + FormatVersion(*floor) + "). No se ha instalado.";
}
