#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors and runs every test with ctest:
# on SQLite, on SQLite through the ODBC driver manager (the path SQL Server users take), and on
# a PostgreSQL server of its own. A run of every test (no ctest options) then checks the install:
# the Debian package, a prefix install and the example host built against both.
#   ./test.sh [--no-postgres] [ctest options]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
postgres=1
if [ "${1:-}" = "--no-postgres" ]; then
  postgres=0
  shift
fi
"$here/tools/install-packages.sh"
# The same build folder, type and options as ./run.sh, so that either reuses the other's work.
cmake -S "$here" -B "$here/build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUORVEL_WERROR=ON >/dev/null
cmake --build "$here/build"
cd "$here/build"
export QT_QPA_PLATFORM=offscreen

echo "== Tests on SQLite"
ctest --output-on-failure -j"$(nproc)" "$@"

echo "== Tests through ODBC"
QUORVEL_TEST_ODBC=1 ctest --output-on-failure -j"$(nproc)" "$@"

if [ "$postgres" = 1 ]; then
  echo "== Tests on PostgreSQL"
  server=$("$here/tools/pg-test-server.sh" start)
  dir=$(sed -E 's/^host=([^ ]+).*/\1/' <<<"$server")
  trap '"$here/tools/pg-test-server.sh" stop "$dir"' EXIT
  QUORVEL_TEST_PG="$server" ctest --output-on-failure -j"$(nproc)" "$@"
fi

if [ "$#" -eq 0 ]; then
  echo "== Install and Debian package"
  "$here/tools/package-check.sh"
fi
