#!/usr/bin/env bash
# What streaming costs: CPU time per minute and resident memory of a client reading the
# virtual card's receiver at one sentence group a second (orvanta-gps watch, the
# middleware's whole GPS path), and of the tray tool, on a virtual display, switched on
# with its trigger button while the receiver has no fix, so that it reads every sentence
# (the tool stops reading once it has a fix).
#   bench/gps-stream-cost.sh [seconds] [preset]     (default: 60 default)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
preset=${2:-default}
if [[ "${ORVANTA_IN_XVFB:-}" != 1 ]]; then
  cmake --build --preset "$preset" --target orvanta orvanta-gps orvanta-cardsim >/dev/null
  export ORVANTA_IN_XVFB=1
  exec xvfb-run --auto-servernum --server-args="-screen 0 1024x768x24" "$0" "$seconds" "$preset"
fi
build="build/$preset"
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/sim" "$work/runtime" "$work/home" && chmod 700 "$work/sim" "$work/runtime"
export ORVANTA_DEVICES=sim ORVANTA_SIM_DIR="$work/sim" XDG_RUNTIME_DIR="$work/runtime" HOME="$work/home"

wait_for() {
  local seconds=$1
  shift
  local deadline=$((SECONDS + seconds))
  until "$@"; do
    ((SECONDS < deadline)) || return 1
    sleep 0.2
  done
}

# CPU seconds (user + system) the process has used so far.
cpu_seconds() {
  awk -v hz="$(getconf CLK_TCK)" '{ print ($14 + $15) / hz }' "/proc/$1/stat"
}
memory() {
  awk '/^VmRSS/ { rss = $2 } /^VmHWM/ { hwm = $2 } END { printf "%.1f MB resident (peak %.1f MB)", rss / 1024, hwm / 1024 }' \
    "/proc/$1/status"
}
# Prints the cost of process $1 over the measuring time, labelled $2.
measure() {
  local pid=$1 label=$2 before after
  before=$(cpu_seconds "$pid")
  sleep "$seconds"
  after=$(cpu_seconds "$pid")
  awk -v b="$before" -v a="$after" -v s="$seconds" -v l="$label" -v m="$(memory "$pid")" \
    'BEGIN { used = a - b; printf "%-34s %.3f s CPU per minute (%.3f%% of one core), %s\n", l, used * 60 / s, used * 100 / s, m }'
}

cardsim="$build/sim/cardsim/orvanta-cardsim"
"$cardsim" --ttff 0 --rate 1 >"$work/cardsim.log" 2>&1 &
pids+=($!)
card_ready() { "$cardsim" --send status >/dev/null 2>&1; }
wait_for 30 card_ready

"$build/tools/orvanta-gps/orvanta-gps" watch 30 >"$work/watch.log" 2>&1 &
watch=$!
pids+=($watch)
streaming() { grep -q '^position:' "$work/watch.log"; }
wait_for 60 streaming || { cat "$work/watch.log"; echo "gps-stream-cost: no positions came" >&2; exit 1; }
measure "$watch" "orvanta-gps watch, 1 group/s:"
positions=$(grep -c '^position:' "$work/watch.log")
kill -INT "$watch"
wait "$watch" || true
echo "  ($positions positions printed)"

# The watch left the receiver on; the tool's button switches it on again.
"$cardsim" --send "gps off" >/dev/null
"$cardsim" --send lose-fix >/dev/null
export QT_QPA_PLATFORM=xcb QT_LOGGING_RULES="orvanta.shell.info=true"
"$build/app/orvanta" >"$work/tool.log" 2>&1 &
tool=$!
pids+=($tool)
logged() { grep -qF -- "$1" "$work/tool.log"; }
wait_for 60 logged 'trigger button enabled' || { cat "$work/tool.log"; echo "gps-stream-cost: the tool never found the card" >&2; exit 1; }
"$build/app/orvanta" # a second start shows the main window
window() { xwininfo -root -tree | awk '$2 == "\"Orvanta\":" && index($0, " 362x192+") { print $1; exit }'; }
shown() { [[ -n "$(window)" ]]; }
wait_for 30 shown || { echo "gps-stream-cost: the main window never showed" >&2; exit 1; }
sleep 1 # the slider slides out
xdotool mousemove --window "$(window)" 274 108 click 1
wait_for 30 logged 'status: "Locating"' || { cat "$work/tool.log"; echo "gps-stream-cost: the tool did not start reading" >&2; exit 1; }
measure "$tool" "tray tool, reading without a fix:"
"$build/app/orvanta" -stop >/dev/null 2>&1 || kill "$tool"
wait "$tool" || true
