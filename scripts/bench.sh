#!/usr/bin/env bash
# Builds and runs the link benchmark: every piece of link work against kxrsim paced at 115200 baud, with and
# without a USB adapter's latency, set against the wire time of the bytes exchanged; then the CPU the window
# takes while it only watches (idle, a panel open, the CAM menu open); then one watch for 24 paced racks. Arguments go to the link benchmark
# (--runs N, --upgrade-runs N, --no-adapter). BUILD_DIR picks the build folder (default: build).
# Exits 1 when a goal was missed. With --micro, also runs the micro-benchmarks of the frame code when Google
# Benchmark is there.
set -euo pipefail

cd "$(dirname "$0")/.."
build="${BUILD_DIR:-build}"
micro=0
args=()
for a in "$@"; do
  if [[ "$a" == --micro ]]; then micro=1; else args+=("$a"); fi
done

if [[ ! -f "$build/build.ninja" ]]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVANE_WITH_QT=OFF
fi
cmake --build "$build" -j2 --target kelvane_line_bench kelvane_polling_bench kelvane_watch_bench
if ((micro)) && cmake --build "$build" -j2 --target kelvane_bench 2>/dev/null; then
  "$build/bench/kelvane_bench"
fi
status=0
"$build/bench/kelvane_line_bench" "${args[@]}" || status=1
echo
"$build/bench/kelvane_polling_bench" || status=1
echo
# One watcher for 24 paced racks (WATCH_BENCH_RACKS to change, on a busy machine).
"$build/bench/kelvane_watch_bench" --racks "${WATCH_BENCH_RACKS:-24}" || status=1
exit $status
