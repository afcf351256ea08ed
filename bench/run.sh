#!/usr/bin/env bash
# Builds the benchmarks and prints one line per figure, each against its
# baseline measured in the same run (repetitions of the frame steps and of
# their baselines are interleaved, so that both see the same machine):
#   name: value unit (baseline: value unit, ratio r)
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DEK_BUILD_TESTS=OFF >/dev/null
cmake --build build-bench -j "$(nproc)" --target ek_frame_step_bench ek_pipeline_bench ek_window_bench ek_seek_bench ek_scale_bench >/dev/null
json=$(mktemp)
trap 'rm -f "$json"' EXIT
build-bench/bench/ek_frame_step_bench --benchmark_repetitions=9 --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true \
  --benchmark_format=json --benchmark_out="$json" >/dev/null
python3 - "$json" <<'PY'
import json, sys
runs = [b for b in json.load(open(sys.argv[1]))["benchmarks"] if b.get("aggregate_name") == "median"]
times = {b["run_name"]: b["real_time"] for b in runs}
counters = {b["run_name"]: b for b in runs}
for name, value in sorted(times.items()):
    if not name.startswith("FrameStep/"):
        continue
    size = name.split("/", 2)[2]
    baseline = times["PictureMemcpy/" + size]
    line = f"frame step {name.split('/')[1]} {size}: {value:.1f} us (baseline: memcpy of the picture {baseline:.1f} us, ratio {value / baseline:.3f})"
    if "worst_case" in name:
        per_run = value * 1000 / counters[name]["runs_per_frame"]
        line += f", {per_run:.2f} ns per run"
    print(line)
PY
build-bench/bench/ek_pipeline_bench build-bench
build-bench/bench/ek_window_bench
build-bench/bench/ek_seek_bench
build-bench/bench/ek_scale_bench build-bench
