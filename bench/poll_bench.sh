#!/usr/bin/env bash
# Poller benchmark with the real executable and the built-in PDF printer:
#  - latency from a spool file landing in the folder to its document being handed to the printer
#    (the PDF file appearing), over several files at the default poll interval;
#  - the idle cost of polling: CPU seconds (per minute) and resident memory while the folder is
#    empty, while it holds waiting files (empty ones, which wait in every version), and while it
#    holds files another program keeps open for writing (the open-writer check runs on each).
# Usage: bench/poll_bench.sh [build folder] [idle seconds] [latency samples] [waiting files]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
idle_seconds=${2:-180}
samples=${3:-10}
waiting=${4:-100}

work=$(mktemp -d)
writer=
trap 'kill $pid $writer 2>/dev/null || true; rm -rf "$work"' EXIT
mkdir -p "$work/program/PDF" "$work/spool"
cp "$build/orvalin" "$work/program/"
printf '"Orvalin PDF"\r\n"Courier New"\r\n10\r\n3000\r\n0.8\r\n"%s/"\r\n"*.txt"\r\n""\r\n""\r\n0\r\n0\r\n' \
  "$work/spool" >"$work/program/Orvalin.ini"
export HOME=$work QT_QPA_PLATFORM=offscreen CUPS_SERVER=$work/no-cups.sock

"$work/program/orvalin" watch 2>"$work/stderr" &
pid=$!
sleep 2

ticks=$(getconf CLK_TCK)
cpu() { awk -v t="$ticks" '{ printf "%.2f", ($14 + $15) / t }' "/proc/$pid/stat"; }
rss() { awk '/VmRSS/ { print $2 }' "/proc/$pid/status"; }

# CPU seconds of the program over the idle time, and per minute.
idle() {
  local cpu0 cpu1 used
  cpu0=$(cpu)
  sleep "$idle_seconds"
  cpu1=$(cpu)
  used=$(echo "$cpu1 - $cpu0" | bc)
  printf 'CPU seconds: %s over %s s (%.3f per minute); resident memory %s kB\n' \
    "$used" "$idle_seconds" "$(echo "$used * 60 / $idle_seconds" | bc -l)" "$(rss)"
}

echo "== idle: empty folder, default interval 3000 ms, ${idle_seconds} s"
idle

echo "== idle: ${waiting} waiting (empty) files"
for i in $(seq "$waiting"); do : >"$work/spool/wait$i.txt"; done
idle
rm -f "$work/spool"/wait*.txt

echo "== idle: ${waiting} files held open for writing by another program"
python3 - "$work/spool" "$waiting" <<'PY' &
import sys, time
files = [open(f"{sys.argv[1]}/held{i}.txt", "w") for i in range(int(sys.argv[2]))]
for f in files:
    f.write("not finished\r\n")
    f.flush()
time.sleep(100000)
PY
writer=$!
sleep 3
idle
echo "printed meanwhile: $(find "$work/program/PDF" -name '*.pdf' | wc -l) (0 when the open-writer check holds them)"
kill "$writer"; writer=
sleep 4
rm -f "$work/spool"/held*.txt "$work/program/PDF"/*.pdf

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
