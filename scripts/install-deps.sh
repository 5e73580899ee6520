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
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
