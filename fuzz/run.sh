#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang and runs them one after the other.
#
#   fuzz/run.sh SECONDS     a campaign: every harness for SECONDS, starting from its committed corpus
#   fuzz/run.sh --runs N    a campaign: every harness for N executions (the corpus's replay included)
#   fuzz/run.sh --until N   a campaign kept across sittings: every harness in runs of at most a million
#                           executions, each resumed from the corpus the last one left, until the clean runs
#                           since the campaign began add up to N (kept in build-fuzz/campaign/<harness>.tsv;
#                           a sitting cut short loses only its unfinished run)
#   fuzz/run.sh --quick     what ./test runs: every harness over its corpus, then 20 seconds of fuzzing
#   fuzz/run.sh --reseed    writes fuzz/corpus/ anew from a recorded session against the simulator
#   fuzz/run.sh --available succeeds when clang can build a libFuzzer harness here
#
# New inputs go to build-fuzz/corpus/<harness>/ (the committed corpus is only read); a crash, leak, sanitizer
# report or broken promise stops that harness, keeps its input in build-fuzz/artifacts/<harness>/ and makes
# the script fail. The figures of each harness are printed at the end and kept in build-fuzz/fuzz-results.md.
# KELVANE_FUZZ_JOBS harnesses run at once (1 unless set; each takes one core); KELVANE_FUZZ_ONLY="a b" runs
# only the harnesses named.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${KELVANE_FUZZ_BUILD:-build-fuzz}
harnesses=(reply_receiver config_file config_text input_image output_image panel_replies cam_mmi firmware_scan preferences
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

usage() {
  echo "usage: fuzz/run.sh SECONDS | --runs N | --until N | --quick | --reseed | --available" >&2
  exit 1
}

mode=${1:-}
runs=0
until_total=0
chunk=1000000
case "$mode" in
  --available) available; exit ;;
  --quick) seconds=$quick_seconds ;;
  --reseed) seconds=0 ;;
  --runs) [[ ${2:-} =~ ^[1-9][0-9]*$ ]] || usage
     runs=$2; seconds=0 ;;
  --until) [[ ${2:-} =~ ^[1-9][0-9]*$ ]] || usage
     until_total=$2; seconds=0 ;;
  ''|-*) usage ;;
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

jobs=${KELVANE_FUZZ_JOBS:-1}
[[ $jobs =~ ^[1-9][0-9]*$ ]] || { echo "KELVANE_FUZZ_JOBS must be a whole number above 0" >&2; exit 1; }
if [[ -n ${KELVANE_FUZZ_ONLY:-} ]]; then
  read -r -a harnesses <<<"$KELVANE_FUZZ_ONLY"
fi

# The limit of a run: its time, or its number of executions.
limit_flags() {
  if ((runs > 0)); then
    echo "-runs=$runs"
  else
    echo "-max_total_time=$seconds"
  fi
}

# One run of a harness with the given limit, its output in $log; sets executed and speed from its final figures.
fuzz_once() {
  local h=$1 limit=$2 log=$3
  local status=0
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 "$build/fuzz/fuzz_$h" "$build/corpus/$h" \
    "fuzz/corpus/$h" -dict=fuzz/kxr.dict -max_len="$(max_len "$h")" "$limit" -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$build/artifacts/$h/" -print_final_stats=1 >"$log" 2>&1 || status=$?
  executed=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  if ((status != 0)); then
    grep -E 'ERROR|SUMMARY|broken promise|runtime error' "$log" | head -5 >&2 || true
  fi
  return "$status"
}

corpus_files() {
  find "$build/corpus/$1" "fuzz/corpus/$1" -type f | wc -l
}

# Runs one harness and writes its row of the results to $build/fuzz-row-<harness>; fails when it found something.
run_harness() {
  local h=$1
  local log="$build/fuzz-$h.log"
  mkdir -p "$build/corpus/$h" "$build/artifacts/$h"
  local status=0 executed='' speed='' result=clean
  local started=$SECONDS
  fuzz_once "$h" "$(limit_flags)" "$log" || status=$?
  ((status == 0)) || result="FAILED (see $log)"
  echo "| $h | $((SECONDS - started)) | ${executed:-?} | ${speed:-?} | $(corpus_files "$h") | $result |" \
    | tee "$build/fuzz-row-$h"
  return "$status"
}

# The clean executions and seconds a harness's campaign has run so far.
campaign_sum() {
  awk -F'\t' -v column="$2" '$4 == "clean" { sum += $column } END { print sum + 0 }' "$1" 2>/dev/null || echo 0
}

# Runs one harness in runs of at most $chunk executions until its campaign reaches $until_total.
run_campaign() {
  local h=$1
  local ledger="$build/campaign/$h.tsv"
  mkdir -p "$build/corpus/$h" "$build/artifacts/$h" "$build/campaign"
  local status=0 executed='' speed='' result=clean
  local total
  total=$(campaign_sum "$ledger" 2)
  while ((total < until_total)); do
    local limit=$((until_total - total < chunk ? until_total - total : chunk))
    local log="$build/fuzz-$h-$(date -u +%Y%m%dT%H%M%S).log"
    local started=$SECONDS
    fuzz_once "$h" "-runs=$limit" "$log" || status=$?
    ((status == 0)) || result="FAILED (see $log)"
    printf '%s\t%s\t%s\t%s\n' "$(date -u +%FT%TZ)" "${executed:-0}" "$((SECONDS - started))" \
      "${result%% *}" >>"$ledger"
    ((status == 0)) || break
    total=$(campaign_sum "$ledger" 2)
  done
  local seconds_total runs_done
  seconds_total=$(campaign_sum "$ledger" 3)
  runs_done=$(awk -F'\t' '$4 == "clean"' "$ledger" | wc -l)
  echo "| $h | $seconds_total | $total in $runs_done runs | $((total / (seconds_total > 0 ? seconds_total : 1))) |" \
    "$(corpus_files "$h") | $result |" | tee "$build/fuzz-row-$h"
  return "$status"
}

if ((until_total > 0)); then
  echo "== every harness until its campaign reaches $until_total executions, $jobs at once"
elif ((runs > 0)); then
  echo "== every harness: its corpus, then up to $runs executions, $jobs at once"
else
  echo "== every harness: its corpus, then ${seconds} s, $jobs at once"
fi
failed=0
running=0
for h in "${harnesses[@]}"; do
  rm -f "$build/fuzz-row-$h"
  if ((running >= jobs)); then
    wait -n || failed=1
    running=$((running - 1))
  fi
  if ((until_total > 0)); then
    run_campaign "$h" &
  else
    run_harness "$h" &
  fi
  running=$((running + 1))
done
while ((running > 0)); do
  wait -n || failed=1
  running=$((running - 1))
done

results="$build/fuzz-results.md"
echo "| harness | seconds | executions | exec/s | corpus files | result |" >"$results"
echo "| --- | --- | --- | --- | --- | --- |" >>"$results"
for h in "${harnesses[@]}"; do
  cat "$build/fuzz-row-$h" >>"$results" 2>/dev/null || { echo "| $h | ? | ? | ? | ? | did not report |" >>"$results"; failed=1; }
done
cat "$results"
exit "$failed"
