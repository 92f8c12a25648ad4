#!/usr/bin/env bash
# scripts/check-layers passes on the program's code and names each include
# across a forbidden layer in a tree that has them.
#   test_layers.sh SOURCE_DIR
set -uo pipefail
src=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fails=0
check() { if eval "$2"; then echo "PASS: $1"; else echo "FAIL: $1"; fails=$((fails + 1)); fi; }

"$src/scripts/check-layers" "$src" > "$tmp/out"; rc=$?
cat "$tmp/out"
check "the program's own code keeps its layers" '[ "$rc" = 0 ]'

cp -r "$src"/{base,engine,platform,web,software,sites,shell,app} "$tmp/"
printf '#include "shell/mainwindow.h"\n' > "$tmp/engine/bad.cpp"
printf '#include <QWebEngineView>\n#include "web/autofill.h"\n' > "$tmp/software/bad.h"
printf '#include "../engine/routines.h"\n#include <QtWebEngineWidgets/QWebEngineView>\n' > "$tmp/shell/bad.cpp"
printf '#include <QWebEngineView>\n#include "shell/mainwindow.h"\n' > "$tmp/web/fine.cpp"
"$src/scripts/check-layers" "$tmp" > "$tmp/out"; rc=$?
cat "$tmp/out"
check "a tree with forbidden includes fails" '[ "$rc" = 1 ]'
check "engine may not include shell" 'grep -q "engine/bad.cpp:1: engine/ may not include shell/mainwindow.h" "$tmp/out"'
check "software may not reach the engine or web" '[ $(grep -c "software/bad.h" "$tmp/out") = 2 ]'
check "relative includes and engine headers in shell" '[ $(grep -c "shell/bad.cpp" "$tmp/out") = 2 ]'
check "web may include the engine, not the shell" '[ $(grep -c "web/fine.cpp" "$tmp/out") = 1 ]'
[ "$fails" = 0 ]
