#!/usr/bin/env bash
# The Debian package holds the programs, the data, the desktop entry, the
# icon, the metainfo and the man pages, and depends on the libraries
# dpkg-shlibdeps found.   debian.sh BUILD_DIR
set -euo pipefail
build=$1 work=$(mktemp -d)
export LC_ALL=C.UTF-8
fail() { echo "FAIL: $*" >&2; exit 1; }
trap 'rm -rf "$work"' EXIT
cpack -G DEB -B "$work" --config "$build/CPackConfig.cmake" >"$work/log" 2>&1 || { cat "$work/log"; fail "cpack"; }
deb=$(ls "$work"/*.deb)
listing=$(dpkg-deb -c "$deb") depends=$(dpkg-deb -f "$deb" Depends)
for f in bin/loto6kermon bin/loto6kermon-cli libexec/loto6kermon/loto6kermon-render \
    share/loto6kermon/Loto6Kermon.mdb share/loto6kermon/ロト6ケルモンL.chm \
    share/applications/loto6kermon.desktop share/icons/hicolor/scalable/apps/loto6kermon.svg \
    share/icons/hicolor/48x48/apps/loto6kermon.png share/metainfo/example.loto6kermon.Loto6KermonLite.metainfo.xml \
    share/man/man1/loto6kermon-cli.1.gz share/man/man1/loto6kermon.1.gz; do
  grep -q " \./usr/$f\$" <<<"$listing" || fail "$f is not in the package"
done
for d in libqt6widgets6 libqt6charts6 libqt6printsupport6 libsqlcipher libchm qt6-translations-l10n fonts-ipafont-gothic; do
  grep -q "$d" <<<"$depends" || fail "Depends lacks $d: $depends"
done
# No shared library of its own: nothing for ldconfig to do after installing.
for script in postinst postrm triggers; do
  dpkg-deb --ctrl-tarfile "$deb" | tar -xO "./$script" 2>/dev/null | grep -q ldconfig && fail "$script runs ldconfig"
done
echo "$(basename "$deb"): ok"
