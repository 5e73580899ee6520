#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang and runs them one after the other.
#
#   fuzz/run.sh SECONDS     a campaign: every harness for SECONDS, starting from its committed corpus
#   fuzz/run.sh --quick     what ./test runs: every harness over its corpus, then 20 seconds of fuzzing
#   fuzz/run.sh --reseed    writes fuzz/corpus/ anew from a recorded session against the simulator
#   fuzz/run.sh --available succeeds when clang can build a libFuzzer harness here
#
# New inputs go to build-fuzz/corpus/<harness>/ (the committed corpus is only read); a crash, leak, sanitizer
# report or broken promise stops that harness, keeps its input in build-fuzz/artifacts/<harness>/ and makes
# the script fail. The figures of each harness are printed at the end and kept in build-fuzz/fuzz-results.md.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${KELVANE_FUZZ_BUILD:-build-fuzz}
harnesses=(reply_receiver config_file input_image output_image panel_replies cam_mmi firmware_scan preferences
  request_parser discovery)
quick_seconds=20

# Whether clang and libFuzzer's runtime are installed: a harness of nothing must link.
available() {
  local probe
  probe=$(mktemp -d)
  echo 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }' >"$probe/probe.cpp"
  local status=0
  clang++ -fsanitize=fuzzer,address,undefined "$probe/probe.cpp" -o "$probe/probe" >/dev/null 2>&1 || status=1
  rm -rf "$probe"
  return $status
}

mode=${1:-}
case "$mode" in
  --available) available; exit ;;
  --quick) seconds=$quick_seconds ;;
  --reseed) seconds=0 ;;
  ''|-*) echo "usage: fuzz/run.sh SECONDS | --quick | --reseed | --available" >&2; exit 1 ;;
  *) [[ $mode =~ ^[1-9][0-9]*$ ]] || { echo "SECONDS must be a whole number above 0" >&2; exit 1; }
     seconds=$mode ;;
esac

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DKELVANE_FUZZ=ON -DKELVANE_WITH_QT=OFF -DKELVANE_WITH_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" --target kelvane-fuzz-seeds \
  "${harnesses[@]/#/fuzz_}"

if [[ $mode == --reseed ]]; then
  rm -rf fuzz/corpus.new
  "$build/fuzz/kelvane-fuzz-seeds" fuzz/corpus.new
  # Inputs kept from findings stay: they are the regression inputs.
  for h in "${harnesses[@]}"; do
    if [[ -d fuzz/corpus/$h ]]; then
      mkdir -p "fuzz/corpus.new/$h"
      find "fuzz/corpus/$h" -name 'finding-*' -exec cp {} "fuzz/corpus.new/$h/" \;
    fi
  done
  rm -rf fuzz/corpus && mv fuzz/corpus.new fuzz/corpus
  exit 0
fi

# Larger inputs where the files are larger: a configuration file holds up to 15 records of 1027 bytes.
max_len() {
  case "$1" in
    config_file|firmware_scan) echo 16384 ;;
    *) echo 8192 ;;
  esac
}

results="$build/fuzz-results.md"
echo "| harness | seconds | executions | exec/s | corpus files | result |" >"$results"
echo "| --- | --- | --- | --- | --- | --- |" >>"$results"
failed=0
for h in "${harnesses[@]}"; do
  work="$build/corpus/$h"
  artifacts="$build/artifacts/$h/"
  log="$build/fuzz-$h.log"
  mkdir -p "$work" "$artifacts"
  echo "== $h: its corpus, then ${seconds} s"
  set +e
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 "$build/fuzz/fuzz_$h" "$work" "fuzz/corpus/$h" \
    -dict=fuzz/kxr.dict -max_len="$(max_len "$h")" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$artifacts" -print_final_stats=1 >"$log" 2>&1
  status=$?
  set -e
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  files=$(find "$work" "fuzz/corpus/$h" -type f | wc -l)
  if ((status == 0)); then
    result=clean
  else
    result="FAILED (see $log)"
    failed=1
    grep -E 'ERROR|SUMMARY|broken promise|runtime error' "$log" | head -5 || true
  fi
  echo "| $h | $seconds | ${runs:-?} | ${speed:-?} | $files | $result |" | tee -a "$results"
done
cat "$results"
exit "$failed"
