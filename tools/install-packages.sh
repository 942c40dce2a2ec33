#!/usr/bin/env bash
# Installs the Debian packages comterm needs to build, run and test, when any is missing.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev fonts-liberation2
    # Qt's platform accessibility switch, which the receive view's tests turn on as a client would.
    qt6-base-private-dev
    # Condensed and light weights, for the font dialog's tests of weights other than 400 and 700.
    fonts-dejavu-extra
    # The fonts ghostscript and ImageMagick bring along, under which "Courier" is Nimbus Mono PS:
    # the tests must hold whichever fonts a desktop has.
    fonts-urw-base35
    libgtest-dev libbenchmark-dev
    xvfb xdotool x11-utils libx11-dev
    # A Wayland desktop with its X server for X programs, and Qt's Wayland platform.
    weston xwayland qt6-wayland
    # Checks the menu entry the per-user install puts in place.
    desktop-file-utils
    # A private accessibility bus and a client of it, for the screen reader's view of the window.
    dbus at-spi2-core python3-gi gir1.2-atspi-2.0
    # The screen reader users have, with its speech server, which the end-to-end tests run.
    orca speech-dispatcher speech-dispatcher-espeak-ng
    clang libclang-rt-14-dev
    g++-mingw-w64-x86-64-posix wine wine64
)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q -o DPkg::Lock::Timeout=600 "${missing[@]}"
