#!/usr/bin/env bash
# Makes docs/screenshot.png: the program as scripts/run.sh starts it on its own Xvfb,
# cropped to the window with a small margin.
set -euo pipefail
cd "$(dirname "$0")/.."
full=$(mktemp --suffix=.png)
trap 'rm -f "$full"' EXIT
KESTROVA_HEADLESS=1 KESTROVA_SHOT="$full" bash scripts/run.sh >/dev/null
# The window is centred on the 1024x768 screen: 473x528 plus a 12-pixel margin.
mkdir -p docs
convert "$full" -crop 497x552+263+108 +repage docs/screenshot.png
echo "screenshot: docs/screenshot.png"
