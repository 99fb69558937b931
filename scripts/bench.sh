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
  # The reading benchmarks' 100,000-page site only when asked (BENCH_FULL=1).
  args=()
  case "$(basename "$b")" in
    bench_read | bench_read_window) [ -n "${BENCH_FULL:-}" ] || args=(--quick) ;;
  esac
  dir=$(mktemp -d)
  (cd "$dir" && QT_QPA_PLATFORM=offscreen "$OLDPWD/$b" "${args[@]}")
  rm -rf "$dir"
done
