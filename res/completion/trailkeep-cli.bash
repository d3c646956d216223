# SPDX-License-Identifier: GPL-3.0-or-later
# bash completion of trailkeep-cli: its commands, each command's options, files and folders for
# file arguments, serial ports for --port and the choices of options such as --unit kph|mph.
#
# The commands and options come from the program's own --help, read once per program, so the
# completion offers what the installed program takes and nothing else. In that text a command
# starts at two spaces ("  gpx FILE [--track N] -o OUT"), its synopsis continues at nine and its
# options are described at six ("      --track N   ...").

# Prints "COMMAND" lines, then for the command $2 one "OPTION PLACEHOLDER" line per option (the
# placeholder empty for a flag).
_trailkeep_cli_parse() {
    awk -v want="$2" '
        function words(text,    n, i, w, option) {
            gsub(/[][]/, " ", text)
            n = split(text, w, /[ \t]+/)
            option = ""
            for (i = 1; i <= n; i++) {
                if (w[i] == "" || w[i] == "...") continue
                if (w[i] ~ /^--?[a-z]/) {
                    if (option != "") print option " "
                    option = w[i]
                } else if (option != "" && w[i] !~ /\.\.\.$/) {
                    print option " " w[i]
                    option = ""
                } else {
                    if (option != "") print option " "
                    option = ""
                }
            }
            if (option != "") print option " "
        }
        /^  [a-z]+( |$)/ {
            split($0, first, /[ \t]+/)
            print "COMMAND " first[2]
            current = first[2]
            sub(/^  [a-z]+/, "")
            if (current == want) words($0)
            next
        }
        /^    -/ && current == want {
            line = $0
            sub(/^ +/, "", line)
            split(line, part, /  +/)
            words(part[1])
            next
        }
        /^         [^ ]/ && current == want { words($0); next }
        /^[^ ]/ { current = "" }
    ' <<<"$1"
}

# The serial ports the system has, by name and by id.
_trailkeep_cli_ports() {
    local port
    for port in /dev/serial/by-id/* /dev/ttyUSB* /dev/ttyACM* /dev/ttyS* /dev/rfcomm*; do
        [[ -e $port ]] && printf '%s\n' "$port"
    done
}

# Completes the value of an option by its placeholder in the help.
_trailkeep_cli_value() {
    local placeholder=$1 cur=$2
    case $placeholder in
    DEV)
        COMPREPLY=($(compgen -W "$(_trailkeep_cli_ports)" -- "$cur"))
        # A path no port listed starts with, such as the simulator's /dev/pts/N, typed out.
        [[ ${#COMPREPLY[@]} -eq 0 && $cur == /?* ]] && _filedir
        ;;
    DIR) _filedir -d ;;
    *\|*) COMPREPLY=($(compgen -W "$(tr '|' '\n' <<<"$placeholder" | grep -v '[A-Z]')" -- "$cur")) ;;
    *FILE* | *OUT* | *PHOTO* | *FOLDER* | *PROJECT* | *.*) _filedir ;;
    esac
}

_trailkeep_cli() {
    local cur prev words cword
    _init_completion || return

    local help
    help=$("${words[0]}" --help 2>/dev/null) || return
    local commands
    commands=$(_trailkeep_cli_parse "$help" "" | awk '$1 == "COMMAND" { print $2 }' | sort -u)

    if ((cword == 1)); then
        COMPREPLY=($(compgen -W "$commands --help --version" -- "$cur"))
        return
    fi

    local command=${words[1]} options
    options=$(_trailkeep_cli_parse "$help" "$command" | grep -v '^COMMAND ')
    local -A takes=()
    local option placeholder
    while read -r option placeholder; do
        [[ -n $option ]] || continue
        # An option listed twice with different values ("--offset SECONDS", "--offset auto")
        # offers both.
        if [[ -n ${takes[$option]-} && -n $placeholder && ${takes[$option]} != "$placeholder" ]]; then
            takes[$option]="${takes[$option]}|$placeholder"
        elif [[ -n $placeholder || -z ${takes[$option]+set} ]]; then
            takes[$option]=$placeholder
        fi
    done <<<"$options"

    if [[ -n ${takes[$prev]-} ]]; then
        _trailkeep_cli_value "${takes[$prev]}" "$cur"
        return
    fi
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "${!takes[*]}" -- "$cur"))
        return
    fi

    # A positional argument: a track file, photo or folder.
    _filedir
}

complete -F _trailkeep_cli trailkeep-cli
