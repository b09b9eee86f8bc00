#!/usr/bin/env bash
# Builds Dalvex (optimised) and starts its window.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install_deps.sh

cmake --preset release >/dev/null
cmake --build --preset release --target dalvex

if [[ -z "${DISPLAY:-}" ]]; then
  cat >&2 <<'MSG'
Dalvex is a desktop window and needs an X display, but DISPLAY is not set.
Run it from a graphical session, or start a virtual display first, e.g.:
    Xvfb :99 -screen 0 1024x768x24 &  export DISPLAY=:99
and then run this command again.
MSG
  exit 1
fi
exec build/release/app/dalvex
