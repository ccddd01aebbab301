#!/usr/bin/env bash
# What streaming positions costs: CPU time per minute and resident memory of a client
# reading the virtual card's receiver at one sentence group a second (orvanta-gps watch,
# the middleware's whole GPS path), and of the tray tool with the card plugged in.
#   bench/gps-stream-cost.sh [seconds] [preset]     (default: 60 default)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
preset=${2:-default}
cmake --build --preset "$preset" --target orvanta orvanta-gps orvanta-cardsim >/dev/null
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

"$build/sim/cardsim/orvanta-cardsim" --ttff 0 --rate 1 >"$work/cardsim.log" 2>&1 &
pids+=($!)
card_ready() { "$build/sim/cardsim/orvanta-cardsim" --send status >/dev/null 2>&1; }
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

QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES="orvanta.shell.info=true" "$build/app/orvanta" >"$work/tool.log" 2>&1 &
tool=$!
pids+=($tool)
found() { grep -q 'trigger button enabled' "$work/tool.log"; }
wait_for 60 found || { cat "$work/tool.log"; echo "gps-stream-cost: the tray tool never found the card" >&2; exit 1; }
measure "$tool" "tray tool, card present:"
"$build/app/orvanta" -stop >/dev/null 2>&1 || kill "$tool"
wait "$tool" || true
