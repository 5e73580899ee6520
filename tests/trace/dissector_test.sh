#!/usr/bin/env bash
# A session of kelvane-cli against kxrsim, traced with --trace and read back by tshark through the KXR dissector:
# the requests in the order the program sends them, one reply to each, every checksum good, nothing malformed.
# Usage: dissector_test.sh KELVANE_CLI KXRSIM DISSECTOR
set -euo pipefail
cli=$1 sim=$2 dissector=$3
here=$(cd "$(dirname "$0")" && pwd)

work=$(mktemp -d)
"$sim" --link "$work/rack" >/dev/null &
sim_pid=$!
trap 'kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true; rm -rf "$work"' EXIT
for _ in $(seq 100); do [ -e "$work/rack" ] && break; sleep 0.05; done

cd "$work"
export KELVANE_PORTS="$work/rack"
"$cli" --trace "$work/modules.pcapng" modules >/dev/null
KELVANE_TRACE="$work/cam.pcapng" "$cli" cam 2 1 >/dev/null

fields() {  # direction, destination, source, command, checksum good, expert notes; one line a frame
  tshark -X "lua_script:$dissector" -r "$1" -T fields -E separator=' ' -E occurrence=f \
    -e frame.p2p_dir -e kxr.dest -e kxr.src -e kxr.command -e kxr.checksum_ok -e _ws.expert 2>/dev/null
}
fail() { echo "dissector_test: $*" >&2; exit 1; }

fields modules.pcapng > modules.txt
[ -s modules.txt ] || fail "tshark decoded nothing"
# Every frame is KXR with a good checksum and no expert note (a malformed or badly summed frame has one).
awk 'NF != 5 || $5 != "1" { print "bad frame: " $0; bad = 1 } END { exit bad }' modules.txt >&2 ||
  fail "frames with a bad checksum or a note"
# Requests and replies alternate: the echo is not in the trace, and every request had its one reply.
awk '{ want = (NR % 2 == 1) ? "0" : "1"; if ($1 != want) { print "out of turn: " NR ": " $0; exit 1 } }' modules.txt >&2 ||
  fail "requests and replies do not alternate"
awk '$1 == "1" && $4 != "0xf0" { print; exit 1 }' modules.txt >&2 || fail "a reply the rack did not accept"
# The search's probe, discovery's probe and module list, then every row identified, then every row's image read.
requests=$(awk '$1 == "0" { printf "%s@%s ", $4, $2 }' modules.txt)
expected="0x10@0x00 0x10@0x00 0x60@0x00 "
for row in 0 1 2 3 4 5 6 7; do expected+="0x10@0x0$row "; done
for row in 0 1 2 3 4 5 6 7; do expected+="0x70@0x0$row "; done
[ "$requests" = "$expected" ] || fail "requests were [$requests], expected [$expected]"

# The CAM menu: its status polls, packets sent (0x50) and read (0x60), all well formed.
fields cam.pcapng > cam.txt
awk 'NF != 5 || $5 != "1" { print "bad frame: " $0; bad = 1 } END { exit bad }' cam.txt >&2 || fail "bad CAM frames"
for command in 0x40 0x50 0x60; do
  grep -q "^0 0x02 0xfd $command " cam.txt || fail "no $command request to the CAM's module"
done
# Frames that are not KXR (empty, no start byte, cut short, a lone 0x02, a bad checksum, a short payload) are
# marked, never a Lua error that would hide them.
malformed="$here/malformed.pcapng"
tshark -X "lua_script:$dissector" -r "$malformed" -T fields -e _ws.expert.message > malformed.txt 2>&1 ||
  fail "tshark failed on malformed frames"
! grep -qi "lua error" malformed.txt || fail "the dissector raised a Lua error: $(cat malformed.txt)"
[ "$(grep -c -e 'no start byte' -e 'cut inside' -e 'lone 0x02' -e 'Bad checksum' -e 'announced' malformed.txt)" = 6 ] ||
  fail "malformed frames were not all marked: $(cat malformed.txt)"

echo "dissector_test: $(wc -l < modules.txt) + $(wc -l < cam.txt) frames decoded"
