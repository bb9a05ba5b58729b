#!/usr/bin/env bash
# Starts a throwaway PostgreSQL server listening only on a socket in a new temporary folder,
# or stops it again.
#   tools/pg-test-server.sh start   -> prints the connection string ("host=... port=... user=...")
#   tools/pg-test-server.sh stop DIR
set -euo pipefail
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
[ -n "$bin" ] || { echo "PostgreSQL is not installed" >&2; exit 1; }

as_owner() {
  if [ "$(id -u)" -eq 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}

case "${1:-}" in
start)
  dir=$(mktemp -d /tmp/quorvel-pg.XXXXXX)
  chmod 755 "$dir"
  [ "$(id -u)" -eq 0 ] && chown postgres "$dir"
  user=$([ "$(id -u)" -eq 0 ] && echo postgres || id -un)
  as_owner "$bin/initdb" -D "$dir/data" -U "$user" -A trust -E UTF8 >"$dir/initdb.log" 2>&1
  as_owner "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w \
    -o "-c listen_addresses='' -k $dir -c fsync=off -c synchronous_commit=off -c max_connections=200" \
    start >/dev/null
  echo "host=$dir port=5432 user=$user"
  ;;
stop)
  dir=${2:?folder}
  as_owner "$bin/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null 2>&1 || true
  rm -rf "$dir"
  ;;
*)
  echo "usage: $0 start | stop DIR" >&2
  exit 2
  ;;
esac
