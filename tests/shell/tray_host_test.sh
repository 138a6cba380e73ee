#!/usr/bin/env bash
# Under Xvfb with a real tray host (trayer): the icon is embedded in the tray, hovering shows its
# tip, a right press opens the popup, and the popup's "Kilépés" ends the program cleanly.
# Usage: tray_host_test.sh <orvalin executable>
set -u
program=$1
if [ -z "${ORVALIN_IN_XVFB:-}" ]; then
  for tool in xvfb-run trayer xdotool xwininfo; do
    command -v "$tool" >/dev/null || { echo "missing $tool"; exit 1; }
  done
  ORVALIN_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 640x480x24" "$0" "$@"
fi

work=$(mktemp -d)
trap 'kill $tray 2>/dev/null; rm -rf "$work"' EXIT
cp "$program" "$work/orvalin"
unset QT_QPA_PLATFORM
# Deadlines are generous: a loaded machine (a sanitizer build beside other jobs) starts slowly,
# and only a hang should fail the test.
panel_up() { xwininfo -root -tree 2>/dev/null | grep -q '"panel": ("panel" "trayer")'; }
# Now and then trayer does not come up on a fresh Xvfb; the program is not under test there, so
# the panel gets a few starts before the test gives up on it.
tray=""
for _ in 1 2 3; do
  trayer --edge top --align right --widthtype pixel --width 100 --height 32 --transparent false \
    >>"$work/trayer.log" 2>&1 &
  tray=$!
  for _ in $(seq 200); do panel_up && break; sleep 0.1; done
  panel_up && break
  echo "trayer did not come up; starting it again"
  kill $tray 2>/dev/null
  wait $tray 2>/dev/null
done
panel_up || { echo "FAIL: the tray host (trayer) did not start"; cat "$work/trayer.log"; exit 1; }
HOME=$work XDG_RUNTIME_DIR=$work "$work/orvalin" watch 2>"$work/stderr" &
pid=$!

fail() { echo "FAIL: $*"; cat "$work/stderr"; kill $pid 2>/dev/null; exit 1; }
visible() { xdotool search --onlyvisible --pid "$pid" 2>/dev/null | wc -l; }

# The icon: a window of ours embedded in the panel.
icon=""
for _ in $(seq 600); do
  icon=$(xwininfo -root -tree | grep -E '"orvalin": \("orvalin" "orvalin"\)' | head -1)
  [ -n "$icon" ] && break
  sleep 0.1
done
[ -n "$icon" ] || fail "no icon in the tray"
geometry=$(echo "$icon" | grep -oE '[0-9]+x[0-9]+\+[0-9-]+\+[0-9-]+ +\+[0-9-]+\+[0-9-]+$')
x=$(echo "$geometry" | awk '{print $2}' | cut -d+ -f2)
y=$(echo "$geometry" | awk '{print $2}' | cut -d+ -f3)
echo "icon at $x,$y"

# Waits up to a minute for more visible windows of ours than before.
more_windows() {
  for _ in $(seq 600); do
    [ "$(visible)" -gt "$1" ] && return 0
    sleep 0.1
  done
  return 1
}

before=$(visible)
xdotool mousemove $((x + 8)) $((y + 12))
more_windows "$before" || fail "no tip shown on hover"
echo "tip shown"

xdotool mousemove $((x + 8)) $((y + 12)) click 3
more_windows "$(($(visible) - 1))" >/dev/null
sleep 1
popup=$(visible)
[ "$popup" -gt "$before" ] || fail "no popup on a right press"
echo "popup shown"

# "Kilépés" is the last item: Up from the top wraps to it.
xdotool key Up Return
for _ in $(seq 600); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
kill -0 $pid 2>/dev/null && fail "Kilépés did not end the program"
wait $pid
status=$?
[ $status -eq 0 ] || fail "exit status $status"
xwininfo -root -tree | grep -qE '"orvalin": \("orvalin" "orvalin"\)' && fail "icon left in the tray"
echo "1 passed, 0 failed"
