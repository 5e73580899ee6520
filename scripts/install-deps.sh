#!/usr/bin/env bash
# Installs, with apt-get, the Debian 12 packages the build and the tests need that this machine lacks.
set -euo pipefail

packages=(
  g++ cmake ninja-build ccache     # the build (ccache shares objects between checkouts)
  libgtest-dev libbenchmark-dev    # the tests and the benchmarks
  pkg-config libdvbpsi-dev         # an independent decoder of the network information sections we build
  g++-mingw-w64-x86-64-posix       # the Windows cross-build that keeps the Win32 serial port honest
  qt6-base-dev qt6-svg-dev fonts-liberation  # the Qt back end, its artwork and metric-compatible fonts
  dpkg-dev file lintian librsvg2-bin           # the Debian package: dependencies, checks, PNG icons
  tshark                                       # reads the line traces back through the Wireshark dissector
  python3-prometheus-client                    # an independent parser of the metrics kelvane-cli watch writes
  clang libclang-rt-14-dev                     # the fuzzing harnesses (clang -fsanitize=fuzzer and its runtime)
  qt6-translations-l10n                        # Qt's own texts (file dialogs, questions) in the operator's language
  ser2net                                      # the serial-to-network server that racks at other sites sit behind
  wine64                                       # runs the cross-built kelvane-cli.exe against the simulator
  qt6-charts-dev libqt6opengl6-dev             # the history window's charts (Qt Charts' CMake files need OpenGL's)
  libcli11-dev                                 # kelvane-cli's options and commands (header-only)
  clang-format-14                              # the C++ files' one layout, checked by ./test
  libcpp-httplib-dev                           # watch --listen serves /metrics over HTTP (header-only)
  prometheus prometheus-node-exporter curl     # the watcher proven with the engines operators run; promtool
  xvfb imagemagick openbox xdotool             # screenshots of the real window on a virtual screen, worked by keys
  libtoml11-dev                                # the configuration as reviewable text (header-only TOML)
)

missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  # Prometheus and node_exporter start their services when installed; the tests start their own on 127.0.0.1,
  # so none may be left listening. policy-rc.d tells invoke-rc.d and deb-systemd-invoke to start nothing.
  policy=/usr/sbin/policy-rc.d
  own_policy=0
  if [[ ! -e $policy ]]; then
    printf '#!/bin/sh\nexit 101\n' >"$policy" && chmod 755 "$policy" && own_policy=1
  fi
  status=0
  apt-get install -y -qq --no-install-recommends "${missing[@]}" || status=$?
  if ((own_policy)); then rm -f "$policy"; fi
  ((status == 0)) || exit "$status"
  # Nor at the next boot, where systemd runs.
  if [[ -d /run/systemd/system ]]; then
    systemctl disable --now prometheus prometheus-node-exporter >/dev/null 2>&1 || true
  fi
fi
