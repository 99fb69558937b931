#!/usr/bin/env bash
# Builds optimised and runs every benchmark under bench/, printing the figures.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build-release
for b in build-release/bench/*/bench_*; do
  [ -f "$b" ] && [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  dir=$(mktemp -d)
  (cd "$dir" && QT_QPA_PLATFORM=offscreen "$OLDPWD/$b")
  rm -rf "$dir"
done
