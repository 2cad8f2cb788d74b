#!/usr/bin/env bash
# Builds the Kestrova.exe we hand out, for one library server, so that anyone can check
# the copy they were given: the image depends on neither the folder nor the moment it is
# built in (no time stamp, no build path), so one commit and one URL give the same bytes.
#   bash scripts/release.sh URL     URL: the library server's base, http://HOST[:PORT]/.../libs/
# Builds the release preset (the mingw program without tests or benchmarks) in a clean
# build/release, writes dist/Kestrova.exe and dist/SHA256SUMS, and prints the digest.
set -euo pipefail

example=http://libs.kestrova.example/libs/
if [ $# -ne 1 ] || [ -z "$1" ]; then
    [ $# -gt 1 ] || echo "release: the library server's base URL is required (there is no default)" >&2
    echo "usage: bash scripts/release.sh URL    e.g. bash scripts/release.sh $example" >&2
    exit 2
fi
url=$1
# Plain URL characters only: the address becomes a C++ string literal as it is.
if ! [[ $url =~ ^https?://[A-Za-z0-9.-]+(:[0-9]+)?(/[A-Za-z0-9._~%-]+)*/libs/$ ]]; then
    echo "release: '$url' is not an http:// URL whose path ends in /libs/ (e.g. $example)" >&2
    exit 2
fi

cd "$(dirname "$0")/.."
root=$PWD
build=$root/build/release
dist=$root/dist

bash scripts/setup.sh
rm -rf "$build" "$dist"
cmake --preset release -DLIBRARY_BASE_URL="$url" >/dev/null
cmake --build --preset release >/dev/null

mkdir -p "$dist"
cp "$build/app/Kestrova.exe" "$dist/Kestrova.exe"
(cd "$dist" && sha256sum Kestrova.exe >SHA256SUMS)

# The version as the build wrote it into the program's resources.
version=$(sed -n 's/.*VALUE "FileVersion", "\([^"]*\)".*/\1/p' "$build/app/Kestrova.rc")
commit=$(git rev-parse HEAD 2>/dev/null || echo "unknown (not a git checkout)")
if [ -n "$(git status --porcelain --untracked-files=no 2>/dev/null)" ]; then
    commit="$commit, with uncommitted changes"
fi
echo "release: Kestrova $version from commit $commit"
echo "release: library server $url"
echo "release: dist/Kestrova.exe, $(stat -c %s "$dist/Kestrova.exe") bytes"
echo "release: SHA-256 $(cut -d' ' -f1 "$dist/SHA256SUMS") (dist/SHA256SUMS)"
