#!/usr/bin/env bash
# The Windows kelvane-cli.exe under Wine against kxrsim, through COM1 of a private Wine prefix linked to the
# simulator's pseudo-terminal. Every session runs twice on a fresh rack, once with the Windows program and once
# with the Linux one: standard output (line ends aside), standard error and exit statuses must be the same, and
# so must what the rack holds afterwards, read back by the Linux program. A few results are also checked as
# they stand, so that two programs failing alike cannot pass.
# Usage: windows_cli_test.sh KELVANE_CLI_EXE KELVANE_CLI KXRSIM WINE64 WORK_FOLDER
set -euo pipefail
exe=$1 cli=$2 sim=$3 wine=$4 work=$5
wineserver=$(dirname "$wine")/wineserver
[ -x "$wineserver" ] || wineserver=$(command -v wineserver)

mkdir -p "$work"
work=$(cd "$work" && pwd)
# Wine reads the command line and file names in the charset of the Unix locale: UTF-8, as the program's own.
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LANG=C.UTF-8 LC_ALL=C.UTF-8
unset DISPLAY WAYLAND_DISPLAY
rack="$work/rack"  # kxrsim's link to its pseudo-terminal, the one COM port of the prefix
sim_pid=

fail() { echo "windows_cli_test: $*" >&2; exit 1; }
stop_rack() {
  if [ -n "$sim_pid" ]; then
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
    sim_pid=
  fi
}
cleanup() {
  stop_rack
  "$wineserver" -k 2>/dev/null || true
}
trap cleanup EXIT

# The prefix is made once and kept in the build folder: wineboot is slow. Its only COM port is COM1, the rack;
# COM2-COM255 are taken by empty entries, so that Wine gives none of them to this machine's own serial ports and
# no test ever writes to real hardware.
if [ ! -f "$WINEPREFIX/kelvane-ports" ]; then
  rm -rf "$WINEPREFIX"
  started=$SECONDS
  "$wine" wineboot --init >/dev/null 2>&1 || fail "wineboot could not make the prefix"
  {
    printf 'REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Wine\\Ports]\r\n"COM1"="%s"\r\n' "$rack"
    for n in $(seq 2 255); do printf '"COM%d"=""\r\n' "$n"; done
  } > "$work/ports.reg"
  "$wine" reg import "Z:$work/ports.reg" >/dev/null 2>&1 || fail "the prefix's ports could not be set"
  "$wineserver" -w
  touch "$WINEPREFIX/kelvane-ports"
  echo "windows_cli_test: Wine prefix made in $((SECONDS - started)) s"
fi
ln -sfn "$rack" "$WINEPREFIX/dosdevices/com1"
# One server for every command of the run, stopped by cleanup.
"$wineserver" -p >/dev/null 2>&1

start_rack() {  # kxrsim with the given options, on $rack
  stop_rack
  "$sim" --link "$rack" "$@" >/dev/null &
  sim_pid=$!
  for _ in $(seq 100); do [ -e "$rack" ] && return; sleep 0.05; done
  fail "kxrsim did not make its port"
}

# kelvane-cli ARGS on the side being run, in that side's folder: NAME.out (line ends as on Linux), NAME.err,
# NAME.status. The first argument is the name.
kcli() {
  local name=$1
  shift
  local status=0
  if [ "$side" = windows ]; then
    (cd "$folder" && "$wine" "$exe" "$@") >"$folder/$name.raw" 2>"$folder/$name.err" || status=$?
    sed 's/\r$//' <"$folder/$name.raw" >"$folder/$name.out"
    sed -i 's/\r$//' "$folder/$name.err"
  else
    (cd "$folder" && KELVANE_PORTS="$rack" "$cli" "$@") >"$folder/$name.out" 2>"$folder/$name.err" || status=$?
  fi
  echo "$status" >"$folder/$name.status"
}
# The Linux program reads back what the rack holds now.
rack_holds() { (cd "$folder" && KELVANE_PORTS="$rack" "$cli" save "$1" >/dev/null) || fail "the rack could not be read back"; }

# Runs SESSION (a function) once for each program, each in a fresh folder made by PREPARE, on a fresh rack
# started with the options that follow, then compares every file the two runs left.
session() {
  local name=$1 prepare=$2
  shift 2
  for side in windows linux; do
    folder="$work/$name/$side"
    rm -rf "$folder"
    mkdir -p "$folder"
    "$prepare"
    start_rack "$@"
    "$name"
    stop_rack
  done
  local differ=0
  for file in "$work/$name/linux"/*; do
    local base
    base=$(basename "$file")
    case $base in *.raw) continue ;; esac
    [ -f "$file" ] || continue
    if ! cmp -s "$file" "$work/$name/windows/$base"; then
      echo "windows_cli_test: $name: $base differs between Linux (<) and Windows (>):" >&2
      diff "$file" "$work/$name/windows/$base" >&2 || true
      differ=1
    fi
  done
  [ "$differ" = 0 ] || fail "$name: the Windows program did not do as the Linux one"
  folder="$work/$name/windows"
  echo "windows_cli_test: $name: the same on Windows and Linux"
}
status_of() { cat "$folder/$1.status"; }
says() { grep -qF -- "$2" "$folder/$1" || fail "$1 does not say '$2': $(cat "$folder/$1")"; }

nothing() { :; }
english() { echo EN >"$folder/pref.txt"; }

# find names the COM port, as a Windows user knows it, and the controller.
printf 'KXA100 0 23\nKXB200 1 14 active 07 D0 6B 6C 10 01 00 65 00\nKXD400 2 22 active 0E D0 02 02 02 01 00 FF\n' \
  >"$work/small.rack"
side=windows folder="$work/find"
rm -rf "$folder" && mkdir -p "$folder"
start_rack --paced --rack "$work/small.rack"
kcli find find
kcli modules modules
stop_rack
[ "$(status_of find)" = 0 ] || fail "find exited $(status_of find): $(cat "$folder/find.err")"
says find.out "COM1"
says find.out "KXA100 V2.3"
[ "$(status_of modules)" = 0 ] || fail "modules on a paced line exited $(status_of modules)"
says modules.out "KXB200"
says modules.out "KXD400"
# With the rack gone, every COM number is tried and none is taken for busy.
kcli gone find
[ "$(status_of gone)" = 2 ] || fail "find without a rack exited $(status_of gone): $(cat "$folder/gone.err")"
says gone.err "no rack answered"
echo "windows_cli_test: find: COM1 and the controller named, and no rack when it is gone"

# Reading: the module list, a pair's panel, the configuration file and its summary.
reading() {
  kcli modules modules
  kcli show3 show 3
  kcli show7 show 7
  kcli save save rack.kcf
  kcli accented save café.kcf
  kcli summary summary rack.kcf
  kcli unknown frobnicate
  # Files named on the command line or in the environment, kept apart from the comparison (their contents hold
  # the time).
  mkdir -p "$folder/timed"
  kcli traced --trace timed/tracé.pcapng modules
  KELVANE_TRACE=timed/traçé.pcapng kcli traced-by-environment modules
  kcli timed/watched watch --once --prometheus timed/mesurés.prom
}
session reading english
[ "$(status_of modules)" = 0 ] || fail "modules exited $(status_of modules)"
for model in KXA100 KXB200 KXD400 KXF600 KXB210 KXD410 KXD420 KXC300; do says modules.out "$model"; done
[ "$(wc -l <"$folder/modules.out")" = 9 ] || fail "modules did not list the heading and eight rows"
says show3.out "Canal Étoile"
says summary.out "Loaded configuration matches current installation."
[ "$(status_of unknown)" = 1 ] || fail "an unknown command exited $(status_of unknown)"
says unknown.err "unknown command"
# Binary, byte for byte: a file written in text mode would have gained a carriage return before every 0x0A.
[ -s "$folder/rack.kcf" ] || fail "save wrote nothing"
# Arguments reach the program whole, whatever the ANSI code page cannot hold.
cmp -s "$folder/rack.kcf" "$folder/café.kcf" || fail "a file with an accented name was not saved under that name"
for file in tracé.pcapng traçé.pcapng mesurés.prom; do
  [ -s "$folder/timed/$file" ] || fail "timed/$file was not written: $(ls "$folder/timed")"
done

# Writing: set as the panel would, then what the rack holds; a value out of range is refused.
writing() {
  kcli cams set 3 service.1102.cam=1 service.1101.cam=0
  kcli name set 7 "network.name=Télé Ünï"
  kcli range set 1 in.freq=9000
  kcli shown show 7
  rack_holds after.kcf
}
session writing english
[ "$(status_of cams)" = 0 ] || fail "set exited $(status_of cams): $(cat "$folder/cams.err")"
[ "$(status_of range)" = 1 ] || fail "an input frequency out of range exited $(status_of range)"
says range.err "10700 to 12750"
says shown.out 'name "Télé Ünï"'
cp "$folder/after.kcf" "$work/edited.kcf"

# Uploading a file that differs from the rack: not without --yes, then exactly the file.
uploading() {
  cp "$work/edited.kcf" "$folder/edited.kcf"
  kcli asked upload edited.kcf
  rack_holds untouched.kcf
  kcli sent upload edited.kcf --yes
  rack_holds uploaded.kcf
}
session uploading english
says asked.out "nothing was sent: run again with --yes to send it"
says sent.out "Configuration uploaded to hardware."
cmp -s "$folder/uploaded.kcf" "$work/edited.kcf" || fail "the rack does not hold the uploaded file"
! cmp -s "$folder/untouched.kcf" "$work/edited.kcf" || fail "upload without --yes changed the rack"

# A firmware upgrade: the image goes out block by block, the rack restarts and runs the new version.
head -c 512 /dev/zero | tr '\0' 'Z' >"$work/payload.bin"
printf 'KXRV\024' | dd of="$work/payload.bin" bs=1 seek=16 conv=notrunc status=none
firmware_folder() {
  mkdir -p "$folder/firmware"
  "$cli" firmware build KXB200 20 "$work/payload.bin" "$folder/firmware/KXB200_V20.frm" >/dev/null
  echo KXB200_V20.frm >"$folder/firmware/KXR.FRM"
}
upgrading() {
  kcli upgrade firmware upgrade
  kcli again firmware upgrade
  kcli after modules
}
printf 'KXA100 0 14\nKXB200 5 14\n' >"$work/firmware.rack"
session upgrading firmware_folder --rack "$work/firmware.rack" --restart-silence 300
[ "$(status_of upgrade)" = 0 ] || fail "the upgrade exited $(status_of upgrade): $(cat "$folder/upgrade.err")"
[ ! -s "$folder/upgrade.err" ] || fail "the upgrade said: $(cat "$folder/upgrade.err")"
says upgrade.out "Update des Moduls 1 (KXB200) auf die Version V2.0: OK"
says again.out "no module needed an upgrade"
says after.out "V2.0"

# The CAM menu: the main menu, then the parental control's PIN question answered.
cam() {
  kcli menu cam 2
  kcli pin cam 2 3 --answer 1234
  kcli none cam 3
}
session cam english
[ "$(status_of menu)" = 0 ] || fail "cam exited $(status_of menu): $(cat "$folder/menu.err")"
says menu.out "Menu principal"
[ "$(grep -c '^\[menu\]' "$folder/menu.out")" = 1 ] || fail "the main menu was not shown once: $(cat "$folder/menu.out")"
[ "$(status_of none)" = 1 ] || fail "cam on a row without a CI module exited $(status_of none)"

# A line that hangs up halfway through discovery: the module that lost its answer is named, status 4.
hanging() { kcli cut modules; }
session hanging english --close-after 6
[ "$(status_of cut)" = 4 ] || fail "modules on a line that hung up exited $(status_of cut)"
says cut.err "the line hung up before it answered"

echo "windows_cli_test: every command did on Windows as on Linux"
