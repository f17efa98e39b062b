#!/usr/bin/env bash
# The bash completion of omniset-cli: field names and their words come from the
# omniset-cli being completed (fields --plain), and each command is offered the records
# it takes. Runs with bash-completion when it is installed, otherwise with a minimal
# _init_completion and _filedir of its own.
# Usage: completion_test.sh COMPLETION_SCRIPT OMNISET_CLI
set -uo pipefail
script=$(realpath "$1") cli=$(realpath "$2")
failures=0

real=0
if [ -f /usr/share/bash-completion/bash_completion ]; then
    source /usr/share/bash-completion/bash_completion
    declare -F _init_completion >/dev/null && real=1
fi
if ((!real)); then
    _init_completion() {
        words=("${COMP_WORDS[@]}")
        cword=$COMP_CWORD
        cur=${words[cword]}
        prev=${words[cword - 1]}
    }
    _filedir() {
        local IFS=$'\n'
        COMPREPLY+=($(compgen -f -X "!*.${1:-*}" -- "$cur"))
    }
fi
source "$script"

# What the completion offers for a command line whose last word is being completed, one
# a line, sorted. bash splits words at the word breaks ("a=b" is "a" "=" "b"), which
# bash-completion's _init_completion -n = joins again; the stand-in is given them joined.
offered() {
    COMP_WORDS=("$cli")
    COMP_LINE="$cli $*"
    COMP_POINT=${#COMP_LINE}
    local w
    for w in "$@"; do
        if ((real)) && [[ $COMP_WORDBREAKS == *=* && $w == *=* ]]; then
            COMP_WORDS+=("${w%%=*}" "=" "${w#*=}")
        else
            COMP_WORDS+=("$w")
        fi
    done
    set -- "${COMP_WORDS[@]:1}"
    COMP_CWORD=$#
    COMPREPLY=()
    _omniset_cli omniset-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    ((${#COMPREPLY[@]})) && printf '%s\n' "${COMPREPLY[@]}" | sort
}

expect() { # expect WHAT EXPECTED -- WORDS...: the completion offers exactly EXPECTED (blank separated)
    local what=$1 want got
    want=$(printf '%s\n' $2 | sort)
    shift 3
    got=$(offered "$@")
    if [ "$got" != "$want" ]; then
        echo "FAIL: $what: offered [$(echo $got)], expected [$(echo $want)]"
        ((failures++))
    fi
}

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch" && touch before.json notes.txt

expect "the parity words" "odd even none" -- set data.async.parity=
expect "a word of a bool" "true" -- set data.check_dtr=t
expect "a threshold's word" "disabled" -- set data.bod.upper_threshold=
expect "nothing for a text" "" -- set tel1.msn=
expect "set --profile" "current 0 1 2 3 4" -- set --profile ""
expect "restore --profile" "current 0 1 2 3 4 quick_dial" -- restore x.json --profile ""
expect "show's record" "current 0 1 2 3 4" -- show ""
expect "diff's second argument" "current 0 1 2 3 4 before.json" -- diff before.json ""
expect "diff's first argument" "before.json" -- diff ""
expect "flash's options" "--no-backup --yes --json --help" -- flash -
expect "info's options" "--json --help" -- info -

# Names: those of fields --plain that start with what was typed, each with "=".
names=$("$cli" fields --plain | while read -r name _; do [[ $name == data.a* ]] && echo "$name="; done)
[ "$(echo "$names" | wc -l)" -ge 5 ] || { echo "FAIL: fields --plain gave too few data.a names"; ((failures++)); }
expect "names starting with data.a" "$names" -- set data.a
expect "the quick-dial names" "quick_dial.1= quick_dial.2= quick_dial.3= quick_dial.4=" -- set quick

# Without "=" among the word breaks readline replaces the whole NAME=VALUE.
COMP_WORDBREAKS=${COMP_WORDBREAKS//=/}
expect "whole assignments" "data.async.parity=odd data.async.parity=even data.async.parity=none" -- set data.async.parity=
((failures == 0)) && echo "completion: all cases passed"
exit $((failures > 0))
