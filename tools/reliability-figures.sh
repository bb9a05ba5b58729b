#!/usr/bin/env bash
# Runs the reliability tests on SQLite, through ODBC and on a PostgreSQL server of its own, and
# prints their figures: saves attempted, committed, retried and reported; race rounds;
# faults injected; bad inputs tried.
#   tools/reliability-figures.sh [--no-postgres] [BUILD_DIR]   (BUILD_DIR defaults to build/)
set -uo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
postgres=1
if [ "${1:-}" = "--no-postgres" ]; then
  postgres=0
  shift
fi
build=${1:-$here/build}
export QT_QPA_PLATFORM=offscreen
status=0

run() {
  for test in clerks faults lostconnection badinput; do
    if ! output=$("$build/app/reliability_test_$test" 2>&1); then
      echo "FAILED: reliability_test_$test"
      status=1
    fi
    grep -E '^(saves attempted|race rounds|reported:|stress:|killed:|faults injected|bad inputs tried)' <<<"$output"
  done
}

echo "== SQLite"
run
echo "== SQLite through ODBC"
QUORVEL_TEST_ODBC=1 run
if [ "$postgres" = 1 ]; then
  echo "== PostgreSQL"
  server=$("$here/tools/pg-test-server.sh" start)
  dir=$(sed -E 's/^host=([^ ]+).*/\1/' <<<"$server")
  trap '"$here/tools/pg-test-server.sh" stop "$dir"' EXIT
  QUORVEL_TEST_PG="$server" run
fi
exit $status
