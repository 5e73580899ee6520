#!/usr/bin/env bash
# Checks the Debian packages as a fresh machine would take them: lintian finds no error, kelvane-tools needs no Qt,
# apt installs them with their dependencies, and the installed programs answer: kelvane-cli lists the modules of
# the installed kxrsim, and systemd takes the watcher's units.
set -euo pipefail
cd "$(dirname "$0")/.."

tools=$(ls build/kelvane-tools_*_amd64.deb)
window=$(ls build/kelvane_*_amd64.deb)
for deb in "$tools" "$window"; do
  echo "== lintian $deb"
  lintian --fail-on error "$deb"
done
if dpkg-deb -f "$tools" Depends | grep -qi qt; then
  echo "check-package: kelvane-tools depends on Qt: $(dpkg-deb -f "$tools" Depends)" >&2
  exit 1
fi

echo "== apt install $tools $window"
export DEBIAN_FRONTEND=noninteractive
apt-get install -y -qq --reinstall "./$tools" "./$window" >/dev/null

/usr/bin/kelvane-cli --version
/usr/bin/kxrsim --version
/usr/bin/kelvane --version
id -nG kelvane | grep -qw dialout || { echo "check-package: the user kelvane is not in dialout" >&2; exit 1; }
if command -v systemd-analyze >/dev/null; then
  units=(/lib/systemd/system/kelvane-watch-all.service)
  # A template is checked through an instance, named as an operator would.
  instance=$(mktemp -d)/"kelvane-watch@$(systemd-escape 'Mont Aigoual').service"
  cp /lib/systemd/system/kelvane-watch@.service "$instance"
  verify=$(systemd-analyze verify --man=no "${units[@]}" "$instance" 2>&1 || true)
  rm -rf "$(dirname "$instance")"
  [ -z "$verify" ] || { echo "check-package: systemd-analyze: $verify" >&2; exit 1; }
fi

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
