#!/usr/bin/env bash
# Runs a command on a display of its own (Xvfb, no window manager), with Qt
# on X and DODU_X_TEST set for the tests that need a real pointer.
#   on-xvfb.sh COMMAND [ARG...]
set -uo pipefail
tmp=$(mktemp -d)
Xvfb -displayfd 3 -noreset -screen 0 1280x900x24 -nolisten tcp 3>"$tmp/display" 2>/dev/null &
xvfb_pid=$!
trap 'kill $xvfb_pid 2>/dev/null; wait 2>/dev/null; rm -rf "$tmp"' EXIT
for _ in $(seq 100); do [ -s "$tmp/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$tmp/display")" QT_QPA_PLATFORM=xcb DODU_X_TEST=1
"$@"
