#!/usr/bin/env bash
# Installs what is missing, builds, creates the demo database on first use and opens the register.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
"$here/tools/install-packages.sh"
# The same build folder, type and options as ./test.sh, so that either reuses the other's work.
cmake -S "$here" -B "$here/build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUORVEL_WERROR=ON >/dev/null
cmake --build "$here/build" --target quorvel-host
exec "$here/build/app/quorvel-host" --db "$here/demo.sqlite" --init-demo \
  --company 1 --user 1 --process-date 2026-11-30 --title "Payroll" "$@"
