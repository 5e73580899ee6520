#!/usr/bin/env bash
# Checks the Debian package as a fresh machine would take it: lintian finds no error, apt installs it with its
# dependencies, and the installed programs answer: kelvane-cli lists the modules of the installed kxrsim.
set -euo pipefail
cd "$(dirname "$0")/.."

deb=$(ls build/kelvane_*_amd64.deb)
echo "== lintian $deb"
lintian --fail-on error "$deb"

echo "== apt install $deb"
export DEBIAN_FRONTEND=noninteractive
apt-get install -y -qq --reinstall "./$deb" >/dev/null

/usr/bin/kelvane-cli --version
/usr/bin/kxrsim --version
/usr/bin/kelvane --version

work=$(mktemp -d)
/usr/bin/kxrsim --link "$work/rack" >/dev/null &
sim_pid=$!
trap 'kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true; rm -rf "$work"' EXIT
for _ in $(seq 50); do
  [ -e "$work/rack" ] && break
  sleep 0.1
done
(cd "$work" && KELVANE_PORTS="$work/rack" /usr/bin/kelvane-cli modules) | tee "$work/modules.txt"
grep -q "KXB200" "$work/modules.txt" || { echo "check-package: the installed kelvane-cli did not list the rack" >&2; exit 1; }
