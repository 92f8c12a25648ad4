#!/usr/bin/env bash
# Installs the built program into a temporary prefix and uses it as a normal
# user would: an unprivileged user (when run as root), a fresh home folder,
# started from that home folder, which holds no program files.
#   test_install.sh BUILD_DIR
set -uo pipefail
build=$1
fails=0
check() { # description, then the command that must succeed
  local what=$1; shift
  if "$@"; then echo "PASS: $what"; else echo "FAIL: $what"; fails=$((fails + 1)); fi
}

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
chmod 755 "$tmp"
prefix=$tmp/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null || { echo "FAIL: cmake --install"; exit 1; }

for f in bin/doduvodaz share/doduvodaz/softdata.xml share/doduvodaz/padsites.dat share/doduvodaz/help.htm \
         share/doduvodaz/quillet.ini share/doduvodaz/demo/submit.htm \
         share/applications/org.doduvodaz.Doduvodaz.desktop \
         share/icons/hicolor/scalable/apps/org.doduvodaz.Doduvodaz.svg \
         share/metainfo/org.doduvodaz.Doduvodaz.metainfo.xml share/man/man1/doduvodaz.1.gz \
         share/doc/doduvodaz/copyright share/doc/doduvodaz/changelog.Debian.gz; do
  check "installed $f" test -e "$prefix/$f"
done
desktop=$prefix/share/applications/org.doduvodaz.Doduvodaz.desktop
check "desktop entry valid" desktop-file-validate "$desktop"
check "desktop entry without hints" test -z "$(desktop-file-validate "$desktop" 2>&1)"
check "desktop entry claims no http/https links" bash -c "! grep -q '^MimeType=.*x-scheme-handler' '$desktop'"
check "desktop entry passes addresses on" grep -q '^Exec=doduvodaz %U$' "$desktop"
check "AppStream metadata valid" appstreamcli validate --no-net --pedantic "$prefix/share/metainfo/org.doduvodaz.Doduvodaz.metainfo.xml"
check "man page formats" bash -c "man -l '$prefix/share/man/man1/doduvodaz.1.gz' 2>&1 | grep -q -- --import-pad"
# Compressed as Debian wants: best compression, no name or time stamp.
for gz in share/man/man1/doduvodaz.1.gz share/doc/doduvodaz/changelog.Debian.gz; do
  check "$gz made by gzip -9n" bash -c "gzip -lv '$prefix/$gz' >/dev/null && [ \"\$(od -An -tx1 -j3 -N7 '$prefix/$gz' | tr -d ' ')\" = 00000000000203 ]"
done
check "copyright file machine-readable" grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' \
  "$prefix/share/doc/doduvodaz/copyright"

# Runs the installed program as the user, from HOME, with the user's own
# folders only. Output in $out, errors in $err, status in $rc.
user_uid=65534
as_user() { # home, then program arguments
  local home=$1; shift
  local drop=()
  [ "$(id -u)" = 0 ] && drop=(setpriv --reuid=$user_uid --regid=$user_uid --clear-groups)
  out=$(cd "$home" && env -u XDG_DATA_HOME -u XDG_CONFIG_HOME -u XDG_RUNTIME_DIR -u DODUVODAZ_SYSTEM_SETTINGS \
        -u DISPLAY -u WAYLAND_DISPLAY HOME="$home" "${drop[@]}" "$prefix/bin/doduvodaz" "$@" 2>"$tmp/err")
  rc=$?
  err=$(cat "$tmp/err")
}
new_home() {
  mkdir -p "$1"
  [ "$(id -u)" = 0 ] && chown $user_uid:$user_uid "$1"
  return 0
}

home=$tmp/home
new_home "$home"
cat > "$home/mypad.xml" <<'PAD'
<?xml version="1.0" encoding="UTF-8"?>
<XML_DIZ_INFO><Company_Info><Company_Name>Installed Tests Ltd</Company_Name></Company_Info>
<Program_Info><Program_Name>Installed Program</Program_Name><Program_Version>2.0</Program_Version></Program_Info></XML_DIZ_INFO>
PAD
[ "$(id -u)" = 0 ] && chown $user_uid:$user_uid "$home/mypad.xml"

as_user "$home" --import-pad mypad.xml
check "--import-pad exits 0 ($err)" test "$rc" = 0
check "remembered PAD path kept per user" grep -q "$home/mypad.xml" "$home/.config/doduvodaz/system-settings.json"
check "per-user working folder made" test -f "$home/.local/share/doduvodaz/softdata.xml"
check "nothing written into the home folder itself" test ! -e "$home/softdata.xml"
as_user "$home" --show-record
check "--show-record prints the imported name" grep -q '"Program_Name": "Installed Program"' <<<"$out"

# The remembered file is read again at every start.
sed -i 's/Installed Program/Renamed Program/' "$home/mypad.xml"
as_user "$home" --show-record
check "second --show-record refilled from the remembered file" grep -q '"Program_Name": "Renamed Program"' <<<"$out"

as_user "$home" --report "$prefix/share/doduvodaz/demo/submit.htm"
check "--report on the installed demo page exits 0 ($err)" test "$rc" = 0
check "--report fills the demo page from the record" grep -q '"value":"Renamed Program"' <<<"$out"

# Files the user changed are never replaced by the delivered ones.
echo "# mine" >> "$home/.local/share/doduvodaz/padsites.dat"
as_user "$home" --show-record
check "user's files kept" grep -q "# mine" "$home/.local/share/doduvodaz/padsites.dat"

# A home the user cannot write: a message naming the folder, and the page is
# still shown.
ro=$tmp/readonly-home
mkdir -p "$ro"
if [ "$(id -u)" = 0 ]; then
  as_user "$ro" --report "$prefix/share/doduvodaz/demo/submit.htm"
  check "unwritable home named" grep -q "$ro/.local/share/doduvodaz" <<<"$err"
  check "unwritable home still browses" grep -q '"name":"company_name"' <<<"$out"
fi

# The window, started by the user: the program's folder cannot be written, so
# the settings file is made in ~/.config/doduvodaz, and its own first line
# says so. (As root the program's folder is writable; the check needs a user.)
if [ "$(id -u)" = 0 ]; then
  home3=$tmp/home3
  new_home "$home3"
  ( cd "$home3" && exec env -u XDG_DATA_HOME -u XDG_CONFIG_HOME -u XDG_RUNTIME_DIR -u DODUVODAZ_SYSTEM_SETTINGS \
      -u DISPLAY -u WAYLAND_DISPLAY HOME="$home3" QT_QPA_PLATFORM=offscreen \
      setpriv --reuid=$user_uid --regid=$user_uid --clear-groups "$prefix/bin/doduvodaz" >/dev/null 2>&1 ) &
  gui=$!
  ini=$home3/.config/doduvodaz/quillet.ini
  for _ in $(seq 1 300); do [ -s "$ini" ] && break; sleep 0.1; done
  sleep 1
  kill "$gui" 2>/dev/null; wait "$gui" 2>/dev/null
  check "per-user quillet.ini made" test -s "$ini"
  check "quillet.ini says where it is" bash -c "head -n1 '$ini' | grep -qF '$ini'"
  check "quillet.ini keeps the delivered settings" grep -q '^\[MstURL\]' "$ini"
fi

# A delivered file missing: the program starts, the message names it.
rm "$prefix/share/doduvodaz/padsites.dat"
home2=$tmp/home2
new_home "$home2"
as_user "$home2" --show-record
check "missing delivered file named" grep -q "share/doduvodaz/padsites.dat" <<<"$err"
check "record still there without the site list" grep -q '"Program_Name"' <<<"$out"

if [ "$fails" -gt 0 ]; then echo "$fails check(s) failed"; exit 1; fi
echo "all install checks passed"
