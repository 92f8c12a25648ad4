#!/usr/bin/env bash
# The main window on a real X display (Xvfb): its title is exactly the
# caption the program computes, and saved sizes never make it larger than the
# screen.
#   test_display.sh PROGRAM
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
# start_x: a display of our own. -noreset keeps the server as it is when the
# last client leaves; a server reset between two starts of the program has
# been seen to leave the display unreachable.
start_x() {
  : > "$tmp/display"
  Xvfb -displayfd 3 -noreset -screen 0 1280x900x24 -nolisten tcp 3>"$tmp/display" 2>>"$tmp/xvfb.log" &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$tmp/display" ] && break; sleep 0.1; done
  export DISPLAY=":$(cat "$tmp/display")"
}
# ensure_x: the display answers, or a new one is started (the X server is the
# test's tool, not what is tested).
ensure_x() {
  if ! kill -0 "$xvfb_pid" 2>/dev/null || ! xdotool getdisplaygeometry >/dev/null 2>&1; then
    echo "note: the X server on $DISPLAY stopped answering; starting another. Its log:"
    cat "$tmp/xvfb.log"
    kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null
    start_x
  fi
}
start_x
# A copy of the program with its own settings; no start pages open.
cp "$program" "$tmp/doduvodaz"
mkdir -p "$tmp/work" "$tmp/runtime"
chmod 700 "$tmp/runtime"
cp -r "$(dirname "$0")/../../data/"{softdata.xml,padsites.dat} "$tmp/work/"
fails=0

# run_program QUILLET_INI_TEXT: starts the program, waits for its main
# window; sets $win to the window id.
run_program() {
  printf '%b' "$1" > "$tmp/quillet.ini"
  ensure_x
  (cd "$tmp/work" && QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$tmp/runtime" HOME="$tmp" \
     exec "$tmp/doduvodaz" >"$tmp/program.log" 2>&1) &
  app_pid=$!
  win=
  # Generous: a start on a machine busy with other tests can be slow.
  for _ in $(seq 450); do
    win=$(xdotool search --onlyvisible --name Doduvodaz 2>/dev/null | head -n1)
    [ -n "$win" ] && break
    sleep 0.2
  done
  if [ -z "$win" ]; then
    echo "no main window appeared; the program said:"
    cat "$tmp/program.log"
    return 1
  fi
  sleep 1 # let the first activation place the window
}
stop_program() { kill "$app_pid" 2>/dev/null; wait "$app_pid" 2>/dev/null; app_pid=; }

# The title is exactly the caption the program computes.
if run_program '[Internet Config]\nOption=0\n[PROGRAM]\nMaximized=0\n'; then
name=$(xdotool getwindowname "$win" 2>/dev/null)
if [ "$name" = "Korvane Software Doduvodaz 1.5" ]; then echo "PASS: title \"$name\""
else echo "FAIL: title \"$name\""; fails=$((fails + 1)); fi
else fails=$((fails + 1)); fi
stop_program

# A saved band far wider than the screen and a window saved larger than the
# screen: the window still fits the 1280x900 screen.
if run_program '[Internet Config]\nOption=0\n[PROGRAM]\nMaximized=0\nLeft=-300\nTop=50\nWidth=3000\nHeight=2000\n[cb0]\nobj=0\nbrk=1\nWidth=200\n[cb1]\nobj=1\nbrk=1\nWidth=5000\n[cb2]\nobj=2\nbrk=1\nWidth=300\n'; then
eval "$(xdotool getwindowgeometry --shell "$win")"
echo "window at $X,$Y size ${WIDTH}x$HEIGHT"
if [ "$WIDTH" -le 1280 ] && [ "$HEIGHT" -le 900 ] && [ "$X" -ge 0 ]; then echo "PASS: the window fits the screen"
else echo "FAIL: the window does not fit the 1280x900 screen"; fails=$((fails + 1)); fi
else fails=$((fails + 1)); fi
stop_program

[ "$fails" = 0 ]
