#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The bash completion of trailkeep-cli, run by bash as on a Tab: every command and, for each, every
# option its --help names (and no other), the choices of an option, files and folders for file
# arguments, serial ports for --port.
#   completion.sh TRAILKEEP_CLI COMPLETION_FILE
set -uo pipefail
cli=$(realpath "$1") completion=$2
# shellcheck disable=SC1091
source /usr/share/bash-completion/bash_completion
# shellcheck disable=SC1090
source "$completion"

fail=0
check() { if ! eval "$2"; then echo "FAIL: $1"; fail=1; fi; }

# What a Tab offers after the given words; the last word is the one being completed.
offered() {
    COMP_WORDS=("$cli" "$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE="${COMP_WORDS[*]}"
    COMP_POINT=${#COMP_LINE}
    COMPREPLY=()
    _trailkeep_cli "$cli" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}" 2>/dev/null
    [ ${#COMPREPLY[@]} -eq 0 ] || printf '%s\n' "${COMPREPLY[@]}" | sort -u
}
words() { tr ' ' '\n' <<<"$*" | sed '/^$/d' | sort -u; }

help=$("$cli" --help)
commands=$(grep -oE '^  [a-z]+( |$)' <<<"$help" | tr -d ' ' | sort -u)
check "the help names the commands" '[ "$(wc -l <<<"$commands")" -ge 13 ]'
check "commands offered: $(offered '' | tr '\n' ' ')" \
    '[ "$(offered "")" = "$(words $commands --help --version)" ]'
check "a started command completes" '[ "$(offered ge)" = geotag ]'

# A command's options: every --option and -o in its lines of the help (its synopsis, description
# and option lines, up to the next command or heading).
help_options() {
    local line inside=0
    while IFS= read -r line; do
        if [[ $line =~ ^\ \ ([a-z]+)(\ |$) ]]; then
            [[ ${BASH_REMATCH[1]} == "$1" ]] && inside=1 || inside=0
        elif [[ ! $line =~ ^\  ]]; then
            inside=0
        fi
        ((inside)) && printf '%s\n' "$line"
    done <<<"$help" | grep -oE '(^|[ [])--?[a-z][a-z-]*' | tr -d ' [' | sort -u
}
for command in $commands; do
    check "$command: options offered are those of its help" \
        '[ "$(offered "$command" -)" = "$(help_options "$command")" ]'
done
check "tracks offers its two options" '[ "$(offered tracks x.gpl -)" = "$(words --json --rejects)" ]'
for option in --sync --max-gap --max-extrapolate --zone --offset --overwrite --sidecar --dry-run \
    --undo --json --track; do
    check "geotag offers $option" 'grep -qx -- "$option" <<<"$(offered geotag trip.gpl -)"'
done
check "read offers --port and -o only" '[ "$(offered read -)" = "$(words --port -o)" ]'

# The values of options with choices.
check "--unit offers kph and mph" '[ "$(offered config --unit "")" = "$(words kph mph)" ]'
check "--step offers 1 3 5 10" '[ "$(offered config --step "")" = "$(words 1 3 5 10)" ]'
check "--zone offers auto" '[ "$(offered geotag trip.gpl --zone "")" = auto ]'
check "--offset offers auto" '[ "$(offered geotag trip.gpl --offset "")" = auto ]'
check "a number is not completed" '[ -z "$(offered stats trip.gpl --track "")" ]'

# Files and folders, in a folder of its own.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
mkdir photos && touch trip.gpl notes.txt photos/a.jpg
check "a track file argument offers every file and folder" \
    '[ "$(offered tracks "")" = "$(words notes.txt photos trip.gpl)" ]'
check "-o offers every file" '[ "$(offered kml trip.gpl --track 1 -o "")" = "$(words notes.txt photos trip.gpl)" ]'
check "photos after the project offer every file" \
    '[ "$(offered geotag trip.gpl --track 2 "")" = "$(words notes.txt photos trip.gpl)" ]'
check "inside a folder" '[ "$(offered geotag trip.gpl photos/)" = photos/a.jpg ]'
check "--images offers folders" '[ "$(offered upgrade --images "")" = photos ]'

# Serial ports for --port, never the files of the folder.
ports=$(offered read --port "")
check "--port offers devices only: $ports" '! grep -qv "^/dev/" <<<"$ports"'
if [ -e /dev/ttyS0 ]; then
    check "--port offers /dev/ttyS0" 'grep -qx /dev/ttyS0 <<<"$ports"'
fi
check "--port completes a typed pseudo-terminal path" \
    'grep -q "^/dev/pts/" <<<"$(offered read --port /dev/pts/)"'
if [ -e /dev/ttyS0 ]; then
    check "--port /dev/tty offers serial ports, not consoles" \
        '! grep -qx "/dev/tty[0-9]*" <<<"$(offered read --port /dev/tty)"'
fi

[ $fail -eq 0 ] && echo "completion offers what trailkeep-cli --help names"
exit $fail
