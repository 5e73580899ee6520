#!/usr/bin/env bash
# The watcher with the engines operators run: two simulated racks, one watcher for both writing into a textfile
# folder, Debian's node_exporter serving that folder and Prometheus scraping it every second with Kelvane's
# alerting rules. Prometheus' HTTP API must show both racks' series, then the lock-lost alert of the rack whose
# input loses its carrier. Everything listens on 127.0.0.1; every process started here is stopped by its id.
# Usage: engines_test.sh KELVANE_CLI KXRSIM RULES. Exits 77 (skipped) when an engine is not installed.
set -euo pipefail
cli=$(realpath "$1") sim=$(realpath "$2") rules=$(realpath "$3")

skip() { echo "engines_test: skipped: $*"; exit 77; }
exporter=$(command -v prometheus-node-exporter || true)
prometheus=$(command -v prometheus || true)
[ -n "$exporter" ] && [ -n "$prometheus" ] ||
  skip "prometheus and prometheus-node-exporter are not installed (scripts/install-deps.sh installs them)"
command -v curl >/dev/null || skip "curl is not installed"

work=$(mktemp -d)
pids=()
stop_all() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
}
failed() {
  echo "engines_test: $*" >&2
  for log in "$work"/*.log; do echo "--- ${log##*/}" >&2; tail -n 8 "$log" | cut -c1-300 >&2; done
  exit 1
}
trap 'stop_all; rm -rf "$work"' EXIT
start() {  # NAME COMMAND...: in the background, its output in NAME.log
  local name=$1
  shift
  "$@" >"$work/$name.log" 2>&1 &
  pids+=($!)
}
free_port() { python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
wait_for() {  # SECONDS DESCRIPTION COMMAND...: polls the command every half second
  local limit=$1 what=$2
  shift 2
  for _ in $(seq $((limit * 2))); do "$@" && return 0; sleep 0.5; done
  failed "no $what within ${limit} s"
}

rack_a="$work/rack-a" rack_b="$work/rack-b"
textfiles="$work/textfiles"
mkdir -p "$textfiles" "$work/data"
cd "$work"  # no ports.txt here
start sim-a "$sim" --link "$rack_a"
# Rack b's first input loses its carrier after some eight polls and stays without it.
start sim-b "$sim" --link "$rack_b" --lose-lock 1:8:1000
wait_for 10 "simulated racks" test -e "$rack_a" -a -e "$rack_b"

# The watchers, in one place: one for both racks; where watch takes one rack only, one a rack, each with its file.
start_watchers() {
  if "$cli" watch --help 2>&1 | grep -q -- '--all'; then
    start watch "$cli" watch --port "$rack_a" --port "$rack_b" --prometheus "$textfiles/kelvane.prom" --interval 0.5
  else
    start watch-a "$cli" watch --port "$rack_a" --prometheus "$textfiles/kelvane-a.prom" --interval 0.5
    start watch-b "$cli" watch --port "$rack_b" --prometheus "$textfiles/kelvane-b.prom" --interval 0.5
  fi
}
start_watchers

exporter_port=$(free_port)
start node-exporter "$exporter" --collector.disable-defaults --collector.textfile \
  --collector.textfile.directory="$textfiles" --web.listen-address="127.0.0.1:$exporter_port"
prometheus_port=$(free_port)
cat >"$work/prometheus.yml" <<YAML
global: {scrape_interval: 1s, evaluation_interval: 1s}
rule_files: ["$rules"]
scrape_configs:
  - job_name: node
    static_configs: [{targets: ["127.0.0.1:$exporter_port"]}]
YAML
start prometheus "$prometheus" --config.file="$work/prometheus.yml" --storage.tsdb.path="$work/data" \
  --web.listen-address="127.0.0.1:$prometheus_port"

api() { curl -sfG "http://127.0.0.1:$prometheus_port/api/v1/$1" "${@:2}"; }
# The racks (label rack) for which QUERY gives a result, sorted, one a line.
racks_of() {
  api query --data-urlencode "query=$1" |
    python3 -c 'import json, sys; print("\n".join(sorted({r["metric"].get("rack", "") for r in json.load(sys.stdin)["data"]["result"]})))'
}
both_racks() { [ "$(racks_of "$1" 2>/dev/null)" = "$(printf '%s\n%s' "$rack_a" "$rack_b")" ]; }
wait_for 30 "kelvane_rack_up of both racks in Prometheus" both_racks 'kelvane_rack_up == 1'
for series in kelvane_module_up kelvane_input_level kelvane_channel_bits_per_second kelvane_last_round_timestamp_seconds; do
  wait_for 10 "$series of both racks" both_racks "$series"
done

# The lock-lost alert, firing for rack b's first input alone.
firing_racks() {
  api alerts | python3 -c 'import json, sys
alerts = json.load(sys.stdin)["data"]["alerts"]
print("\n".join(sorted({a["labels"]["rack"] + " " + a["labels"]["input"] for a in alerts
                        if a["labels"]["alertname"] == "KelvaneInputLockLost" and a["state"] == "firing"})))'
}
lock_lost_on_b() { [ "$(firing_racks 2>/dev/null)" = "$rack_b A" ]; }
lock_lost_on_b_or_say() { lock_lost_on_b || { echo "firing: $(firing_racks 2>/dev/null | tr '\n' ' ')" >"$work/alerts.log"; false; }; }
wait_for 45 "KelvaneInputLockLost firing for rack b input A alone" lock_lost_on_b_or_say
echo "engines_test: both racks in Prometheus; the lock-lost alert fired for $rack_b input A"
