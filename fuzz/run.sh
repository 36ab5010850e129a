#!/usr/bin/env bash
# Builds the fuzz targets with clang 14 (libFuzzer, ASan, UBSan), replays the seed corpus and
# the regression inputs, then fuzzes each target for a while.
# Usage: fuzz/run.sh [seconds per target, default 30] [build directory, default build-fuzz]
# Exit status: non-zero when a replay or a fuzzing run found a crash; the crashing inputs are
# left in <build directory>/fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
build_dir=${2:-build-fuzz}
targets=(readingfile scramble)

# libFuzzer comes with clang's runtime libraries, a package of its own on Debian.
scripts/install-deps.sh clang-14 libclang-rt-14-dev

cmake -S . -B "$build_dir" -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DBODYASTRO_BUILD_TESTS=OFF -DBODYASTRO_BUILD_FUZZERS=ON
cmake --build "$build_dir" -j"$(nproc)" --target "${targets[@]/#/fuzz_}"

# Qt's own allocations at exit are not this program's leaks; leaks inside one input still are.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}

# The reading-file target writes files on every input, and saving syncs them to disk: on a
# RAM-backed folder that costs nothing, on a real disk it makes fuzzing 20 times slower.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then
    export TMPDIR=/dev/shm
fi

status=0
echo "== Replaying the seed corpus and the regression inputs =="
ctest --test-dir "$build_dir/fuzz" -L fuzz --output-on-failure || status=1

for target in "${targets[@]}"; do
    echo "== Fuzzing $target for $seconds s =="
    work="$build_dir/fuzz/corpus-work/$target"
    artifacts="$build_dir/fuzz/artifacts/$target"
    mkdir -p "$work" "$artifacts"
    # New inputs go to the first folder only, so the seeds in the source tree stay as they are.
    folders=("$work" "fuzz/corpus/$target")
    [ -d "fuzz/regressions/$target" ] && folders+=("fuzz/regressions/$target")
    max_len=4096
    # A few of the reader's 4 KiB chunks. Lines past the 32767 bytes it keeps are too slow to
    # fuzz; the overlong-name seed checks them in the replay above.
    [ "$target" = readingfile ] && max_len=9000
    if ! "$build_dir/fuzz/fuzz_$target" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 \
        -print_final_stats=1 -artifact_prefix="$artifacts/" "${folders[@]}"; then
        echo "fuzz_$target found a crash; the input is in $artifacts" >&2
        status=1
    fi
done
exit $status
