#!/bin/sh
# Seeds the faults of faults.txt one at a time into a scratch copy of the
# core's data folder and runs each one's test on it; every fault must fail
# its test.   faults.sh [TEXT]   (only the lines containing TEXT)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM
grep -v '^#' "$here/faults.txt" | grep -F -- "${1:-}" |
  awk -F ' @@ ' -v OFS='\t' '{ print $1, $2, $3, $4, $5 }' > "$work/list"
caught=0; total=0
while IFS=$(printf '\t') read -r file pat rep test what; do
  total=$((total + 1))
  rm -rf "$work/data"; cp -r "$here/../../core/ddr3phy/data" "$work/data"
  if ! P=$pat R=$rep perl -pi -e '$n += s/\Q$ENV{P}\E/$ENV{R}/g; END { exit($n != 1) }' \
       "$work/data/$file"; then
    echo "STALE  $file: text not found once: $pat"; continue
  fi
  set -- $test
  script=$1; shift
  if HDL_DATA=$work/data sh "$here/$script" "$@" < /dev/null > "$work/log" 2>&1; then
    echo "MISSED $what ($test)"
  else
    caught=$((caught + 1))
    echo "caught $what: $(grep -m1 'ERROR\|FAIL' "$work/log")"
  fi
done < "$work/list"
echo "RESULT: $caught of $total faults caught"
[ $caught = $total ]
