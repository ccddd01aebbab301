#!/usr/bin/env bash
# Times "orvanta-gps decode" against gpsdecode (Debian's gpsd-clients) on the same file
# of 300,000 sentences, made by repeating the receiver captures in tests/data/nmea.
# Target: ours at least 5 times faster. Uses hyperfine when installed, else bash's time.
#   bench/compare-decode.sh [build folder, default build/default]
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build/default}
program="$build/tools/orvanta-gps/orvanta-gps"
sentences=300000
[[ -x "$program" ]] || cmake --build "$build" --target orvanta-gps
command -v gpsdecode >/dev/null || { echo "compare-decode: gpsdecode is missing (apt-get install gpsd-clients)" >&2; exit 1; }

input="$build/bench/decode-$sentences.nmea"
mkdir -p "$(dirname "$input")"
if [[ ! -s "$input" ]]; then
  captures=(tests/data/nmea/*.log)
  rounds=$((sentences / $(cat "${captures[@]}" | wc -l) + 1))
  for ((i = 0; i < rounds; i++)); do cat "${captures[@]}"; done | tr -d '\r' | head -n "$sentences" >"$input" || true
fi
echo "compare-decode: $(wc -l <"$input") lines in $input"

ours="$program decode $input"
theirs="gpsdecode -j < $input"
if command -v hyperfine >/dev/null; then
  hyperfine --warmup 1 --runs 5 --style basic --output null "$ours" "$theirs"
else
  for command in "$ours" "$theirs"; do
    echo "== $command"
    time (bash -c "$command" >/dev/null 2>&1)
  done
fi
