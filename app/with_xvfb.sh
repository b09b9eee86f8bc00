#!/bin/sh
# Runs a command on a private virtual X server that lives as long as the
# command, and exits with the command's status. The server picks a free
# display number itself (-displayfd), so test programs may run in parallel.
set -u

dir=$(mktemp -d "${TMPDIR:-/tmp}/dalvex-xvfb.XXXXXX") || exit 1
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$dir/display" 2>"$dir/xvfb.log" &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null; rm -rf "$dir"' EXIT
trap 'exit 130' INT TERM

waited=0
while [ ! -s "$dir/display" ]; do
  if ! kill -0 "$xvfb" 2>/dev/null; then
    echo "with_xvfb.sh: Xvfb did not start:" >&2
    cat "$dir/xvfb.log" >&2
    exit 1
  fi
  waited=$((waited + 1))
  if [ "$waited" -gt 200 ]; then
    echo "with_xvfb.sh: Xvfb did not report a display within 20 s" >&2
    exit 1
  fi
  sleep 0.1
done

DISPLAY=":$(tr -d '\n' <"$dir/display")"
export DISPLAY
"$@"
