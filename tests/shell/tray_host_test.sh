#!/usr/bin/env bash
# Under Xvfb with a real tray host (trayer): the icon is embedded, hovering shows its tip, a right
# press opens the popup, and the popup's "Kilépés" ends the program cleanly.
# Usage: tray_host_test.sh <orvalin executable>
set -u
for tool in xvfb-run trayer xdotool xwininfo; do command -v "$tool" >/dev/null || { echo "missing $tool"; exit 1; }; done
[ -n "${ORVALIN_IN_XVFB:-}" ] || ORVALIN_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 640x480x24" "$0" "$@"
work=$(mktemp -d)
tray=""
trap 'kill $tray 2>/dev/null; rm -rf "$work"' EXIT
cp "$1" "$work/orvalin"
unset QT_QPA_PLATFORM
# Deadlines only catch hangs: a loaded machine starts slowly.
wait_for() { for _ in $(seq "$1"); do "${@:2}" && return 0; sleep 0.1; done; return 1; }
panel_up() { xwininfo -root -tree 2>/dev/null | grep -q '"panel": ("panel" "trayer")'; }
# Now and then trayer does not come up on a fresh Xvfb; that is no fault of the program.
for _ in 1 2 3; do
  trayer --edge top --align right --widthtype pixel --width 100 --height 32 --transparent false >>"$work/trayer.log" 2>&1 &
  tray=$!
  wait_for 200 panel_up && break
  kill $tray 2>/dev/null
  wait $tray 2>/dev/null
done
panel_up || { echo "FAIL: the tray host (trayer) did not start"; cat "$work/trayer.log"; exit 1; }
HOME=$work XDG_RUNTIME_DIR=$work "$work/orvalin" watch 2>"$work/stderr" &
pid=$!
fail() { echo "FAIL: $*"; cat "$work/stderr"; kill $pid 2>/dev/null; exit 1; }
visible() { xdotool search --onlyvisible --pid "$pid" 2>/dev/null | wc -l; }
more_than() { [ "$(visible)" -gt "$1" ]; }
icon_line() { xwininfo -root -tree | grep -E '"orvalin": \("orvalin" "orvalin"\)' | head -1; }
has_icon() { [ -n "$(icon_line)" ]; }
ended() { ! kill -0 $pid 2>/dev/null; }

wait_for 600 has_icon || fail "no icon in the tray"
read -r x y < <(icon_line | grep -oE '\+[0-9-]+\+[0-9-]+$' | tr '+' ' ')
before=$(visible)
xdotool mousemove $((x + 8)) $((y + 12))
wait_for 600 more_than "$before" || fail "no tip shown on hover"
xdotool mousemove $((x + 8)) $((y + 12)) click 3
# The press hides the tip as the popup opens, so the count of windows cannot tell when it is
# there: a second is given to it.
sleep 1
[ "$(visible)" -gt "$before" ] || fail "no popup on a right press"
# "Kilépés" is the last item: Up from the top wraps to it.
xdotool key Up Return
wait_for 600 ended || fail "Kilépés did not end the program"
wait $pid
status=$?
[ $status -eq 0 ] || fail "exit status $status"
has_icon && fail "icon left in the tray"
echo "1 passed, 0 failed"
