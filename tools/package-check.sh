#!/usr/bin/env bash
# Builds the Debian packages and runs lintian on them (an error or a warning fails); checks that
# together they hold what a prefix install holds; installs the program with the runtime
# libraries alone and runs it, then the development package, and builds the example host
# against it. Installs the same build under a temporary prefix and builds the example against it
# too. Removes the packages again afterwards. Needs root or sudo (it installs packages).
#   tools/package-check.sh
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="$here/build-package"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
apt_get() { DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get -o DPkg::Lock::Timeout=600 -y -qq "$@"; }

# Exactly this status from a command, else stop with what it printed.
expect_status() {
  local want=$1 got=0
  shift
  "$@" >"$work/out.txt" 2>&1 || got=$?
  if [ "$got" != "$want" ]; then
    echo "package-check: '$*' exited $got, not $want:" >&2
    cat "$work/out.txt" >&2
    exit 1
  fi
}
fail() {
  echo "package-check: $*" >&2
  exit 1
}
# Every library of ours (their file names, filled in from the packages below) that a program
# loads must come from the given folder.
libraries=()
expect_libraries_from() {
  local program=$1 folder lib loaded
  folder=$(realpath "$2")
  for lib in "${libraries[@]}"; do
    loaded=$(ldd "$program" | sed -n -E "s|^\s*$lib\.[0-9.]* => (\S+) .*|\1|p")
    [ -n "$loaded" ] && [ "$(dirname "$(realpath "$loaded")")" = "$folder" ] ||
      fail "$program loads $lib from '${loaded:-nowhere}', not from $folder"
  done
}
expect_type() {
  local type
  type=$(file -b --mime-type "$1" 2>/dev/null || true)
  [ "$type" = "$2" ] || fail "$1 is '$type', not $2"
}
# The installed program: help without a display, the demo register, and the report and the
# letter template from the installed data folder (there is none beside the program).
check_program() {
  local program=$1 db="$work/demo-$2.sqlite"
  echo "-- $program"
  expect_status 0 env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" --help
  grep -q -- '--init-demo' "$work/out.txt" || fail "$program --help does not list --init-demo"
  expect_status 0 env -u DISPLAY -u QT_QPA_PLATFORM "$program" --db "$db" --init-demo \
    --process-date 2026-11-30 --screenshot "$work/register-$2.png"
  expect_type "$work/register-$2.png" image/png
  expect_status 0 "$program" --db "$db" --export-pdf 39 --out "$work/jc39-$2.pdf"
  expect_type "$work/jc39-$2.pdf" application/pdf
  expect_status 0 "$program" --db "$db" --letters JC39 --out "$work/letter39-$2.pdf"
  expect_type "$work/letter39-$2.pdf" application/pdf
}
# The example host, built against one install with CMake and with pkg-config; it runs and links
# that install.
check_example() {
  local name=$1 libdir=$2
  shift 2
  echo "-- example host against the $name install"
  cmake -S "$here/examples" -B "$work/example-$name" -G Ninja "$@" >/dev/null
  cmake --build "$work/example-$name" >/dev/null
  expect_status 2 "$work/example-$name/payroll-host"
  expect_libraries_from "$work/example-$name/payroll-host" "$libdir"
  # shellcheck disable=SC2046 # pkg-config gives several words
  g++ -std=c++20 -fPIC "$here/examples/payroll-host.cpp" -o "$work/example-$name/pc-host" \
    -Wl,-rpath,"$libdir" $(PKG_CONFIG_PATH="$libdir/pkgconfig" pkg-config --cflags --libs quorvel)
  expect_status 2 "$work/example-$name/pc-host"
  expect_libraries_from "$work/example-$name/pc-host" "$libdir"
}

echo "== Debian packages"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_INSTALL_PREFIX=/usr -DQUORVEL_BUILD_TESTS=OFF >/dev/null
cmake --build "$build"
rm -f "$build"/*.deb
(cd "$build" && cpack -G DEB >/dev/null)
work=$(mktemp -d)
export XDG_RUNTIME_DIR="$work"
debs=("$build"/*.deb)
packages=()
runtime=()
for deb in "${debs[@]}"; do
  packages+=("$(dpkg-deb -f "$deb" Package)")
  [ "$(dpkg-deb -f "$deb" Section)" = libdevel ] || runtime+=("$deb")
done
echo "-- ${packages[*]}"
lintian --fail-on error,warning --display-info "${debs[@]}" ||
  fail "lintian finds errors or warnings in the packages"

# What the packages hold together is what a plain install holds, less the Debian files.
prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
for deb in "${debs[@]}"; do
  dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sed 's|^\./usr/||'
done | grep -v -E '^share/(doc|lintian)/' | sort >"$work/packaged.txt"
(cd "$prefix" && find . ! -type d | sed 's|^\./||' | sort) >"$work/installed.txt"
diff "$work/installed.txt" "$work/packaged.txt" >"$work/contents.diff" ||
  fail "the packages (>) do not hold what an install does (<): $(cat "$work/contents.diff")"
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
mapfile -t libraries < <(grep -o -E "^lib/$multiarch/lib[^/]+\.so$" "$work/packaged.txt" |
  xargs -n1 basename)

# One check at a time on this machine: the packages are installed system-wide.
exec 9>/tmp/quorvel-package-check.lock
flock 9
cleanup() {
  apt_get purge "${packages[@]}" >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
apt_get purge "${packages[@]}" >/dev/null 2>&1 || true

# The program needs the runtime libraries only; the trigger puts them in the loader's cache.
apt_get install "${runtime[@]}" >/dev/null
for lib in "${libraries[@]}"; do
  ldconfig -p | grep -q "^\s$lib\.[0-9]* " || fail "$lib is not in the loader's cache"
  for file in /usr/lib/"$multiarch"/"$lib"*; do
    ! readelf -d "$file" | grep -q -E 'RPATH|RUNPATH' || fail "$file carries an RPATH"
  done
done
! readelf -d /usr/bin/quorvel-host | grep -q -E 'RPATH|RUNPATH' || fail "quorvel-host carries an RPATH"
desktop-file-validate /usr/share/applications/quorvel-host.desktop
check_program /usr/bin/quorvel-host deb
expect_libraries_from /usr/bin/quorvel-host "/usr/lib/$multiarch"

apt_get install "${debs[@]}" >/dev/null
check_example system "/usr/lib/$multiarch"
apt_get purge "${packages[@]}" >/dev/null
for lib in "${libraries[@]}"; do
  ! ldconfig -p | grep -q "^\s$lib\." || fail "$lib stays in the loader's cache after removal"
done

echo "== Install under a prefix"
check_program "$prefix/bin/quorvel-host" prefix
expect_libraries_from "$prefix/bin/quorvel-host" "$prefix/lib/$multiarch"
check_example prefix "$prefix/lib/$multiarch" -DCMAKE_PREFIX_PATH="$prefix"
echo "package-check: all good"
