#!/usr/bin/env bash
# Builds and runs every test twice: a plain debug build, then one under
# AddressSanitizer and UndefinedBehaviorSanitizer. Any failure or sanitizer
# report fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install_deps.sh

for preset in dev asan; do
  echo "=== ${preset}: configure and build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  echo "=== ${preset}: test"
  ctest --preset "$preset" -j2
done
echo "=== all tests passed (plain and sanitized)"
