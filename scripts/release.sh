#!/usr/bin/env bash
# Builds the Kestrova.exe we hand out, for one library server, so that anyone can check
# the copy they were given: the image depends on neither the folder nor the moment it is
# built in (no time stamp, no build path), so one commit, one URL and one publisher key give
# the same bytes; a signature is added afterwards and can be removed again to compare.
#   bash scripts/release.sh URL [--allow-http] [--publisher-key KEY.pem]
#                               [--sign-cert CERT.pem --sign-key KEY.pem [--timestamp TSA-URL]]
# URL: the library server's base, https://HOST[:PORT]/.../libs/ (http:// only with
# --allow-http: anyone on the path could then answer in the server's place).
# --publisher-key: the PEM RSA public key (3072 bits or more) whose signatures the program
# demands of every library; its SHA-256 fingerprint is printed beside the program's.
# --sign-cert/--sign-key: Authenticode-sign dist/Kestrova.exe (SHA-256, osslsigncode), with
# an RFC 3161 timestamp from TSA-URL when given; SHA256SUMS then lists the signed file.
# Builds the release preset (the mingw program without tests or benchmarks) in a clean
# build/release, writes dist/Kestrova.exe and dist/SHA256SUMS, and prints the digests.
set -euo pipefail

example=https://libs.kestrova.example/libs/
usage() {
    [ -z "${1:-}" ] || echo "release: $1" >&2
    echo "usage: bash scripts/release.sh URL [--allow-http] [--publisher-key KEY.pem]" >&2
    echo "         [--sign-cert CERT.pem --sign-key KEY.pem [--timestamp TSA-URL]]" >&2
    echo "       e.g. bash scripts/release.sh $example" >&2
    exit 2
}
# readable OPTION VALUE: VALUE as an absolute path, when it names a readable file.
readable() {
    if ! [ -f "$2" ] || ! [ -r "$2" ]; then
        usage "$1: '$2' is not a readable file"
    fi
    realpath "$2"
}

url='' allow_http='' publisher_key='' sign_cert='' sign_key='' timestamp=''
while [ $# -gt 0 ]; do
    case $1 in
    --allow-http) allow_http=1 ;;
    --publisher-key | --sign-cert | --sign-key | --timestamp)
        [[ $# -ge 2 && -n $2 ]] || usage "$1 needs an argument"
        case $1 in
        --publisher-key) publisher_key=$(readable "$1" "$2") ;;
        --sign-cert) sign_cert=$(readable "$1" "$2") ;;
        --sign-key) sign_key=$(readable "$1" "$2") ;;
        --timestamp) timestamp=$2 ;;
        esac
        shift
        ;;
    -*) usage "unknown option $1" ;;
    *)
        [ -z "$url" ] || usage "one URL only ('$url', then '$1')"
        url=$1
        ;;
    esac
    shift
done
[ -n "$url" ] || usage "the library server's base URL is required (there is no default)"
if [[ -n $sign_cert && -z $sign_key || -z $sign_cert && -n $sign_key ]]; then
    usage "--sign-cert and --sign-key go together"
fi
[ -z "$timestamp" ] || [ -n "$sign_cert" ] || usage "--timestamp needs --sign-cert and --sign-key"
[ -z "$timestamp" ] || [[ $timestamp =~ ^https?://[^[:space:]]+$ ]] ||
    usage "--timestamp: '$timestamp' is not an http:// or https:// URL"

# Plain URL characters only: the address becomes a C++ string literal as it is.
if ! [[ $url =~ ^(https?)://[A-Za-z0-9.-]+(:[0-9]+)?(/[A-Za-z0-9._~%-]+)*/libs/$ ]]; then
    echo "release: '$url' is not an https:// URL whose path ends in /libs/ (e.g. $example)" >&2
    exit 2
fi
http_warning=
if [ "${BASH_REMATCH[1]}" = http ]; then
    if [ -z "$allow_http" ]; then
        {
            echo "release: refusing '$url': over http:// anyone on the path (a public network,"
            echo "  a proxy, a forged DNS answer) can send a library in the server's place, and"
            echo "  Kestrova registers what it downloads with administrator rights. Use https://,"
            echo "  or add --allow-http if this build is meant to download over plain http."
        } >&2
        exit 2
    fi
    http_warning="release: WARNING: built for plain http://; anyone on the path to $url can send a library in the server's place"
    echo "$http_warning" >&2
fi

key_fingerprint=
if [ -n "$publisher_key" ]; then
    bits=$(openssl pkey -pubin -inform PEM -in "$publisher_key" -noout -text 2>/dev/null |
        sed -n '1s/.*Public-Key: (\([0-9]*\) bit).*/\1/p') || true
    if ! openssl rsa -pubin -inform PEM -in "$publisher_key" -noout 2>/dev/null ||
        [ -z "$bits" ] || [ "$bits" -lt 3072 ]; then
        usage "--publisher-key: $publisher_key is not a PEM RSA public key of 3072 bits or more"
    fi
    # The digest of the key's DER SubjectPublicKeyInfo, the form `openssl pkey -pubin` gives.
    key_fingerprint=$(openssl pkey -pubin -inform PEM -in "$publisher_key" -outform DER |
        sha256sum | cut -d' ' -f1)
fi

cd "$(dirname "$0")/.."
root=$PWD
build=$root/build/release
dist=$root/dist

bash scripts/setup.sh
rm -rf "$build" "$dist"
key_args=()
[ -z "$publisher_key" ] || key_args=(-DPUBLISHER_KEY="$publisher_key")
cmake --preset release -DLIBRARY_BASE_URL="$url" "${key_args[@]}" >/dev/null
cmake --build --preset release >/dev/null

mkdir -p "$dist"
unsigned=$build/app/Kestrova.exe
if [ -n "$sign_cert" ]; then
    ts_args=()
    [ -z "$timestamp" ] || ts_args=(-ts "$timestamp")
    osslsigncode sign -certs "$sign_cert" -key "$sign_key" -h sha256 -n Kestrova \
        "${ts_args[@]}" -in "$unsigned" -out "$dist/Kestrova.exe" >/dev/null
    # Whoever checks the copy removes the signature and compares with their own build, so
    # signing must have added nothing else.
    osslsigncode remove-signature -in "$dist/Kestrova.exe" -out "$build/stripped.exe" >/dev/null
    if ! cmp -s "$unsigned" "$build/stripped.exe"; then
        echo "release: the signed program without its signature differs from the build" >&2
        exit 1
    fi
else
    cp "$unsigned" "$dist/Kestrova.exe"
fi
(cd "$dist" && sha256sum Kestrova.exe >SHA256SUMS)

# The version as the build wrote it into the program's resources.
version=$(sed -n 's/.*VALUE "FileVersion", "\([^"]*\)".*/\1/p' "$build/app/Kestrova.rc")
commit=$(git rev-parse HEAD 2>/dev/null || echo "unknown (not a git checkout)")
if [ -n "$(git status --porcelain --untracked-files=no 2>/dev/null)" ]; then
    commit="$commit, with uncommitted changes"
fi
echo "release: Kestrova $version from commit $commit"
echo "release: library server $url"
if [ -n "$publisher_key" ]; then
    echo "release: publisher key $publisher_key"
    echo "release: publisher key SHA-256 $key_fingerprint (its DER SubjectPublicKeyInfo)"
else
    echo "release: no publisher key: libraries are not checked against a signature of ours"
fi
if [ -n "$sign_cert" ]; then
    echo "release: signed by $(openssl x509 -in "$sign_cert" -noout -subject -nameopt oneline |
        sed 's/^subject= *//')${timestamp:+, timestamped by $timestamp}"
    echo "release: unsigned SHA-256 $(sha256sum "$unsigned" | cut -d' ' -f1) (the build itself)"
else
    echo "release: not signed: Windows names its publisher as unknown when asking to elevate"
fi
echo "release: dist/Kestrova.exe, $(stat -c %s "$dist/Kestrova.exe") bytes"
echo "release: program SHA-256 $(cut -d' ' -f1 "$dist/SHA256SUMS") (dist/SHA256SUMS)"
[ -z "$http_warning" ] || echo "$http_warning" >&2
