#!/usr/bin/env bash
# Starts the real dorsena on a virtual X display, waits for its window, asks it
# to close as a window manager would, and checks the settings file it wrote.
#   window_smoke.sh DORSENA_BINARY [--screenshot OUT.png]
# Exit 77 when the tools it needs are missing (ctest counts that as skipped).
set -euo pipefail

BIN=${1:?usage: window_smoke.sh DORSENA_BINARY [--screenshot OUT.png]}
SHOT=""
if [ "${2:-}" = "--screenshot" ]; then
  SHOT=$(realpath -m "${3:?--screenshot needs a file}")
fi
HERE=$(cd "$(dirname "$0")" && pwd)
TITLE="Dorsena v.24.6.17.1"

need() { command -v "$1" >/dev/null 2>&1 || { echo "SKIP: $1 not found"; exit 77; }; }

if [ -z "${DORSENA_SMOKE_DISPLAY:-}" ]; then
  need xvfb-run
  need xdotool
  need python3
  [ -z "$SHOT" ] || need import
  # One bound for everything, the X server included.
  exec timeout 30 xvfb-run -a -s "-screen 0 1280x800x24" \
    env DORSENA_SMOKE_DISPLAY=1 bash "$0" "$@"
fi

WORK=$(mktemp -d)
PID=""
cleanup() {
  if [ -n "$PID" ] && kill -0 "$PID" 2>/dev/null; then
    kill "$PID" 2>/dev/null || true
    wait "$PID" 2>/dev/null || true
  fi
  rm -rf "$WORK"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; [ -f "$WORK/dorsena.log" ] && cat "$WORK/dorsena.log"; exit 1; }

# The settings file lives beside the executable: run a copy in a clean folder.
cp "$BIN" "$WORK/dorsena"
(cd "$WORK" && QT_QPA_PLATFORM=xcb exec ./dorsena >"$WORK/dorsena.log" 2>&1) &
PID=$!

# Bounded poll for the mapped window (10 s).
WIN=""
for _ in $(seq 100); do
  WIN=$(xdotool search --onlyvisible --name "$TITLE" 2>/dev/null | head -n1 || true)
  [ -n "$WIN" ] && break
  kill -0 "$PID" 2>/dev/null || fail "dorsena ended before showing its window"
  sleep 0.1
done
[ -n "$WIN" ] || fail "no window titled '$TITLE'"
NAME=$(xdotool getwindowname "$WIN")
[ "$NAME" = "$TITLE" ] || fail "window title is '$NAME'"
GEOM=$(xdotool getwindowgeometry "$WIN")
echo "$GEOM"
echo "$GEOM" | grep -q "Geometry: 904x423" || fail "window is not 904x423"

if [ -n "$SHOT" ]; then
  # Let the first tick paint the indicator before taking the picture.
  for _ in $(seq 20); do
    import -window "$WIN" "$SHOT" 2>/dev/null && break
    sleep 0.1
  done
  [ -s "$SHOT" ] || fail "no screenshot"
  echo "screenshot: $SHOT"
fi

python3 "$HERE/x11_close.py" "$WIN" || fail "could not send the close request"

# Bounded wait for the program to end (10 s).
for _ in $(seq 100); do
  kill -0 "$PID" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$PID" 2>/dev/null && fail "dorsena still runs after the close request"
RC=0
wait "$PID" || RC=$?
PID=""
[ "$RC" -eq 0 ] || fail "dorsena ended with $RC"

INI="$WORK/Dorsena.ini"
[ -f "$INI" ] || fail "Dorsena.ini not written"
cat "$INI"
grep -qx '\[Glob\]' "$INI" || fail "no [Glob] section"
grep -qx 'IpAdr=192.168.1.254' "$INI" || fail "IpAdr missing"
grep -qx 'Track=0' "$INI" || fail "Track=0 missing"
grep -qx 'Width=904' "$INI" || fail "Width missing"
grep -q '^Debug' "$INI" && fail "Debug was written"
echo "PASS"
