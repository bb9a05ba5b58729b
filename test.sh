#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors and runs every test with ctest.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
"$here/tools/install-packages.sh"
cmake -S "$here" -B "$here/build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUORVEL_WERROR=ON >/dev/null
cmake --build "$here/build"
cd "$here/build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)" "$@"
