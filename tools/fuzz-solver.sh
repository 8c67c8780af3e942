#!/usr/bin/env bash
# Builds the model-reader fuzzer with clang in its own build folder and runs it for a bounded time.
#   bash tools/fuzz-solver.sh [seconds]     (default 60; VESTREL_FUZZ_BUILD_DIR overrides build-fuzz)
# An input that crashes or hangs is written to tests/solver/crashers/. Keep it there: once the fault is
# fixed, the solver tests replay every file of that folder and of tests/solver/fuzz-corpus/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
build_dir=${VESTREL_FUZZ_BUILD_DIR:-$root/build-fuzz}

if [ ! -f "$build_dir/build.ninja" ]; then
    CC=clang CXX=clang++ cmake -S "$root" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DVESTREL_FUZZ=ON -DVESTREL_TESTS=OFF
fi
cmake --build "$build_dir" --target fuzz_model_reader --parallel 2

# New inputs go to a scratch corpus in the build folder; the seeds in the source tree stay as they are.
mkdir -p "$build_dir/corpus" "$root/tests/solver/crashers"
"$build_dir/bin/fuzz_model_reader" "$build_dir/corpus" "$root/tests/solver/fuzz-corpus" \
    -dict="$root/fuzz/model.dict" -max_total_time="$seconds" -timeout=10 -max_len=4096 -rss_limit_mb=2048 \
    -artifact_prefix="$root/tests/solver/crashers/" -print_final_stats=1
