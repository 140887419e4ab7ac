#!/usr/bin/env bash
# The Debian package as Debian's tools and a Debian user see it: its files
# and dependencies, lintian (pedantic) with no error, warning or hardening
# tag, one version everywhere, metadata of the project's own (no placeholder
# host), the user's README and man pages in English and Japanese, and the
# programs unpacked from it run as a new user and as root.   debian.sh BUILD_DIR
set -euo pipefail
build=$(realpath "$1") work=$(mktemp -d)
export LC_ALL=C.UTF-8
fail() { echo "FAIL: $*" >&2; exit 1; }
trap 'rm -rf "$work"' EXIT
chmod 755 "$work" # the new user of firstrun.sh reads the unpacked tree
cpack -G DEB -B "$work" --config "$build/CPackConfig.cmake" >"$work/log" 2>&1 || { cat "$work/log"; fail "cpack"; }
deb=$(ls "$work"/*.deb)
listing=$(dpkg-deb -c "$deb") depends=$(dpkg-deb -f "$deb" Depends) version=$(dpkg-deb -f "$deb" Version)
suggests=$(dpkg-deb -f "$deb" Suggests)
for f in bin/loto6kermon bin/loto6kermon-cli libexec/loto6kermon/loto6kermon-render \
    share/loto6kermon/Loto6Kermon.mdb share/loto6kermon/ロト6ケルモンL.chm \
    share/applications/loto6kermon.desktop share/icons/hicolor/scalable/apps/loto6kermon.svg \
    share/icons/hicolor/48x48/apps/loto6kermon.png share/metainfo/io.github.loto6kermon.Loto6KermonLite.metainfo.xml \
    share/man/man1/loto6kermon-cli.1.gz share/man/man1/loto6kermon.1.gz \
    share/man/ja/man1/loto6kermon-cli.1.gz share/man/ja/man1/loto6kermon.1.gz \
    share/doc/loto6kermon/copyright share/doc/loto6kermon/changelog.gz share/doc/loto6kermon/README.md; do
  grep -q " \./usr/$f\$" <<<"$listing" || fail "$f is not in the package"
done
# The help file is read where the program looks for it; the doc folder only
# points there, so a system that leaves /usr/share/doc out loses nothing.
grep -q " \./usr/share/doc/loto6kermon/ロト6ケルモンL.chm -> \.\./\.\./loto6kermon/ロト6ケルモンL.chm\$" <<<"$listing" \
  || fail "the doc folder does not link to the help file"
for d in libqt6widgets6 libqt6charts6 libqt6printsupport6 libsqlcipher libchm qt6-translations-l10n fonts-ipafont-gothic; do
  grep -q "$d" <<<"$depends" || fail "Depends lacks $d: $depends"
done
# Without a display the program suggests xvfb-run.
[ "$suggests" = xvfb ] || fail "Suggests is not xvfb: $suggests"
# No shared library of its own: nothing for ldconfig to do after installing.
for script in postinst postrm triggers; do
  dpkg-deb --ctrl-tarfile "$deb" | tar -xO "./$script" 2>/dev/null | grep -q ldconfig && fail "$script runs ldconfig"
done

# Debian's checker, as strict as it goes. Info tags are listed, not failed.
lintian -I --pedantic --fail-on none "$deb" >"$work/lintian" 2>"$work/lintian.err" \
  || { cat "$work/lintian.err"; fail "lintian did not run"; }
if grep -E '^[EW]: |hardening|binary-has-unneeded-section' "$work/lintian"; then
  fail "lintian: errors, warnings or hardening tags"
fi
sed 's/^/  lintian /' "$work/lintian"

# One version: the package's, the changelog's, the programs', the metainfo's
# and the man pages'.
root=$work/root home=$work/home
dpkg-deb -x "$deb" "$root"
zcat "$root/usr/share/doc/loto6kermon/changelog.gz" | head -1 | grep -q "^loto6kermon ($version) " \
  || fail "the changelog does not start with $version"
[ "$("$root/usr/bin/loto6kermon-cli" --version)" = "loto6kermon-cli $version" ] || fail "loto6kermon-cli --version"
[ "$(env -i "$root/usr/bin/loto6kermon" --version)" = "loto6kermon $version" ] || fail "loto6kermon --version"
grep -q "<release version=\"$version\"" "$root"/usr/share/metainfo/*.metainfo.xml || fail "metainfo lacks release $version"
for page in "$root"/usr/share/man/man1/*.1.gz "$root"/usr/share/man/ja/man1/*.1.gz; do
  zcat "$page" | grep -q "^\.TH .*Lite $version\"" || fail "${page#"$root"} is not of $version"
done

# No placeholder of a host in what the package says of itself.
placeholders=$( (dpkg-deb -I "$deb"; zcat "$root"/usr/share/man/*/*.gz "$root"/usr/share/man/ja/*/*.gz "$root/usr/share/doc/loto6kermon/changelog.gz"
  cat "$root"/usr/share/metainfo/* "$root"/usr/share/applications/* "$root"/usr/share/doc/loto6kermon/{copyright,README.md}) \
  | grep -i "\.example" || true)
[ -z "$placeholders" ] || fail "placeholders in the package's metadata: $placeholders"
# The README is the user's: how to start, where the data lives, how to keep it current.
for words in "## 起動" "## データの置き場所" "## 当選データを最新に保つ"; do
  grep -q "^$words" "$root/usr/share/doc/loto6kermon/README.md" || fail "the README lacks $words"
done
grep -q "scripts/" "$root/usr/share/doc/loto6kermon/README.md" && fail "the README is the developers'"
# The Japanese pages for man -L ja; the English ones keep the program's name
# and say nothing troff cannot show in the POSIX locale.
export MANPATH=$root/usr/share/man MANWIDTH=200
man -L ja loto6kermon-cli 2>/dev/null | grep -q "^ *loto6kermon-cli - ロト6ケルモンLiteの分析と予想をウィンドウなしで行うコマンド" \
  || fail "man -L ja loto6kermon-cli does not show the Japanese page"
for page in loto6kermon loto6kermon-cli; do
  LC_ALL=C man "$page" >"$work/man.out" 2>"$work/man.err" || fail "man $page in the POSIX locale"
  grep -q "^ *$page - .*Loto6KermonLite" "$work/man.out" || fail "man $page in the POSIX locale lost the program's name"
  [ ! -s "$work/man.err" ] || fail "man $page in the POSIX locale: $(head -3 "$work/man.err")"
done
unset MANPATH MANWIDTH

# Started by name from an empty folder without a display, the unpacked
# program prints the four predictions the build's own program prints, and
# every file it makes for the user is the user's alone.
mkdir -p "$home/empty" "$work/here"
(cd "$home/empty" && env -i HOME="$home" PATH="$root/usr/bin:/usr/bin:/bin" loto6kermon >"$work/byname.out" 2>"$work/byname.err") \
  || fail "loto6kermon by name: $(cat "$work/byname.err")"
(cd "$work/here" && env -i HOME="$work/here" "$build/bin/loto6kermon" >"$work/build.out" 2>"$work/build.err") \
  || fail "the build's loto6kermon: $(cat "$work/build.err")"
[ "$(grep -c '^●' "$work/byname.out")" -eq 4 ] || fail "loto6kermon by name did not print four predictions: $(cat "$work/byname.out")"
cmp -s "$work/byname.out" "$work/build.out" || fail "the unpacked program's predictions differ from the build's"
[ -z "$(ls -A "$home/empty")" ] || fail "loto6kermon by name wrote into the working directory"
(cd "$home/empty" && env -i HOME="$home" PATH="$root/usr/bin:/usr/bin:/bin" \
  loto6kermon-cli tickets add --numbers 1,2,3,4,5,6 >/dev/null 2>"$work/tickets.err") \
  || fail "loto6kermon-cli tickets add: $(cat "$work/tickets.err")"
shared=$(find "$home" -type f ! -perm 0600 -printf '%m %P\n')
[ -z "$shared" ] || fail "files not the user's alone: $shared"
[ "$(find "$home/.local/share/loto6kermon" "$home/.cache/loto6kermon" "$home/.config/loto6kermon" -type f | wc -l)" -ge 3 ] \
  || fail "the programs did not make the database copy, the key and the ledger"
"$(dirname "$0")/firstrun.sh" "$root" "$build"
echo "$(basename "$deb"): ok"
