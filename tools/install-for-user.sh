#!/usr/bin/env bash
# Installs comterm for the current user, without root: the program in a folder of its own, where
# it keeps Setting.ini and its logs, an entry in the desktop's menu, its icon in the icon theme,
# and the command ~/.local/bin/comterm.
#
#   tools/install-for-user.sh [FOLDER]              builds comterm and installs it into FOLDER
#                                                   (default ~/.local/share/comterm)
#   tools/install-for-user.sh --uninstall [FOLDER]  removes what the install into FOLDER put in
#                                                   place (refused where none is); Setting.ini
#                                                   and the logs stay in FOLDER
#   --built DIR   installs the program and icons of that build directory instead of building
set -euo pipefail

source_dir=$(cd "$(dirname "$0")/.." && pwd)
data_home=${XDG_DATA_HOME:-$HOME/.local/share}
bin_dir=$HOME/.local/bin
default_folder=$data_home/comterm

action=install
built=
folder=
while [ $# -gt 0 ]; do
    case $1 in
        --uninstall) action=uninstall ;;
        --built) built=${2:?--built needs a build directory}; shift ;;
        -h | --help) sed -n '2,11p' "$0" | cut -c3-; exit 0 ;;
        -*) echo "unknown option $1 (see --help)" >&2; exit 2 ;;
        *)
            [ -z "$folder" ] || { echo "one folder only, not also $1 (see --help)" >&2; exit 2; }
            folder=$1 ;;
    esac
    shift
done
folder=${folder:-$default_folder}

refuse() {
    echo "comterm is not installed: $*" >&2
    exit 1
}

# The menu entry's program line, which names the folder of the install it belongs to.
exec_line() {
    printf 'Exec="%s/comterm"' "$1"
}

install_comterm() {
    # The program saves its settings and logs beside itself: a folder it cannot write would
    # lose them at every exit.
    local probe
    if ! mkdir -p -- "$folder" 2>/dev/null ||
        ! probe=$(mktemp -p "$folder" .comterm-probe.XXXXXX 2>/dev/null); then
        refuse "it keeps Setting.ini and its logs beside itself, so it needs a folder you" \
            "can write, and you cannot write $folder. Name a folder of your own, or none for" \
            "$default_folder."
    fi
    rm -f -- "$probe"
    folder=$(cd -- "$folder" && pwd)
    case $folder in
        *[\"\`\$\\%]* | *$'\n'*)
            refuse "the menu entry cannot name a program in $folder (\", \`, \$, \\ or %);" \
                "choose a folder without them." ;;
    esac

    if [ -z "$built" ]; then
        built=$source_dir/build-release
        cmake -S "$source_dir" -B "$built" -DCMAKE_BUILD_TYPE=Release -DCOMTERM_TESTS=OFF >/dev/null
        cmake --build "$built" -j"$(nproc)" --target comterm icons
    fi
    [ -x "$built/comterm" ] && [ -d "$built/icons/hicolor" ] ||
        refuse "$built holds no built comterm and icons."

    # Copied beside the old one and renamed over it, so that a running comterm goes on.
    cp -- "$built/comterm" "$folder/.comterm.new"
    chmod 755 "$folder/.comterm.new"
    mv -f -- "$folder/.comterm.new" "$folder/comterm"

    local png size
    for png in "$built"/icons/hicolor/*/apps/comterm.png; do
        size=$(basename "$(dirname "$(dirname "$png")")")
        mkdir -p "$data_home/icons/hicolor/$size/apps"
        cp -- "$png" "$data_home/icons/hicolor/$size/apps/comterm.png"
    done
    touch "$data_home/icons/hicolor" # the theme's caches look at the folder's time

    # The menu entry of the tree, starting this program by its full path: the menu's search
    # path need not hold ~/.local/bin.
    mkdir -p "$data_home/applications"
    local line entry=$data_home/applications/comterm.desktop
    while IFS= read -r line; do
        case $line in
            Exec=*) exec_line "$folder"; echo ;;
            *) printf '%s\n' "$line" ;;
        esac
    done <"$source_dir/src/app/posix/comterm.desktop" >"$entry.new"
    mv -f -- "$entry.new" "$entry"

    mkdir -p "$bin_dir"
    if [ -e "$bin_dir/comterm" ] && [ ! -L "$bin_dir/comterm" ]; then
        echo "$bin_dir/comterm is a file of yours: left as it is, no command comterm." >&2
    else
        ln -sfn -- "$folder/comterm" "$bin_dir/comterm"
    fi

    echo "comterm is installed in $folder: in the menu as comterm, and as the command $bin_dir/comterm."
    local again
    again=$(printf '%q --uninstall' "$0")
    [ "$folder" = "$(cd -- "$default_folder" 2>/dev/null && pwd)" ] ||
        again+=$(printf ' %q' "$folder")
    echo "Its settings and logs will be kept there. To remove it: $again"
}


uninstall_comterm() {
    if [ -d "$folder" ]; then
        folder=$(cd -- "$folder" && pwd)
    else
        folder=$(realpath -ms -- "$folder")
    fi
    # The menu entry, the icons and the command belong to one install: only that install's
    # folder takes them away.
    local entry=$data_home/applications/comterm.desktop
    if ! grep -qxF -- "$(exec_line "$folder")" "$entry" 2>/dev/null; then
        echo "comterm is not installed in $folder: nothing removed." >&2
        exit 1
    fi
    rm -f -- "$folder/comterm"
    rm -f -- "$entry"
    local icon
    for icon in "$data_home"/icons/hicolor/*/apps/comterm.png; do
        [ -e "$icon" ] || continue
        rm -f -- "$icon"
        # The size's folders go too when nothing else is in them.
        rmdir -- "$(dirname "$icon")" "$(dirname "$(dirname "$icon")")" 2>/dev/null || true
    done
    if [ -L "$bin_dir/comterm" ] && [ "$(readlink -- "$bin_dir/comterm")" = "$folder/comterm" ]; then
        rm -f -- "$bin_dir/comterm"
    fi
    # Only an empty folder goes: the user's settings and logs stay.
    if rmdir -- "$folder" 2>/dev/null; then
        echo "comterm is removed."
    else
        echo "comterm is removed; its settings and logs stay in $folder."
    fi
}

"${action}_comterm"
