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
#
# Without HOME it works from an absolute XDG_DATA_HOME, and makes no command comterm.
set -euo pipefail

usage_error() {
    echo "$* (see --help)" >&2
    exit 2
}

action=install
built=
folder=
while [ $# -gt 0 ]; do
    case $1 in
        --uninstall) action=uninstall ;;
        --built)
            [ $# -ge 2 ] || usage_error "--built needs a build directory"
            built=$2
            shift ;;
        -h | --help) sed -n '2,13p' "$0" | cut -c3-; exit 0 ;;
        -*) usage_error "unknown option $1" ;;
        *)
            [ -z "$folder" ] || usage_error "one folder only, not also $1"
            folder=$1 ;;
    esac
    shift
done

# The XDG base directory rules ignore a relative XDG_DATA_HOME.
data_home=
case ${XDG_DATA_HOME:-} in /*) data_home=$XDG_DATA_HOME ;; esac
bin_dir=
if [ -n "${HOME:-}" ]; then
    data_home=${data_home:-$HOME/.local/share}
    bin_dir=$HOME/.local/bin
elif [ -z "$data_home" ]; then
    echo "HOME is not set, nor XDG_DATA_HOME to an absolute folder: there is no place for" \
        "comterm's menu entry. Set one of them." >&2
    exit 2
fi

# A path with every link resolved, also where it does not exist yet, into the variable named;
# a name ending in a line break keeps it.
resolve() {
    local path
    path=$(realpath -m -- "$2" && echo .)
    printf -v "$1" '%s' "${path%$'\n.'}"
}

source_dir=$(realpath -- "$(dirname -- "$0")/..")
resolve default_folder "$data_home/comterm"
resolve folder "${folder:-$default_folder}"
[ -z "$built" ] || resolve built "$built"
entry=$data_home/applications/comterm.desktop
# What the install places in the folder, listed in its record there before it is placed.
record=$folder/.comterm-install
placed=(comterm .comterm.new)

refuse() {
    echo "comterm is not installed: $*" >&2
    exit 1
}

# The menu entry's program line, which names the folder of the install it belongs to.
exec_line() {
    printf 'Exec="%s/comterm"' "$1"
}

# The file being written, removed if the install stops; a stop once the install has begun to
# place files says how to remove them.
pending=
placing=0
stopped() {
    local status=$?
    [ -z "$pending" ] || rm -f -- "$pending"
    [ $status -eq 0 ] || [ $placing -eq 0 ] ||
        echo "The install into $folder stopped before its end: what it would have replaced" \
            "works as before. To remove what it placed: $(uninstall_command)" >&2
}
trap stopped EXIT
# Writes the output of a command beside the destination and renames it over it: what was there
# goes on working (a running comterm too) until the new one is whole.
put() { # DESTINATION MODE COMMAND...
    local destination=$1 mode=$2
    shift 2
    pending=${destination%/*}/.${destination##*/}.new
    "$@" >"$pending"
    chmod "$mode" "$pending"
    mv -fT -- "$pending" "$destination"
    pending=
}

menu_entry() {
    local line
    while IFS= read -r line; do
        case $line in
            Exec=*) exec_line "$folder"; echo ;;
            *) printf '%s\n' "$line" ;;
        esac
    done <"$source_dir/src/app/posix/comterm.desktop"
}

# The command that uninstalls from the folder, to paste as it is.
uninstall_command() {
    printf '%q --uninstall' "$(realpath -- "$0")"
    [ "$folder" = "$default_folder" ] || printf ' %q' "$folder"
}

record_text() {
    echo "# Placed here by install-for-user.sh; its --uninstall removes them."
    printf '%s\n' "${placed[@]}"
}

install_comterm() {
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
    local source missing=()
    [ -f "$built/comterm" ] && [ -r "$built/comterm" ] && [ -x "$built/comterm" ] ||
        missing+=("the program $built/comterm")
    for source in "$built"/icons/hicolor/*/apps/comterm.png \
        "$source_dir/src/app/posix/comterm.desktop"; do
        [ -f "$source" ] && [ -r "$source" ] || missing+=("$source")
    done
    [ ${#missing[@]} -eq 0 ] || refuse "missing or unreadable: ${missing[*]}"

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

    placing=1
    put "$record" 644 record_text
    put "$folder/comterm" 755 cat -- "$built/comterm"
    local png size
    for png in "$built"/icons/hicolor/*/apps/comterm.png; do
        size=${png%/apps/comterm.png}
        size=${size##*/}
        mkdir -p "$data_home/icons/hicolor/$size/apps"
        put "$data_home/icons/hicolor/$size/apps/comterm.png" 644 cat -- "$png"
    done
    touch "$data_home/icons/hicolor" # the theme's caches look at the folder's time
    # The menu entry of the tree, starting this program by its full path: the menu's search
    # path need not hold ~/.local/bin.
    mkdir -p "$data_home/applications"
    put "$entry" 644 menu_entry

    local command="as the command $bin_dir/comterm" target
    [ -z "$bin_dir" ] || resolve target "$bin_dir/comterm"
    if [ -z "$bin_dir" ]; then
        command="as $folder/comterm (no command comterm: HOME is not set)"
    elif [ "$target" = "$folder/comterm" ]; then
        : # the command already starts this program, or is the program
    elif [ -e "$bin_dir/comterm" ] && [ ! -L "$bin_dir/comterm" ]; then
        echo "$bin_dir/comterm is a file of yours: left as it is, no command comterm." >&2
        command="as $folder/comterm"
    else
        mkdir -p "$bin_dir"
        ln -sfn -- "$folder/comterm" "$bin_dir/comterm"
    fi

    echo "comterm is installed in $folder: in the menu as comterm, and $command."
    echo "Its settings and logs will be kept there. To remove it: $(uninstall_command)"
}

uninstall_comterm() {
    # The menu entry, the icons and the command belong to one install: only that install's
    # folder takes them away.
    local owner
    owner=$(sed -n 's|^Exec="\(.*\)/comterm"$|\1|p' "$entry" 2>/dev/null) || true
    [ -z "$owner" ] || resolve owner "$owner"
    if [ ! -f "$record" ] && [ "$owner" != "$folder" ]; then
        echo "comterm is not installed in $folder: nothing removed." >&2
        exit 1
    fi

    local removed=() left=() name
    if [ -f "$record" ]; then
        # Only names the install places, whatever else the record may hold.
        for name in "${placed[@]}"; do
            if grep -qxF -- "$name" "$record" && [ -e "$folder/$name" ]; then
                rm -f -- "$folder/$name"
                removed+=("$folder/$name")
            fi
        done
        rm -f -- "$record"
    elif [ -e "$folder/comterm" ]; then
        left+=("$folder/comterm: no record of the install says it placed it")
    fi

    if [ "$owner" = "$folder" ]; then
        rm -f -- "$entry"
        removed+=("the menu entry $entry")
        local icon
        for icon in "$data_home"/icons/hicolor/*/apps/comterm.png; do
            [ -e "$icon" ] || continue
            rm -f -- "$icon"
            # The size's folders go too when nothing else is in them.
            rmdir -- "${icon%/*}" "${icon%/apps/*}" 2>/dev/null || true
        done
        removed+=("the icons in $data_home/icons/hicolor")
    elif [ -n "$owner" ]; then
        left+=("the menu entry and icons: they start the comterm in $owner")
    fi

    # The command goes with the program it starts.
    local target
    if [ -z "$bin_dir" ]; then
        left+=("any command comterm: HOME is not set, so its place is unknown")
    elif [ -L "$bin_dir/comterm" ]; then
        resolve target "$bin_dir/comterm"
        if [ "$target" = "$folder/comterm" ]; then
            rm -f -- "$bin_dir/comterm"
            removed+=("the command $bin_dir/comterm")
        else
            left+=("the command $bin_dir/comterm: it starts $target")
        fi
    fi

    # Only an empty folder goes: the user's settings and logs stay.
    if rmdir -- "$folder" 2>/dev/null; then
        removed+=("the folder $folder, left empty")
    elif [ -d "$folder" ]; then
        left+=("$folder with what else is in it: your settings and logs")
    fi
    echo "comterm is uninstalled from $folder:"
    [ ${#removed[@]} -eq 0 ] || printf '  removed %s\n' "${removed[@]}"
    [ ${#left[@]} -eq 0 ] || printf '  left %s\n' "${left[@]}"
}

"${action}_comterm"
