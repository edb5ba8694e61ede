#!/usr/bin/env bash
# Installs every Debian package that building, testing and benchmarking Veltrane need, and
# nothing when they are all there already. Uses sudo when not run as root.
set -euo pipefail

packages=(
    # build
    g++ cmake ninja-build pkg-config
    libcli11-dev libgtest-dev libgmock-dev libbenchmark-dev zlib1g-dev
    # the window (Qt 6 Widgets with Qt Test; the X11 and offscreen platforms come with
    # libqt6gui6), its run under Xvfb driven by xdotool, and metric-compatible fonts
    qt6-base-dev libqt6test6 libgl-dev xvfb xauth xdotool fonts-liberation fonts-dejavu-core
    # validators the end-to-end tests run on real output
    libeccodes-tools libeccodes-data libarchive-tools tar pngcheck jq
    coreutils findutils diffutils file bsdutils
    # benchmarks
    hyperfine time
    # fuzzing: clang with libFuzzer and its sanitizer runtimes
    clang libclang-rt-14-dev
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

as_root=()
if [ "$(id -u)" -ne 0 ]; then
    as_root=(sudo)
fi
echo "deps: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
