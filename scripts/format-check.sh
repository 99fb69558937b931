#!/usr/bin/env bash
# Fails when a tracked C++ file differs from what clang-format makes of it.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null || bash scripts/install-deps.sh
files=$(git ls-files '*.cpp' '*.h')
if ! out=$(clang-format --dry-run --Werror $files 2>&1); then
  printf '%s\n' "$out" | grep -E '^[^ ].*(warning|error):' | cut -d: -f1 | sort -u | sed 's/^/not formatted: /'
  echo "Run: clang-format -i \$(git ls-files '*.cpp' '*.h')"
  exit 1
fi
echo "format: every C++ file is formatted"
