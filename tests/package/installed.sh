#!/usr/bin/env bash
# The program installed into a temporary prefix made read-only, run by an
# unprivileged user with a fresh home (tests run as root, for whom nothing is
# read-only, hence setpriv with a throwaway uid).   installed.sh BUILD_DIR
set -euo pipefail
build=$1 work=$(mktemp -d)
export LC_ALL=C.UTF-8
fail() { echo "FAIL: $*" >&2; exit 1; }
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
chmod 755 "$work"
prefix=$work/prefix home=$work/home
cmake --install "$build" --prefix "$prefix" >/dev/null
chmod -R a-w,a+rX "$prefix"
mkdir "$home"
as_user=()
if [ "$(id -u)" -eq 0 ]; then chown 4711:4711 "$home"; as_user=(setpriv --reuid=4711 --regid=4711 --clear-groups); fi
run() { "${as_user[@]}" env -i HOME="$home" XDG_CACHE_HOME="$home/.cache" PATH=/usr/bin:/bin "$@"; }

# Everything is linked in: no module to find at run time, and the program
# exports no symbol table for one.
[ ! -e "$prefix/lib/loto6kermon" ] || fail "lib/loto6kermon is installed"
exported=$(nm -D --defined-only "$prefix/bin/loto6kermon" | wc -l)
[ "$exported" -le 50 ] || fail "the program exports $exported dynamic symbols"

bundled=$prefix/share/loto6kermon/Loto6Kermon.mdb user_db=$home/.local/share/loto6kermon/Loto6Kermon.mdb
run "$prefix/bin/loto6kermon-cli" summary >"$work/installed.json" || fail "summary failed"
cmp -s "$user_db" "$bundled" || fail "the data folder does not hold the bundled database"
"$build/bin/loto6kermon-cli" summary --db "$bundled" >"$work/bundled.json"
cmp -s "$work/installed.json" "$work/bundled.json" || fail "summary differs from the bundled database's"
# Pictures come from the drawing helper the tool finds in libexec.
run "$prefix/bin/loto6kermon-cli" render 一発ケルモン予想 --png "$home/prediction.png" || fail "render"
file "$home/prediction.png" | grep -q "PNG image" || fail "render wrote no PNG"
# Without a display the program prints the predictions from the same copy,
# also when started by name from a folder it can write to, and names the
# installed command in its hint.
mkdir "$home/empty" && chown --reference="$home" "$home/empty"
run "$prefix/bin/loto6kermon" 2>/dev/null | grep -q "一発ケルモン予想" || fail "loto6kermon without a display"
(cd "$home/empty" && "${as_user[@]}" env -i HOME="$home" XDG_CACHE_HOME="$home/.cache" PATH="$prefix/bin:/usr/bin:/bin" \
  loto6kermon >"$work/byname.out" 2>"$work/byname.err") || fail "loto6kermon by name: $(cat "$work/byname.err")"
grep -q "一発ケルモン予想" "$work/byname.out" || fail "loto6kermon by name printed no predictions"
grep -q "xvfb-run -a loto6kermon\$" "$work/byname.err" || fail "the hint does not name the installed command"
[ -z "$(ls -A "$home/empty")" ] || fail "loto6kermon by name wrote into the working directory"
desktop-file-validate "$prefix/share/applications/loto6kermon.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$prefix"/share/metainfo/*.metainfo.xml >/dev/null || fail "metainfo"
echo "installed program: ok"
