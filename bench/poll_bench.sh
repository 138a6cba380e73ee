#!/usr/bin/env bash
# Poller benchmark with the real executable and the built-in PDF printer:
#  - latency from a spool file landing in the folder to its document being handed to the printer
#    (the PDF file appearing), over several files at the default poll interval;
#  - the idle cost of polling an empty folder: CPU seconds and resident memory over a few minutes.
# Usage: bench/poll_bench.sh [build folder] [idle seconds] [latency samples]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
idle_seconds=${2:-180}
samples=${3:-10}

work=$(mktemp -d)
trap 'kill $pid 2>/dev/null || true; rm -rf "$work"' EXIT
mkdir -p "$work/program/PDF" "$work/spool"
cp "$build/orvalin" "$work/program/"
printf '"Orvalin PDF"\r\n"Courier New"\r\n10\r\n3000\r\n0.8\r\n"%s/"\r\n"text.txt"\r\n""\r\n""\r\n0\r\n0\r\n' \
  "$work/spool" >"$work/program/Orvalin.ini"
export HOME=$work QT_QPA_PLATFORM=offscreen CUPS_SERVER=$work/no-cups.sock

"$work/program/orvalin" watch 2>"$work/stderr" &
pid=$!
sleep 2

ticks=$(getconf CLK_TCK)
cpu() { awk -v t="$ticks" '{ printf "%.2f", ($14 + $15) / t }' "/proc/$pid/stat"; }
rss() { awk '/VmRSS/ { print $2 }' "/proc/$pid/status"; }

echo "== idle: empty folder, default interval 3000 ms, ${idle_seconds} s"
cpu0=$(cpu); rss0=$(rss)
sleep "$idle_seconds"
cpu1=$(cpu); rss1=$(rss)
echo "CPU seconds: $(echo "$cpu1 - $cpu0" | bc) over ${idle_seconds} s"
echo "resident memory: ${rss0} kB at start, ${rss1} kB at end"

echo "== latency: file landing -> document handed to the printer (PDF filed)"
pdfs() { find "$work/program/PDF" -name '*.pdf' | wc -l; }
total=0
for i in $(seq "$samples"); do
  before=$(pdfs)
  start=$(date +%s.%N)
  printf 'Latency sample %d\r\n' "$i" >"$work/spool/text.txt"
  while [ "$(pdfs)" -le "$before" ]; do sleep 0.02; done
  end=$(date +%s.%N)
  latency=$(echo "$end - $start" | bc)
  total=$(echo "$total + $latency" | bc)
  printf 'sample %2d: %.2f s\n' "$i" "$latency"
  while [ -e "$work/spool/text.txt" ]; do sleep 0.02; done
  sleep "0.$((RANDOM % 10))"
done
printf 'mean latency: %.2f s (the 2 s settle time, or the next tick when that comes later)\n' "$(echo "$total / $samples" | bc -l)"
echo "resident memory after the jobs: $(rss) kB"
