#!/usr/bin/env bash
# Installs what is missing, builds, and starts the main program in its data
# directory (default ./data): the program keeps its files in the current directory.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Debug
cmake --build build --target quillmark skimwell
data="${QUILLMARK_DATA:-$root/data}"
mkdir -p "$data"
cd "$data"
exec "$root/build/frame/quillmark"
