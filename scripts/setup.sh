#!/usr/bin/env bash
# Installs what building and running Kestrova needs on a Debian machine: the MinGW-w64
# cross compiler, Wine (32- and 64-bit), Xvfb, ImageMagick, CMake, GoogleTest, and OpenSSL
# with osslsigncode for the signed test libraries.
# Idempotent: installs only what is missing.
set -euo pipefail

need=()
have_cmd() { command -v "$1" >/dev/null 2>&1; }
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

have_cmd cmake || need+=(cmake)
have_cmd g++ || need+=(g++)
have_cmd python3 || need+=(python3)
have_cmd i686-w64-mingw32-g++-posix || need+=(g++-mingw-w64-i686)
have_cmd x86_64-w64-mingw32-g++-posix || need+=(g++-mingw-w64-x86-64) # the 64-bit test build
have_pkg libgtest-dev || need+=(libgtest-dev)
have_pkg googletest || need+=(googletest)
have_pkg wine || need+=(wine)
have_pkg wine32:i386 || need+=(wine32:i386)
have_pkg wine64 || need+=(wine64)
have_cmd Xvfb || need+=(xvfb)
have_cmd import || need+=(imagemagick)
have_cmd xdpyinfo || need+=(x11-utils) # scripts/run.sh: is $DISPLAY usable, its size
have_cmd curl || need+=(curl)
have_cmd openssl || need+=(openssl)           # test certificates, made at build time
have_cmd osslsigncode || need+=(osslsigncode) # signed stand-ins for the signer check

if [ ${#need[@]} -eq 0 ]; then
    exit 0
fi

echo "setup: installing ${need[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
case " ${need[*]} " in
*":i386 "*) dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386 ;;
esac
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${need[@]}"
