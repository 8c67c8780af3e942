#!/usr/bin/env bash
# Set up, build and start Vestrel, or build and run every test.
#   bash vestrel.sh start   install what is missing, build the program, install it into ~/Vestrel, start it
#   bash vestrel.sh test    install what is missing, build everything, check the format, run every test
# Both are idempotent: packages already present are not fetched again, and an unchanged tree rebuilds
# nothing. VESTREL_BUILD_DIR (default build) and VESTREL_PROGRAM_DIR (default ~/Vestrel) move the folders.
set -euo pipefail
cd "$(dirname "$0")"

usage() {
    echo "usage: bash vestrel.sh [start|test]" >&2
    echo "  start  build the program, install it into ${VESTREL_PROGRAM_DIR:-~/Vestrel} and start it (default)" >&2
    echo "  test   build everything, check the format, run every test" >&2
}

mode=${1:-start}
case "$mode" in
start | test) ;;
-h | --help | help)
    usage
    exit 0
    ;;
*)
    echo "vestrel.sh: unknown argument '$mode'" >&2
    usage
    exit 2
    ;;
esac
if [ $# -gt 1 ]; then
    echo "vestrel.sh: too many arguments" >&2
    usage
    exit 2
fi

build_dir=${VESTREL_BUILD_DIR:-build}
program_dir=${VESTREL_PROGRAM_DIR:-$HOME/Vestrel}
jobs=$(nproc)

# What the program needs to build and run (file: for `cpack -G DEB`); the tests add the workbook reader
# and the format checker.
packages=(build-essential cmake ninja-build pkg-config qt6-base-dev libqt6sql6-sqlite qt6-qpa-plugins
          qt6-wayland qt6-translations-l10n libglpk-dev qt6-charts-dev libqt6opengl6-dev libxlsxwriter-dev
          libminizip-dev fonts-wqy-microhei file)
if [ "$mode" = test ]; then
    packages+=(git python3 python3-xlrd python3-olefile python3-openpyxl gnumeric libreoffice-calc-nogui clang-format)
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    if [ "$(id -u)" -eq 0 ]; then
        as_root=(env)
    elif command -v sudo >/dev/null; then
        as_root=(sudo env)
    else
        echo "vestrel.sh: these Debian packages are missing and installing them needs root or sudo:" >&2
        echo "  apt-get install ${missing[*]}" >&2
        exit 1
    fi
    # env carries DEBIAN_FRONTEND through sudo, which drops the caller's environment.
    "${as_root[@]}" DEBIAN_FRONTEND=noninteractive apt-get update -q
    "${as_root[@]}" DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

if [ ! -f "$build_dir/build.ninja" ]; then
    cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi

case "$mode" in
start)
    # Only the program and what it reads at run time; its data stays in the program folder, outside build/.
    cmake --build "$build_dir" --target vestrel_program --parallel "$jobs"
    # Earlier versions kept the data in build/bin, where rm -rf build deletes it: carry it over once.
    if [ -f "$build_dir/bin/coal.dat" ] && [ ! -e "$program_dir/coal.dat" ]; then
        mkdir -p "$program_dir"
        cp -p "$build_dir/bin/coal.dat" "$program_dir/"
        if [ -d "$build_dir/bin/bakup" ]; then cp -Rp "$build_dir/bin/bakup" "$program_dir/"; fi
        echo "Copied coal.dat and bakup/ from $build_dir/bin to $program_dir"
    fi
    cmake --install "$build_dir" --prefix "$program_dir" --component program --strip >/dev/null
    echo "Vestrel is in $program_dir"
    exec "$program_dir/vestrel"
    ;;
test)
    cmake --build "$build_dir" --parallel "$jobs"
    # Formatting is part of the test run, so style drift fails like a test.
    if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
        files=$(git ls-files '*.cpp' '*.h')
    else
        files=$(find src tests bench fuzz -name '*.cpp' -o -name '*.h')
    fi
    if [ -n "$files" ]; then
        # shellcheck disable=SC2086
        clang-format --dry-run --Werror $files
        echo "format check passed"
    fi
    cd "$build_dir"
    ctest --output-on-failure --parallel "$jobs" --timeout 600
    ;;
esac
