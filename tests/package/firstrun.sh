#!/usr/bin/env bash
# The unpacked package's three programs as a new user and as root first run
# them: each program finds the bundled files from where the package puts it
# (the helper in libexec as well), makes the user's files in the home folder
# alone and never writes into the installed tree, which root could. A first
# run that fails leaves nothing behind.   firstrun.sh UNPACKED_ROOT BUILD_DIR
set -euo pipefail
root=$(realpath "$1") build=$(realpath "$2") work=$(mktemp -d)
export LC_ALL=C.UTF-8
fail() { echo "FAIL: $*" >&2; exit 1; }
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"
usr=$root/usr helper=$root/usr/libexec/loto6kermon/loto6kermon-render
listing() { find "$root" -printf '%P %s %m %T@\n' | sort; }
before=$(listing)
"$build/bin/loto6kermon-cli" summary --db "$usr/share/loto6kermon/Loto6Kermon.mdb" >"$work/bundled.json"

# WHO (user: a throwaway uid, or root) runs a command from HOME with what a
# login gives (HOME, a runtime folder) and nothing else of this environment.
run() {
  local who=$1 home=$2
  shift 2
  local as=()
  [ "$who" = user ] && as=(setpriv --reuid=4712 --regid=4712 --clear-groups)
  (cd "$home" && "${as[@]}" env -i HOME="$home" XDG_RUNTIME_DIR="$work/runtime-$who" PATH="$usr/bin:/usr/bin:/bin" "$@")
}
new_home() {
  local home=$work/$1-$2
  mkdir "$home"
  [ "$1" = user ] && chown 4712:4712 "$home"
  echo "$home"
}
for who in user root; do
  mkdir -m 0700 "$work/runtime-$who"
  [ "$who" = user ] && chown 4712:4712 "$work/runtime-$who"
done

for who in user root; do
  home=$(new_home "$who" first) data=.local/share/loto6kermon
  # The helper first: it makes the user's copy of the draws as the others do.
  run "$who" "$home" "$helper" render 一発ケルモン予想 --png "$home/helper.png" 2>"$work/err" \
    || fail "$who: loto6kermon-render as the first command: $(cat "$work/err")"
  file "$home/helper.png" | grep -q "PNG image" || fail "$who: loto6kermon-render wrote no PNG"
  cmp -s "$home/$data/Loto6Kermon.mdb" "$usr/share/loto6kermon/Loto6Kermon.mdb" \
    || fail "$who: the data folder does not hold the bundled database"
  run "$who" "$home" loto6kermon-cli summary >"$work/summary.json" 2>"$work/err" || fail "$who: summary: $(cat "$work/err")"
  cmp -s "$work/summary.json" "$work/bundled.json" || fail "$who: summary differs from the bundled database's"
  run "$who" "$home" loto6kermon-cli render バラツキ分析 --png "$home/cli.png" 2>"$work/err" \
    || fail "$who: loto6kermon-cli render: $(cat "$work/err")"
  file "$home/cli.png" | grep -q "PNG image" || fail "$who: loto6kermon-cli render wrote no PNG"
  run "$who" "$home" loto6kermon >"$work/predictions" 2>/dev/null || fail "$who: loto6kermon without a display"
  [ "$(grep -c '^●' "$work/predictions")" -eq 4 ] || fail "$who: loto6kermon did not print four predictions"
  run "$who" "$home" loto6kermon-cli tickets add --numbers 1,2,3,4,5,6 >/dev/null 2>"$work/err" \
    || fail "$who: tickets add: $(cat "$work/err")"
  [ -f "$home/$data/ロト6ケルモン購入記録.db" ] || fail "$who: the ledger is not in the data folder"
  foreign=$(find "$home" ! -name '*.png' \( ! -uid "$(stat -c %u "$home")" -o -type f ! -perm 0600 \) -printf '%m %u %P\n')
  [ -z "$foreign" ] || fail "$who: files not the user's alone: $foreign"

  # A first run that fails (here its configuration folder cannot be made)
  # says why and leaves the home as it was.
  home=$(new_home "$who" failed)
  run "$who" "$home" touch "$home/.config"
  for program in "$helper render 一発ケルモン予想 --png $home/x.png" "loto6kermon-cli summary" loto6kermon; do
    # shellcheck disable=SC2086 # the words of the command line
    if run "$who" "$home" $program >/dev/null 2>"$work/err"; then fail "$who: $program succeeded without a configuration folder"; fi
    grep -q "作成できません" "$work/err" || fail "$who: $program did not say why it failed: $(cat "$work/err")"
    [ "$(ls -A "$home")" = .config ] || fail "$who: a failed $program left $(ls -A "$home" | tr '\n' ' ')"
  done
done
[ "$(listing)" = "$before" ] || fail "the programs wrote into the installed tree"
echo "first runs as a new user and as root: ok"
