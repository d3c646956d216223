# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the scripts that run the desktop program away from its build folder.
#   private_program BIN WORK LANGUAGE
# makes WORK/program a copy of the program's pages, their libraries and its language file (set to
# LANGUAGE, 0 English or 1 Chinese; never a data.js), and gives the run a home of its own under
# WORK, so it neither writes into the build nor reads or fills the user's settings and caches.
private_program() {
    local bin=$1 work=$2 language=$3
    local prog=$work/program
    mkdir -p "$prog"
    cp -r "$bin/lib" "$prog/"
    for f in "$bin"/*.html "$bin"/*.js "$bin"/*.css "$bin"/language.ini; do
        [ "$(basename "$f")" = data.js ] || cp "$f" "$prog/"
    done
    sed -i "s/^Language=.*/Language=$language/" "$prog/language.ini"
    export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_CACHE_HOME=$work/home/.cache
    export XDG_DATA_HOME=$work/home/.local/share XDG_RUNTIME_DIR=$work/runtime
    mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
}
