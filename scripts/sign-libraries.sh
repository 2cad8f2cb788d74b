#!/usr/bin/env bash
# What a library server's operator runs for a Kestrova built with a publisher key: writes
# NAME.sig beside every library NAME in FOLDER, then checks each one with the key's public
# half, so a server never hands out a signature the program would refuse.
#   bash scripts/sign-libraries.sh PRIVATE_KEY FOLDER
# PRIVATE_KEY: the PEM RSA private key whose public half the build embeds (PUBLISHER_KEY).
# A signature covers the library's catalogue name in upper case, one NUL byte, then the
# file's bytes (RSA PKCS#1 v1.5, SHA-256), so a file signed as one library does not pass as
# another. Every file of FOLDER except *.sig counts as a library, under its own name.
set -euo pipefail
if [ $# -ne 2 ] || [ ! -f "$1" ] || [ ! -d "$2" ]; then
    echo "usage: bash scripts/sign-libraries.sh PRIVATE_KEY FOLDER" >&2
    exit 2
fi
key=$1
folder=$2
public=$(mktemp "${TMPDIR:-/tmp}/kestrova-publisher.XXXXXX")
trap 'rm -f "$public"' EXIT
openssl pkey -in "$key" -pubout -out "$public"

# signed_bytes FILE: what the signature covers.
signed_bytes() {
    local name
    name=$(basename "$1" | tr '[:lower:]' '[:upper:]')
    printf '%s\0' "$name"
    cat "$1"
}

count=0
for file in "$folder"/*; do
    [ -f "$file" ] || continue
    case $file in *.sig | *.SIG) continue ;; esac
    signed_bytes "$file" | openssl dgst -sha256 -sign "$key" -out "$file.sig"
    if ! signed_bytes "$file" | openssl dgst -sha256 -verify "$public" -signature "$file.sig" \
        >/dev/null; then
        echo "sign-libraries: the signature of $file does not verify" >&2
        exit 1
    fi
    count=$((count + 1))
done
echo "sign-libraries: $count libraries signed and verified in $folder"
