#!/usr/bin/env bash
# A signed Kestrova.exe must verify, and lose nothing but its signature when it is removed:
# a user compares a signed release with their own build that way.
#   bash signed-executable.sh SIGNED UNSIGNED ROOT.pem
set -euo pipefail
signed=$1 unsigned=$2 root=$3
tmp=$(mktemp -d "${TMPDIR:-/tmp}/kestrova-signed.XXXXXX")
trap 'rm -rf "$tmp"' EXIT

osslsigncode verify -CAfile "$root" -in "$signed" >"$tmp/verify.log" 2>&1 ||
    { cat "$tmp/verify.log"; echo "osslsigncode does not verify $signed"; exit 1; }
grep -q "Message digest algorithm *: SHA256" "$tmp/verify.log" ||
    { cat "$tmp/verify.log"; echo "$signed is not signed with SHA-256"; exit 1; }
osslsigncode remove-signature -in "$signed" -out "$tmp/stripped.exe" >/dev/null
cmp "$unsigned" "$tmp/stripped.exe" ||
    { echo "$signed without its signature is not the build $unsigned"; exit 1; }
echo "verified, SHA-256, and the build itself once unsigned"
