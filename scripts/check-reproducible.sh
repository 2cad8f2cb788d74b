#!/usr/bin/env bash
# Fails when Kestrova.exe stops being reproducible: builds the release program
# (scripts/release.sh) from a copy of this working tree in a temporary folder and compares
# it byte for byte with another build of the same source made elsewhere, earlier.
#   bash scripts/check-reproducible.sh URL [EXE] [--publisher-key KEY.pem]
# EXE: that other build (e.g. the test command's mingw build, whose LIBRARY_BASE_URL is
# URL, or a signed dist/Kestrova.exe, compared without its signature); without it, a first
# release build in a second temporary folder is the other side. KEY.pem: the publisher key
# EXE was built with, if any.
# The two builds differ in source folder, build folder, moment and SOURCE_DATE_EPOCH (the
# copy's build sets it to a day in 1970), so a path or a date from any tool shows up as
# different bytes. The temporary folders are removed on return.
set -euo pipefail
usage() {
    echo "usage: bash scripts/check-reproducible.sh URL [EXE] [--publisher-key KEY.pem]" >&2
    exit 2
}
args=() release_args=()
while [ $# -gt 0 ]; do
    case $1 in
    --publisher-key)
        [[ $# -ge 2 && -f $2 ]] || usage
        release_args+=(--publisher-key "$(realpath "$2")")
        shift
        ;;
    -*) usage ;;
    *) args+=("$1") ;;
    esac
    shift
done
[[ ${#args[@]} -ge 1 && ${#args[@]} -le 2 ]] || usage
url=${args[0]}
# The check is about bytes, not transport: a test build for a plain-http server is checked too.
[[ $url != http://* ]] || release_args+=(--allow-http)
cd "$(dirname "$0")/.."

tmp=$(mktemp -d "${TMPDIR:-/tmp}/kestrova-repro.XXXXXX")
trap 'rm -rf "$tmp"' EXIT

# copy FOLDER: this working tree's files (committed or not, without what git ignores).
copy() {
    mkdir -p "$1"
    if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
        git ls-files -z --cached --others --exclude-standard |
            tar --null --ignore-failed-read -T - -cf - 2>/dev/null | tar -C "$1" -xf -
    else
        tar --exclude=./build --exclude=./dist -cf - . | tar -C "$1" -xf -
    fi
}

# release FOLDER [VAR=VALUE...]: the release program built from a copy in FOLDER.
release() {
    local src=$1
    shift
    copy "$src"
    if ! (cd "$src" && env "$@" bash scripts/release.sh "$url" "${release_args[@]}") \
        >"$tmp/release.log" 2>&1; then
        cat "$tmp/release.log" >&2
        echo "check-reproducible: the release build in $src failed" >&2
        exit 1
    fi
}

if [ ${#args[@]} -eq 2 ]; then
    first=$(realpath "${args[1]}")
    shown=$first
    [ -f "$first" ] || { echo "check-reproducible: no $first to compare with" >&2; exit 1; }
    # A signed program is compared as it was before signing; the signature adds nothing else
    # (scripts/release.sh makes sure of it). osslsigncode refuses a file without one.
    if osslsigncode remove-signature -in "$first" -out "$tmp/unsigned.exe" >/dev/null 2>&1; then
        echo "check-reproducible: $first is signed; comparing it without its signature"
        shown="$first, without its signature"
        first=$tmp/unsigned.exe
    fi
else
    release "$tmp/first" -u SOURCE_DATE_EPOCH
    first=$tmp/first/dist/Kestrova.exe
    shown=$first
fi
release "$tmp/second-folder/kestrova" SOURCE_DATE_EPOCH=86400
second=$tmp/second-folder/kestrova/dist/Kestrova.exe

if ! cmp -s "$first" "$second"; then
    echo "check-reproducible: FAILED, two builds of the same source differ:" >&2
    echo "  $shown" >&2
    echo "  $second (built in another folder, later)" >&2
    echo "  $({ cmp -l "$first" "$second" 2>/dev/null || true; } | wc -l) bytes differ; the first (offset, octal values):" >&2
    { cmp -l "$first" "$second" || true; } | head -8 | sed 's/^/    /' >&2
    exit 1
fi
echo "check-reproducible: same bytes from two folders," \
    "SHA-256 $(sha256sum "$second" | cut -d' ' -f1)"
