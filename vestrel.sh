#!/usr/bin/env bash
# Set up, build and start Vestrel, or build and run every test.
#   bash vestrel.sh start   install what is missing, build, start the program
#   bash vestrel.sh test    install what is missing, build, run all tests
# Both are idempotent: packages already present are not fetched again, and
# an unchanged tree rebuilds nothing.
set -euo pipefail
cd "$(dirname "$0")"

mode=${1:-start}
build_dir=${VESTREL_BUILD_DIR:-build}
packages=(build-essential cmake ninja-build pkg-config qt6-base-dev libqt6sql6-sqlite qt6-qpa-plugins
          libglpk-dev qt6-charts-dev libqt6opengl6-dev fonts-wqy-microhei python3 python3-xlrd clang libclang-rt-14-dev
          clang-format libxlsxwriter-dev libminizip-dev python3-openpyxl gnumeric libreoffice-calc-nogui)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -q
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

if [ ! -f "$build_dir/build.ninja" ]; then
    cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build_dir" --parallel "$(nproc)"

case "$mode" in
start)
    exec "$build_dir/bin/vestrel"
    ;;
test)
    # Formatting is part of the test run, so style drift fails like a test.
    files=$(git ls-files '*.cpp' '*.h' 2>/dev/null || true)
    if [ -n "$files" ]; then
        clang-format --dry-run --Werror $files
        echo "format check passed"
    fi
    cd "$build_dir"
    ctest --output-on-failure --parallel "$(nproc)" --timeout 600
    ;;
*)
    echo "usage: bash vestrel.sh [start|test]" >&2
    exit 2
    ;;
esac
