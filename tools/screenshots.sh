#!/usr/bin/env bash
# Makes the pictures of the clerk's guide again, docs/*.png, from a fresh demo database: one per
# scene of the host program (`quorvel-host --screenshot-scenes` lists them: a window in a known
# state, reached from the register without a clerk), and the first page of a revision letter.
# Run it after changing a window, and look at the pictures before committing them.
#   tools/screenshots.sh [BUILD_DIR]   (BUILD_DIR defaults to build/; the host is built there)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
docs=$here/docs

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUORVEL_WERROR=ON >/dev/null
fi
cmake --build "$build" --target quorvel-host >/dev/null
host=$build/app/quorvel-host

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -m 700 "$work/run"
# The same pictures on every machine: no display, dates as the C locale writes them
# (30 Nov 2026), no settings of the one who runs it.
export QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8 LANG=C.UTF-8 HOME=$work XDG_RUNTIME_DIR=$work/run
unset LANGUAGE XDG_CONFIG_HOME QUORVEL_DATASOURCES
demo=(--db "$work/demo.sqlite" --company 1 --user 1 --process-date 2026-11-30 --title Payroll)

# The proposals' picture wants a batch waiting: on a demo database of its own, approval on, Clerk
# Two proposes the senior grade's increment and one of its employees changes afterwards.
review=(--db "$work/review.sqlite" --company 1 --process-date 2026-11-30 --title Payroll)
printf '[employees]\ngrade = 3\n[change]\ndate = 2027-01-01\nremarks = Annual increment 2027\nbasic = +5%%\nrounding = 1\n[line]\nkind = allowance\ntype = 1\nchange = +1000\n' >"$work/senior.ini"
"$host" "${review[@]}" --init-demo --user 1 --set-approval on >/dev/null
"$host" "${review[@]}" --user 2 --bulk "$work/senior.ini" --propose >/dev/null
sqlite3 "$work/review.sqlite" "update pay_employee set eBasic = eBasic + 500 where eEmpID =
  (select bbrEmpID from pay_bulkbatchrows where bbrRowNo = 2)"

status=0
while IFS=$'\t' read -r name shows; do
  args=("${demo[@]}")
  [ "$name" = proposals ] && args=("${review[@]}" --user 1)
  if "$host" "${args[@]}" --init-demo --screenshot "$work/$name.png" --screenshot-scene "$name"; then
    install -m 644 "$work/$name.png" "$docs/$name.png"
    echo "docs/$name.png: $shows"
  else
    echo "docs/$name.png: not made" >&2
    status=1
  fi
done < <("$host" --screenshot-scenes)

# A letter is a PDF, not a window: its first page as the guide shows it.
"$host" "${demo[@]}" --letters JC400 --out "$work/letter.pdf" >/dev/null
pdftoppm -png -r 80 -f 1 -l 1 -singlefile "$work/letter.pdf" "$work/letter"
install -m 644 "$work/letter.png" "$docs/revision-letter.png"
echo "docs/revision-letter.png: the revision letter of JC400"
exit $status
