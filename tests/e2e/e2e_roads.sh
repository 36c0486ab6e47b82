#!/usr/bin/env bash
# Both roads end to end with the real programs on a virtual X display: dorsena
# resumes monitoring a dorsena-sim module, and the simulator's record shows what
# the program asked for; a click on output 1's On button must switch the module's
# output, and closing the window must save "Track=1".
#   e2e_roads.sh DORSENA DORSENA_SIM [--screenshots DIR]
# Exit 77 when the tools it needs are missing (ctest counts that as skipped).
set -euo pipefail

BIN=$(realpath "${1:?usage: e2e_roads.sh DORSENA DORSENA_SIM [--screenshots DIR]}")
SIM=$(realpath "${2:?usage: e2e_roads.sh DORSENA DORSENA_SIM [--screenshots DIR]}")
SHOTS=""
if [ "${3:-}" = "--screenshots" ]; then
  SHOTS=$(realpath -m "${4:?--screenshots needs a folder}")
fi
HERE=$(cd "$(dirname "$0")" && pwd)
# Sanitizer builds: the X libraries' own leaks are not ours (as under ctest).
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}

need() { command -v "$1" >/dev/null 2>&1 || { echo "SKIP: $1 not found"; exit 77; }; }

if [ -z "${DORSENA_E2E_DISPLAY:-}" ]; then
  need xvfb-run
  need xdotool
  need python3
  [ -z "$SHOTS" ] || need import
  # One bound for everything, the X server included.
  exec timeout 60 xvfb-run -a -s "-screen 0 1280x800x24" \
    env DORSENA_E2E_DISPLAY=1 bash "$0" "$@"
fi

WORK=$(mktemp -d)
APP_PID=""
SIM_PID=""
stop() {
  local pid=$1
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  fi
}
cleanup() {
  stop "$APP_PID"
  stop "$SIM_PID"
  rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 143' TERM INT

ROAD=""
fail() {
  echo "FAIL ($ROAD): $*"
  for f in sim.log app/dorsena.log app/Dorsena.ini; do
    [ -f "$WORK/$f" ] && { echo "--- $f"; tail -n 60 "$WORK/$f"; }
  done
  exit 1
}

# The simulator's record: "<ms> ms  <what>", one line per event.
record() { sed -n 's/^ *\([0-9]*\) ms  //p' "$WORK/sim.log"; }
count() { record | grep -c -- "$1" || true; }
# Milliseconds of every line matching $1.
times() { grep -- "$1" "$WORK/sim.log" | sed 's/^ *\([0-9]*\) ms.*/\1/'; }
# Polls (every 50 ms, at most $2 s) until the record has $3 lines matching $1.
wait_for() {
  local pattern=$1 secs=$2 n=${3:-1} i
  for ((i = 0; i < secs * 20; i++)); do
    [ "$(count "$pattern")" -ge "$n" ] && return 0
    kill -0 "$SIM_PID" 2>/dev/null || fail "the simulator ended"
    kill -0 "$APP_PID" 2>/dev/null || fail "dorsena ended"
    sleep 0.05
  done
  fail "waited ${secs} s for $n x '$pattern'"
}
# Smallest and middle gap between successive lines matching $1, from the $2-th on.
gaps() {
  times "$1" | tail -n +"$2" | awk 'NR > 1 { print $1 - prev } { prev = $1 }' | sort -n |
    awk '{ g[NR] = $1 } END { if (NR == 0) print "0 0"; else print g[1], g[int((NR + 1) / 2)] }'
}

run_road() {
  local mode=$1
  ROAD=$([ "$mode" = 0 ] && echo TCP || echo WEB)
  rm -rf "$WORK/app" "$WORK/sim.log"
  mkdir -p "$WORK/app"

  # For pictures, inputs that change by themselves.
  local extra=()
  [ -z "$SHOTS" ] || extra=(--toggle-ms 230)
  "$SIM" --mode "$mode" --http-port 0 --orvane-port 0 --inputs 8 --outputs 8 \
    --in-names "Door,Window,Motion,Smoke,Water,Button,Key,Power" \
    --out-names "Light,Fan,Heater,Pump,Siren,Lock,Valve,Spare" \
    ${extra[@]+"${extra[@]}"} >"$WORK/sim.log" 2>&1 &
  SIM_PID=$!
  local addr="" i
  for ((i = 0; i < 100; i++)); do
    addr=$(sed -n "s/.*Dorsena's address: \([0-9.:]*\)).*/\1/p" "$WORK/sim.log")
    [ -n "$addr" ] && break
    kill -0 "$SIM_PID" 2>/dev/null || break
    sleep 0.05
  done
  [ -n "$addr" ] || fail "the simulator did not start"

  # The settings file lives beside the executable: a copy in a folder of its own.
  cp "$BIN" "$WORK/app/dorsena"
  printf '[Glob]\nIpAdr=%s\nTrack=1\n' "$addr" >"$WORK/app/Dorsena.ini"
  (cd "$WORK/app" && QT_QPA_PLATFORM=xcb exec ./dorsena >"$WORK/app/dorsena.log" 2>&1) &
  APP_PID=$!

  local win=""
  for ((i = 0; i < 200; i++)); do
    win=$(xdotool search --onlyvisible --name '^Dorsena v\.' 2>/dev/null | head -n1 || true)
    [ -n "$win" ] && break
    kill -0 "$APP_PID" 2>/dev/null || fail "dorsena ended before showing its window"
    sleep 0.05
  done
  [ -n "$win" ] || fail "no Dorsena window"

  # The settings document comes first, about a second after the window.
  wait_for 'HTTP GET /settings.xml' 10
  [ "$(record | grep -m1 '^HTTP \|^ORV ')" = "HTTP GET /settings.xml" ] ||
    fail "the first request is not the settings document"

  local min mid
  if [ "$mode" = 0 ]; then
    wait_for 'name of output 8' 10
    local names
    names=$(record | sed -n 's/^ORV sig \([78]\) name of \(input\|output\) \([0-9]*\):.*/\1\3/p' |
      head -n 16 | tr '\n' ' ')
    [ "$names" = "71 72 73 74 75 76 77 78 81 82 83 84 85 86 87 88 " ] ||
      fail "names asked in the order: $names"
    # Inputs and outputs first, then the cycle: outputs, inputs, about every 300 ms.
    wait_for 'read inputs' 10 6
    read -r min mid < <(gaps 'read inputs' 2)
    echo "$ROAD: I/O cycle every ${mid} ms (shortest ${min} ms)"
    [ "$min" -ge 250 ] && [ "$mid" -le 600 ] || fail "I/O cycle gaps: shortest $min, middle $mid ms"
    wait_for 'read outputs' 10 2
  else
    wait_for 'HTTP GET /fresh.xml' 15 4
    read -r min mid < <(gaps 'HTTP GET /fresh.xml' 1)
    echo "$ROAD: live state read every ${mid} ms (shortest ${min} ms)"
    [ "$min" -ge 900 ] && [ "$mid" -le 1500 ] || fail "live-state gaps: shortest $min, middle $mid ms"
    [ "$(count 'ORV')" -eq 0 ] || fail "Orvane traffic in WEB mode"
  fi

  # Output 1's On button. Tiles of 8 inputs in rows of 4 at 904 px: the outputs
  # start at 156 in the tile area, which begins 38 px below the window's top;
  # the button stands at (92, 22) in its tile, 41 x 22.
  local per_row=$(((904 - 4 - 193) / 197 + 1)) rows out_top
  rows=$(((8 + per_row - 1) / per_row))
  out_top=$((28 + rows * 52 - 4 + 28))
  xdotool mousemove --window "$win" $((4 + 92 + 20)) $((38 + out_top + 22 + 11)) click 1
  if [ "$mode" = 0 ]; then
    wait_for 'set outputs 1=on 2=off' 5
  else
    wait_for 'HTTP GET /set.xml?type=s&id=1$' 5
  fi
  wait_for '^outputs 10000000$' 5
  [ "$(count 'HTTP GET /set.xml')" -eq "$([ "$mode" = 0 ] && echo 0 || echo 1)" ] ||
    fail "set.xml requests: $(count 'HTTP GET /set.xml')"

  if [ -n "$SHOTS" ]; then
    # One more answer after the switch, so the tile shows it.
    if [ "$mode" = 0 ]; then
      wait_for 'read inputs' 5 "$(($(count 'read inputs') + 2))"
    else
      wait_for 'HTTP GET /fresh.xml' 5 "$(($(count 'HTTP GET /fresh.xml') + 1))"
    fi
    mkdir -p "$SHOTS"
    import -window "$win" "$SHOTS/road-$(echo "$ROAD" | tr A-Z a-z).png" ||
      fail "no screenshot"
  fi

  python3 "$HERE/x11_close.py" "$win" || fail "could not send the close request"
  for ((i = 0; i < 200; i++)); do
    kill -0 "$APP_PID" 2>/dev/null || break
    sleep 0.05
  done
  kill -0 "$APP_PID" 2>/dev/null && fail "dorsena still runs after the close request"
  local rc=0
  wait "$APP_PID" || rc=$?
  APP_PID=""
  [ "$rc" -eq 0 ] || fail "dorsena ended with $rc"
  grep -qx 'Track=1' "$WORK/app/Dorsena.ini" || fail "Dorsena.ini lacks Track=1"
  grep -qx "IpAdr=$addr" "$WORK/app/Dorsena.ini" || fail "Dorsena.ini lacks IpAdr=$addr"
  stop "$SIM_PID"
  SIM_PID=""
  echo "PASS $ROAD"
}

run_road 0
run_road 3
