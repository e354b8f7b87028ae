#!/bin/sh
# Installs a build into a scratch root and runs the installed ipgen from there: it has to find
# its host library, plug-in with its companion and share folder next to itself, not in the build
# tree. Then the installed ipgen makes an example design, which must simulate to PASS.
# Usage: scripts/install-check.sh BUILD_DIR
set -eu
build=$1
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT INT TERM
cmake --install "$build" --prefix "$root/usr" > "$root/install.log"
app=$root/usr/lib/ddr3phy-generator
for f in plugins/libddr3phy.so plugins/libddr3phy_ext.so plugins/ddr3phy/ddr3phy.ipspec plugins/ddr3phy/data/DDR3_PHY_TOP.v \
    plugins/ddr3phy/doc/ddr3phy_help.html share/devices.csv share/veltra_prims.v \
    ../../share/doc/ddr3phy-generator/README.md; do
    [ -f "$app/$f" ] || { echo "not installed: $f"; exit 1; }
done
if ! ldd "$app/ipgen" | grep -q "libipcorehost.so => $app/"; then
    echo "installed ipgen does not use its own host library:"
    ldd "$app/ipgen" | grep ipcorehost
    exit 1
fi
out=$(cd "$root" && QT_QPA_PLATFORM=offscreen usr/bin/ipgen list)
case "$out" in
ddr3_phy*) echo "$out" ;;
*) echo "installed ipgen lists: $out"; exit 1 ;;
esac
# The example design comes from the companion: a files-only generation, then its kit.
(cd "$root" && QT_QPA_PLATFORM=offscreen usr/bin/ipgen generate --core ddr3_phy --device VX1-10 \
    --condition C6/I5 --files-only --out "$root/gen" > /dev/null &&
    QT_QPA_PLATFORM=offscreen usr/bin/ipgen example --config "$root/gen/ddr3_phy.ipc" \
        --out "$root/kit" > /dev/null) || { echo "installed ipgen example failed"; exit 1; }
[ -x "$root/kit/sim/run.sh" ] || { echo "installed ipgen example wrote no sim/run.sh"; exit 1; }
# The kit simulates as it stands with the Icarus Verilog the package recommends.
sim=$(cd "$root/kit/sim" && ./run.sh 2>&1) || true
case "$(echo "$sim" | tail -1)" in
PASS:*) echo "$sim" | tail -1 ;;
*) echo "$sim" | tail -5; echo "the installed example's sim/run.sh did not PASS"; exit 1 ;;
esac
