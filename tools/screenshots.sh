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

status=0
while IFS=$'\t' read -r name shows; do
  if "$host" "${demo[@]}" --init-demo --screenshot "$work/$name.png" --screenshot-scene "$name"; then
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
