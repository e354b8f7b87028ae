#!/usr/bin/env bash
# Seeds each fault of scripts/mutations.txt into a scratch copy of the sources, one at a time,
# builds it and runs the fast C++ suite; a fault is caught when a test fails. Slow (a build and a
# suite per fault), so not part of CI. The scratch build is kept for the next run.
# Usage: scripts/mutate.sh [scratch-dir] [fault-list]
set -euo pipefail
scratch=$(realpath -m "${1:-/tmp/ddr3phy-mutate}")
faults=$(realpath "${2:-$(dirname "$0")/mutations.txt}")
cd "$(dirname "$0")/.."
src=$scratch/src
build=$scratch/build

# The sources are copied afresh each run, but only changed files are replaced, so that the kept
# build stays incremental.
rm -rf "$scratch/fresh" && mkdir -p "$scratch/fresh" "$src"
tar --exclude='./build*' --exclude=./.git -cf - . | tar -xf - -C "$scratch/fresh"
(cd "$scratch/fresh" && find . -type f) | while IFS= read -r f; do
    # A replaced file gets a new time, so that it is newer than its object.
    cmp -s "$scratch/fresh/$f" "$src/$f" ||
        { mkdir -p "$(dirname "$src/$f")" && cp "$scratch/fresh/$f" "$src/$f"; }
done
cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=Release > "$scratch/configure.log"
cmake --build "$build" -j2 > "$scratch/build.log" 2>&1 || {
    echo "mutate: the unmodified copy does not build, see $scratch/build.log" >&2
    exit 2
}

# The HDL tests take minutes each and look at the HDL, which the fault list leaves alone.
suite() {
    QT_QPA_PLATFORM=offscreen ctest --test-dir "$build" -LE 'slow|hdl' -j2 --stop-on-failure \
        > "$scratch/test.log" 2>&1
}
suite || {
    echo "mutate: the unmodified copy fails its tests, see $scratch/test.log" >&2
    exit 2
}

# An interrupted run leaves no fault behind in the copy.
seeded=
trap '[ -z "$seeded" ] || { cp "$scratch/original" "$seeded" && touch "$seeded"; }' EXIT
trap 'exit 130' INT TERM
total=0
caught=0
broken=0
while IFS= read -r entry; do
    [[ -z "${entry// /}" || "$entry" == \#* ]] && continue
    IFS=$'\x1f' read -r file pattern replacement effect <<< "${entry// @@ /$'\x1f'}"
    total=$((total + 1))
    target=$src/$file
    count=$(PAT="$pattern" perl -0ne \
        '($p = $ENV{PAT}) =~ s/\{NL\}/\n/g; $c = () = /\Q$p\E/g; print $c' "$target" 2>/dev/null ||
        echo 0)
    if [ "$count" != 1 ]; then
        printf 'BAD LINE  %s: pattern found %s times: %s\n' "$file" "$count" "$pattern"
        broken=$((broken + 1))
        continue
    fi
    cp -p "$target" "$scratch/original"
    seeded=$target
    PAT="$pattern" REP="$replacement" perl -0pi -e \
        '($p, $r) = map { s/\{NL\}/\n/gr } @ENV{qw(PAT REP)}; s/\Q$p\E/$r/' "$target"
    if ! cmake --build "$build" -j2 > "$scratch/build.log" 2>&1; then
        printf 'NO BUILD  %s: %s\n' "$file" "$effect"
        broken=$((broken + 1))
    elif suite; then
        printf 'SURVIVED  %s: %s\n' "$file" "$effect"
    else
        printf 'caught    %s: %s (%s)\n' "$file" "$effect" \
            "$(sed -n 's/^ *[0-9]*\/[0-9]* Test *#[0-9]*: \([^ ]*\) .*\*\*\*.*/\1/p' \
                "$scratch/test.log" | head -1)"
        caught=$((caught + 1))
    fi
    # A restored file is newer than its object, so the next build compiles it again.
    cp "$scratch/original" "$target"
    touch "$target"
    seeded=
done < "$faults"

cmake --build "$build" -j2 > "$scratch/build.log" 2>&1 || true
counted=$((total - broken))
percent=$((counted > 0 ? 100 * caught / counted : 0))
echo "caught $caught of $counted seeded faults ($percent %); $broken lines not applicable"
[ "$broken" -eq 0 ] && [ $((100 * caught)) -ge $((90 * counted)) ]
