#!/usr/bin/env bash
# The main window's title on a real X display is exactly the caption the
# program computes, with nothing added by the toolkit.
#   test_caption.sh PROGRAM
set -uo pipefail
program=$1
tmp=$(mktemp -d)
xvfb_pid=; app_pid=
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT
Xvfb -displayfd 3 -screen 0 1280x900x24 -nolisten tcp 3>"$tmp/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$tmp/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$tmp/display")"
# A copy of the program with settings that open no start pages.
cp "$program" "$tmp/doduvodaz"
printf '[Internet Config]\nOption=0\n[PROGRAM]\nMaximized=0\n' > "$tmp/quillet.ini"
mkdir -p "$tmp/work" "$tmp/runtime"
chmod 700 "$tmp/runtime"
cp -r "$(dirname "$0")/../../data/"{softdata.xml,padsites.dat} "$tmp/work/"
(cd "$tmp/work" && QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$tmp/runtime" HOME="$tmp" \
   "$tmp/doduvodaz" >/dev/null 2>&1) &
app_pid=$!
expected="Korvane Software Doduvodaz 1.5"
names=
for _ in $(seq 100); do
  names=$(for w in $(xdotool search --onlyvisible --name Doduvodaz 2>/dev/null); do xdotool getwindowname "$w"; done)
  [ -n "$names" ] && break
  sleep 0.2
done
echo "window titles: $names"
if [ "$names" = "$expected" ]; then echo "PASS: the title is the computed caption"; exit 0; fi
echo "FAIL: expected exactly \"$expected\""
exit 1
