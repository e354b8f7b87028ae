#!/usr/bin/env bash
# Checks ipgen's bash completion against the built ipgen: the function is registered, and each
# typed line (COMP_WORDS/COMP_CWORD as bash fills them) completes to the expected words.
# Also checks `ipgen --version`, which the completion offers.
# Usage: completion.sh SCRIPT IPGEN VERSION
set -u
script=$1 ipgen=$2 version=$3
export QT_QPA_PLATFORM=offscreen
source "$script"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

[[ $(complete -p ipgen) == "complete -F _ipgen ipgen" ]] || fail "complete -p ipgen: $(complete -p ipgen 2>&1)"
[[ $("$ipgen" --version) == "ipgen $version" ]] || fail "ipgen --version: $("$ipgen" --version 2>&1)"

# Completes the line (words after "ipgen"; the last one is being typed), sorted, one line.
completions()
{
    COMP_WORDS=("$ipgen" "$@")
    COMP_CWORD=$#
    COMPREPLY=()
    _ipgen
    printf '%s\n' "${COMPREPLY[@]}" | sort | xargs
}

# expected (exact, sorted, space-separated; "~WORD": contains WORD; "-": nothing) | typed words
while IFS='|' read -r expected line; do
    expected=$(echo $expected)
    [[ -z $expected ]] && continue
    [[ $expected == - ]] && expected=
    eval "words=($line)"
    got=$(completions "${words[@]}")
    if [[ $expected == ~* ]]; then
        [[ " $got " == *" ${expected#\~} "* ]] || fail "[$line] gives '$got', lacks ${expected#\~}"
    elif [[ $expected != "$got" ]]; then
        fail "[$line] gives '$got', expected '$expected'"
    fi
done <<'TABLE'
~generate                                     | ''
~--version                                    | --
generate                                      | gen
--help --json --plugins --settings            | list --
--config --help --out --part --plugins --settings --spd | example -
--condition --config --core                   | generate --co
--names                                       | inspect --na
--file --files-only                           | generate --fi
~ddr3_phy                                     | inspect --core ''
~VX1-10                                       | generate --device VX
verilog vhdl                                  | generate --lang ''
accept                                        | generate --approx a
inspect                                       | help ins
spinMemoryClock=                              | inspect --core ddr3_phy --device VX1-10 --set spinMem
~editOutputDir=                               | inspect --core ddr3_phy --device VX1-10 --set edit
comBoxClkRatio=                               | generate --core ddr3_phy --set comBoxClk
-                                             | generate --set comBoxClk
TABLE

# Part names are the first field of `ipgen parts`; nothing when it fails.
expected=$("$ipgen" parts 2>/dev/null | awk '{ print $1 }' | sort | xargs)
[[ $(completions generate --part '') == "$expected" ]] || fail "--part gives '$(completions generate --part '')'"

((failures == 0)) && echo "completion: all cases pass"
exit $((failures > 0))
