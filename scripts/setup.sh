#!/usr/bin/env bash
# Installs what building and running Kestrova needs on a Debian machine: the MinGW-w64
# cross compilers, Wine, Xvfb, ImageMagick, CMake, GoogleTest, clang with its sanitizer and
# fuzzer runtime, and OpenSSL with osslsigncode for the signed test libraries.
# Wine's 32-bit side (wine32:i386, and the i386 architecture it needs) only where this
# kernel runs 32-bit programs: elsewhere it could not start, and the tests use wine64.
# Idempotent: installs only what is missing. A package index that fails to download (a
# mirror in the middle of a sync) is retried once, then the install goes on with the lists
# apt has; only a failed install stops the script.
set -euo pipefail

need=()
have_cmd() { command -v "$1" >/dev/null 2>&1; }
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

source "$(dirname "${BASH_SOURCE[0]}")/probe32.sh"

runs32=0
kestrova_kernel_runs_32bit && runs32=1

have_cmd cmake || need+=(cmake)
have_cmd g++ || need+=(g++)
have_cmd python3 || need+=(python3)
have_cmd i686-w64-mingw32-g++-posix || need+=(g++-mingw-w64-i686)
have_cmd x86_64-w64-mingw32-g++-posix || need+=(g++-mingw-w64-x86-64) # the 64-bit test build
have_pkg libgtest-dev || need+=(libgtest-dev)
have_pkg googletest || need+=(googletest)
have_pkg wine || need+=(wine)
have_pkg wine64 || need+=(wine64)
if [ "$runs32" = 1 ]; then
    have_pkg wine32:i386 || need+=(wine32:i386)
fi
have_cmd Xvfb || need+=(xvfb)
have_cmd import || need+=(imagemagick)
have_cmd xdpyinfo || need+=(x11-utils) # scripts/run.sh: is $DISPLAY usable, its size
have_cmd curl || need+=(curl)
have_cmd openssl || need+=(openssl)           # test certificates, made at build time
have_cmd osslsigncode || need+=(osslsigncode) # signed stand-ins for the signer check
have_cmd clang++ || need+=(clang)             # the fuzzers and the sanitizer build
have_pkg libclang-rt-14-dev || need+=(libclang-rt-14-dev)

if [ ${#need[@]} -eq 0 ]; then
    exit 0
fi

echo "setup: installing ${need[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
case " ${need[*]} " in
*":i386 "*) dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386 ;;
esac

# The lists: a failed update is tried once more after a pause; if it fails again the
# install goes on with what the lists hold (an index of another suite or architecture
# mid-sync need not concern the packages asked for).
if ! $sudo apt-get update -q; then
    echo "setup: apt-get update failed; trying again in ${KESTROVA_APT_RETRY_PAUSE:-15} s"
    sleep "${KESTROVA_APT_RETRY_PAUSE:-15}"
    if ! $sudo apt-get update -q; then
        echo "setup: apt-get update failed again; installing from the package lists apt has"
    fi
fi

log=$(mktemp "${TMPDIR:-/tmp}/kestrova-apt.XXXXXX")
status=0
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${need[@]}" 2>&1 | tee "$log" ||
    status=${PIPESTATUS[0]}
if [ "$status" -ne 0 ]; then
    reason=$(grep -E '^(E|W): ' "$log" | head -n 3 | tr '\n' ' ')
    rm -f "$log"
    echo "setup: could not install ${need[*]} (apt-get exit $status): ${reason:-see above}" >&2
    exit "$status"
fi
rm -f "$log"
