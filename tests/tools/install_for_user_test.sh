#!/usr/bin/env bash
# One case of tools/install-for-user.sh with a build's program and icons, in a throwaway home of
# its own. The first check that fails ends the case, and its scratch folder is kept.
#
#   install_for_user_test.sh SOURCE_DIR BUILD_DIR CASE
set -eEuo pipefail
installer=$1/tools/install-for-user.sh
built=$2
scratch=$(realpath "$(mktemp -d "${TMPDIR:-/tmp}/comterm-install-XXXXXX")")
export HOME=$scratch/home
share=$HOME/.local/share
mkdir "$HOME"
cd "$scratch"
trap 'echo "FAILED: $BASH_COMMAND, lines $LINENO ${BASH_LINENO[*]}; kept $scratch" >&2
      cat out.txt >&2' ERR
trap '[ $? -ne 0 ] || rm -rf "$scratch"' EXIT

# Runs the installer with the arguments, its output into out.txt, expecting the status.
run() {
    local status=0
    "$installer" "${@:2}" >out.txt 2>&1 || status=$?
    [ $status -eq "$1" ]
}
said() { grep -qF -- "$1" out.txt; }
# The build's program in the folder, started by the menu entry in the data folder and, with
# HOME, by the command.
installed_in() {
    cmp -s "$built/comterm" "$1/comterm"
    grep -qxF "Exec=\"$1/comterm\"" "${2:-$share}/applications/comterm.desktop"
    [ -n "${2:-}" ] || [ "$(realpath ~/.local/bin/comterm)" = "$1/comterm" ]
}
nothing_installed() { [ -z "$(find "$HOME" -name 'comterm*' -o -name '*.new')" ]; }

cdpath_and_a_relative_folder() {
    CDPATH=. run 0 --built "$built" rel
    installed_in "$scratch/rel"
    CDPATH=. run 0 --uninstall rel
    [ ! -e rel ]
    nothing_installed
}

an_earlier_folder_is_uninstalled_after_another_install() {
    run 0 --built "$built" A
    run 0 --built "$built" B
    run 0 --uninstall A
    said "left the menu entry and icons: they start the comterm in $scratch/B"
    [ ! -e A ]
    installed_in "$scratch/B"
    run 1 --uninstall A
    run 0 --uninstall B
    nothing_installed
}

a_comterm_the_install_did_not_place_stays() {
    mkdir build && cp "$built/comterm" build/
    run 1 --uninstall build
    # An install without its record, as one made before records were kept.
    run 0 --built "$built" build
    rm build/.comterm-install
    run 0 --uninstall build
    said "left $scratch/build/comterm: no record"
    cmp -s "$built/comterm" build/comterm
    nothing_installed
}

a_folder_through_a_link_is_the_same_folder() {
    mkdir real && ln -s real link
    run 0 --built "$built" link
    installed_in "$scratch/real"
    run 0 --uninstall real
    run 0 --built "$built" real
    run 0 --uninstall link
    [ ! -e real ]
    [ "$(grep -c link out.txt)" -eq 0 ]
    nothing_installed
}

without_home_the_data_home_serves() {
    env -u HOME XDG_DATA_HOME="$scratch/data" "$installer" --built "$built" >out.txt
    said "no command comterm: HOME is not set"
    installed_in "$scratch/data/comterm" "$scratch/data"
    HOME='' XDG_DATA_HOME="$scratch/data" "$installer" --uninstall >out.txt
    [ ! -e data/comterm ]
    HOME='' XDG_DATA_HOME=data run 2 --built "$built"
    said "HOME is not set"
    # A relative XDG_DATA_HOME is not a folder under the current one.
    XDG_DATA_HOME=relative run 0 --built "$built"
    installed_in "$share/comterm"
    [ ! -e relative ]
}

nothing_is_made_for_a_refused_install() {
    run 1 --built "$built" $'a\nb'
    run 1 --built "$built" a%b
    mkdir half && cp "$built/comterm" half/
    run 1 --built half new
    said "missing or unreadable: $scratch/half/icons/hicolor/*/apps/comterm.png"
    [ "$(ls -A)" = "$(printf '%s\n' half home out.txt)" ]
    nothing_installed
}

a_failed_install_leaves_the_previous_one_working() {
    run 0 --built "$built" F
    local icon=$share/icons/hicolor/48x48/apps/comterm.png
    rm "$icon" && mkdir -p "$icon/in the way"
    run 1 --built "$built" F
    installed_in "$scratch/F"
    run 1 --built "$built" G
    said "To remove what it placed: $installer --uninstall $scratch/G"
    [ -z "$(find . -name '*.new')" ]
    run 0 --uninstall G
    [ ! -e G ]
    installed_in "$scratch/F"
}

"$3"
