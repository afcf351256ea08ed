#!/usr/bin/env bash
# Fuzzes the targets with libFuzzer, the project's own libraries instrumented
# (clang, AddressSanitizer and UndefinedBehaviorSanitizer).
#
#   bash fuzz/run.sh [SECONDS] [TARGET...]
#
# Each target runs SECONDS (default 600) with a fixed seed from its seeds,
# its past findings and the third-party cabinets beside the checkout; new
# inputs gather in build-fuzz/corpus/TARGET. A crash, leak, timeout or
# sanitizer report stops the run with a non-zero status and leaves the input
# in build-fuzz/; copy it into fuzz/findings/TARGET/ under a name that says
# what it broke, so that the tests replay it from then on.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-600}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(movie_reader_fuzz movie_override_fuzz fdi_fuzz cab_reader_fuzz packaged_fuzz
                                     thumbnail_fuzz seek_fuzz rescue_fuzz)

bash scripts/install-deps.sh
if ! command -v clang++ >/dev/null; then
  echo "fuzz: clang++ can't be had; nothing fuzzed" >&2
  exit 1
fi

# The seeds come from the ordinary build's movie writer.
normal=$(bash scripts/build.sh | tail -n 1)
"$normal/fuzz/fuzz_seeds" build-fuzz/seeds

cmake -S . -B build-fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DEK_FUZZ=ON -DEK_BUILD_TESTS=OFF -DEK_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz -j "$(nproc)" --target cabinet "${targets[@]}" >/dev/null

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
status=0
for target in "${targets[@]}"; do
  corpus=build-fuzz/corpus/$target
  mkdir -p "$corpus"
  extra=()
  [ -d ../shared/corpus/cab ] && extra+=(../shared/corpus/cab)
  [ -d "fuzz/findings/$target" ] && extra+=("fuzz/findings/$target")
  echo "fuzz: $target for $seconds s"
  if ! (cd build-fuzz && "./fuzz/$target" -seed=1 -max_total_time="$seconds" -timeout=10 -rss_limit_mb=512 \
        -print_final_stats=1 -artifact_prefix="./$target-" "../$corpus" ../build-fuzz/seeds/"$target" \
        "${extra[@]/#/../}" 2>"$target.log"); then
    echo "fuzz: $target found something; see build-fuzz/$target.log" >&2
    tail -n 40 "build-fuzz/$target.log" >&2
    status=1
  fi
  grep -E "^stat::(number_of_executed_units|average_exec_per_sec)|cov: .* ft:" "build-fuzz/$target.log" | tail -n 3
done
exit $status
