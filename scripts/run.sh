#!/usr/bin/env bash
# Installs what is missing, builds optimised (build-release) and starts the
# main program in its data directory (default ./data): the program keeps its
# files in the current directory.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
bash scripts/install-deps.sh
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build-release --target quillmark skimwell qm_makecontrol
data="${QUILLMARK_DATA:-$root/data}"
mkdir -p "$data"
cd "$data"
# A new data directory gets the control file an installation provides.
"$root/build-release/bin/qm_makecontrol"
exec "$root/build-release/bin/quillmark"
