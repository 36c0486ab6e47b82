#!/usr/bin/env bash
# Builds Dorsena and runs it.
#   scripts/run.sh                     against the module simulator, TCP-server mode
#   scripts/run.sh --web               against the module simulator, WEB mode
#   scripts/run.sh ADDRESS[:PORT]      against a real module (no simulator)
#   scripts/run.sh [--web] -- OPTIONS  more options for dorsena-sim (dorsena-sim --help)
# The simulator listens on 127.0.0.1 only and stops when Dorsena's window closes.
set -euo pipefail
cd "$(dirname "$0")/.."

usage() { sed -n '2,7p' "$0" | sed 's/^# \{0,1\}//'; }

MODE=0
ADDR=""
SIM_ARGS=()
while [ $# -gt 0 ]; do
  case "$1" in
    --web) MODE=3 ;;
    -h|--help) usage; exit 0 ;;
    --) shift; SIM_ARGS=("$@"); break ;;
    -*) echo "run.sh: unknown option $1" >&2; usage >&2; exit 2 ;;
    *)
      [ -z "$ADDR" ] || { echo "run.sh: one address only" >&2; exit 2; }
      ADDR=$1 ;;
  esac
  shift
done
if [ -n "$ADDR" ]; then
  # The form Dorsena's address field takes: dotted IPv4, optionally :port.
  if ! [[ "$ADDR" =~ ^([0-9]{1,3})\.([0-9]{1,3})\.([0-9]{1,3})\.([0-9]{1,3})(:([0-9]{1,5}))?$ ]]; then
    echo "run.sh: '$ADDR' is not an address like 192.168.1.254 or 192.168.1.254:80" >&2
    exit 2
  fi
  for part in 1 2 3 4; do
    [ $((10#${BASH_REMATCH[$part]})) -le 255 ] ||
      { echo "run.sh: '$ADDR': each part of the address is 0 to 255" >&2; exit 2; }
  done
  if [ -n "${BASH_REMATCH[6]}" ] && { [ $((10#${BASH_REMATCH[6]})) -lt 1 ] ||
                                       [ $((10#${BASH_REMATCH[6]})) -gt 65535 ]; }; then
    echo "run.sh: '$ADDR': the port is 1 to 65535" >&2
    exit 2
  fi
  if [ "$MODE" = 3 ] || [ ${#SIM_ARGS[@]} -gt 0 ]; then
    echo "run.sh: --web and simulator options go without an address" >&2
    exit 2
  fi
fi

bash scripts/install-deps.sh
# The same build folder and type as scripts/test.sh, so the two share one build.
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 --target dorsena dorsena-sim

INI=build/Dorsena.ini
# Sets Key=Value in section [Glob], keeping every other line.
ini_set() {
  local key=$1 value=$2
  if [ ! -f "$INI" ]; then
    printf '[Glob]\n%s=%s\n' "$key" "$value" >"$INI"
    return
  fi
  awk -v k="$key" -v v="$value" '
    /^\[/ {
      if (insec && !done) { print k "=" v; done = 1 }
      insec = ($0 == "[Glob]"); if (insec) seen = 1
      print; next
    }
    insec && index($0, k "=") == 1 { if (!done) { print k "=" v; done = 1 }; next }
    { print }
    END { if (!seen) { print "[Glob]"; print k "=" v } else if (!done) print k "=" v }
  ' "$INI" >"$INI.tmp"
  mv "$INI.tmp" "$INI"
}

SIM_PID=""
SIM_LOG=build/dorsena-sim.log
cleanup() {
  if [ -n "$SIM_PID" ] && kill -0 "$SIM_PID" 2>/dev/null; then
    kill "$SIM_PID" 2>/dev/null || true
    wait "$SIM_PID" 2>/dev/null || true
    echo "run.sh: simulator stopped; its record is in $SIM_LOG"
  fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

if [ -n "$ADDR" ]; then
  # An address on the command line is the module to watch now.
  ini_set IpAdr "$ADDR"
  ini_set Track 1
  echo "run.sh: $INI now watches $ADDR"
else
  build/dorsena-sim --mode "$MODE" --http-port 8080 --orvane-port 10001 --toggle-ms 1500 \
    --in-names "Door,Window,Motion,Smoke,Water,Button,Key,Power" \
    --out-names "Light,Fan,Heater,Pump,Siren,Lock,Valve,Spare" \
    ${SIM_ARGS[@]+"${SIM_ARGS[@]}"} >"$SIM_LOG" 2>&1 &
  SIM_PID=$!
  SIM_ADDR=""
  for _ in $(seq 50); do
    SIM_ADDR=$(sed -n "s/.*Dorsena's address: \([0-9.:]*\)).*/\1/p" "$SIM_LOG" | head -n1)
    [ -n "$SIM_ADDR" ] && break
    kill -0 "$SIM_PID" 2>/dev/null || break
    sleep 0.1
  done
  if [ -z "$SIM_ADDR" ]; then
    cat "$SIM_LOG" >&2
    echo "run.sh: the simulator did not start" >&2
    grep -q "cannot listen" "$SIM_LOG" &&
      echo "run.sh: other ports: scripts/run.sh -- --http-port 8081 --orvane-port 10002" >&2
    exit 1
  fi
  if [ ! -f "$INI" ]; then
    printf '[Glob]\nIpAdr=%s\nTrack=1\n' "$SIM_ADDR" >"$INI"
    echo "run.sh: wrote $INI: IpAdr=$SIM_ADDR, monitoring on"
  else
    OLD=$(sed -n 's/^IpAdr=//p' "$INI" | head -n1)
    [ "$OLD" = "$SIM_ADDR" ] ||
      echo "run.sh: $INI keeps IpAdr=$OLD; type $SIM_ADDR in the address field to watch the simulator"
  fi
  echo "run.sh: simulator in mode $MODE at $SIM_ADDR; watch its side with: tail -f $SIM_LOG"
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run.sh: no DISPLAY: Dorsena runs on a virtual display (xvfb-run), nothing shows; Ctrl-C ends it"
  xvfb-run -a -s "-screen 0 1280x800x24" build/dorsena
else
  build/dorsena
fi
