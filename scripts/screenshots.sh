#!/usr/bin/env bash
# Takes the README's pictures under Xvfb, unattended: the DDR3 PHY dialog as it opens from ipgen's
# window, and the window after that dialog generated the default core (netlist and template
# open, netlist in the project). Needs xvfb, xdotool, imagemagick and yosys (scripts/setup.sh).
# Usage: scripts/screenshots.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
images=$PWD/docs/images
build=$(realpath "${1:-build}")
work=$(mktemp -d /tmp/ddr3phy-screenshots.XXXXXX)
mkdir -p "$images" "$work/board"

Xvfb -displayfd 3 -screen 0 1280x1000x24 -nolisten tcp 3> "$work/display" 2> "$work/xvfb.log" &
xvfb=$!
ipgen=
cleanup() {
    [ -n "$ipgen" ] && kill "$ipgen" 2> /dev/null
    kill "$xvfb" 2> /dev/null
    rm -rf "$work"
}
trap cleanup EXIT
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$work/display") QT_QPA_PLATFORM=xcb
export IPGEN_SETTINGS=$work/ipgen.ini # none: Yosys from PATH

# The id of the visible window titled exactly $1, once it is there and painted.
window() {
    for _ in $(seq 100); do
        local id
        id=$(xdotool search --onlyvisible --name "^$1\$" 2> /dev/null | head -1) || true
        [ -n "$id" ] && { sleep 1; echo "$id"; return; }
        sleep 0.2
    done
    echo "screenshots: no window \"$1\"" >&2
    return 1
}

(cd "$work/board" && exec "$build/ipgen" gui > "$work/ipgen.log" 2>&1) &
ipgen=$!
main=$(window "IP Core Generator")
# A double click on the catalogue's only core, selected at start, opens its dialog.
xdotool mousemove --window "$main" 85 184 click --repeat 2 --delay 100 1
dialog=$(window "DDR3 PHY")
timeout 30 import -window "$dialog" "$images/dialog.png"

# OK is the dialog's default button.
xdotool windowfocus --sync "$dialog" key Return
for _ in $(seq 300); do
    [ -f "$work/board/ddr3_phy.v" ] && ! xdotool search --onlyvisible --name "^DDR3 PHY\$" > /dev/null &&
        break
    sleep 0.2
done
[ -f "$work/board/ddr3_phy.v" ] || { echo "screenshots: no netlist generated" >&2; exit 1; }
# The default core draws two warnings from the generation report; their box is answered first.
report=$(window "Generation Report")
xdotool windowfocus --sync "$report" key Return
sleep 1
timeout 30 import -window "$main" "$images/window.png"
echo "$images/dialog.png $images/window.png"
