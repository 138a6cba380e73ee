#!/usr/bin/env bash
# The Debian package, unpacked into a throw-away root: its name, dependencies and files; then the
# installed program run as an ordinary user with an empty home and no display, and the user
# service's ExecStart run the way systemd runs it, ended with SIGTERM.
#   package_test.sh BUILD_DIR CPACK
set -euo pipefail
build=$1
cpack=$2
work=$(mktemp -d)
service_pid=
cleanup() {
  if [ -n "$service_pid" ]; then kill -KILL "$service_pid" 2>/dev/null || true; fi
  chmod -R u+w "$work" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
step() { echo "[${SECONDS}s] $*"; }
# Qt's start-up noise that must not reach the journal.
chatter='QStandardPaths: |No such signal|propagateSizeHints'

step "making the package"
"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack could not build the package"; }
debs=("$work"/out/*.deb)
[ ${#debs[@]} -eq 1 ] || fail "expected one package, found: ${debs[*]}"
deb=${debs[0]}
version=$(dpkg-deb -f "$deb" Version)
arch=$(dpkg --print-architecture)
[ "$(basename "$deb")" = "orvalin_${version}_${arch}.deb" ] || fail "package named $(basename "$deb")"

depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6core6 libqt6gui6 libqt6widgets6 qt6-qpa-plugins libcups2 libharfbuzz0b libharfbuzz-subset0 libfontconfig1 zlib1g fonts-liberation2; do
  grep -q "$needed" <<<"$depends" || fail "Depends lacks $needed: $depends"
done

contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for file in ./usr/bin/orvalin ./usr/share/applications/orvalin.desktop \
            ./usr/share/icons/hicolor/32x32/apps/orvalin.png ./usr/share/man/man1/orvalin.1.gz \
            ./usr/share/doc/orvalin/README.md ./usr/lib/systemd/user/orvalin.service; do
  grep -qx "$file" <<<"$contents" || fail "the package lacks $file"
done

step "unpacking it"
root=$work/root
dpkg-deb -x "$deb" "$root"
chmod 755 "$work"
program=$root/usr/bin/orvalin

# The manual page renders and names its sections; the desktop entry starts the polling mode.
manual=$(zcat "$root/usr/share/man/man1/orvalin.1.gz" | groff -man -Tutf8 -ww 2>"$work/groff.err" | col -b)
[ ! -s "$work/groff.err" ] || { cat "$work/groff.err"; fail "the manual page has troff warnings"; }
for section in MODES FILES ENVIRONMENT "EXIT STATUS" "Orvalin $version"; do
  grep -q "$section" <<<"$manual" || fail "the manual page lacks $section"
done
desktop=$root/usr/share/applications/orvalin.desktop
grep -qx 'Exec=orvalin tray' "$desktop" && grep -qx 'Icon=orvalin' "$desktop" || fail "desktop entry: $(cat "$desktop")"
! command -v desktop-file-validate >/dev/null || desktop-file-validate "$desktop"

# An ordinary user, for whom the program's folder is not writable, with an empty home.
home=$work/home
mkdir -p "$home" "$work/job"
printf 'Installed one-shot\r\nsecond line\r\n' >"$work/job/JOB.TXT"
chmod a-w "$root/usr/bin"
user=(env -i HOME="$home" PATH=/usr/bin:/bin LANG=C.UTF-8 CUPS_SERVER="$work/no-cups.sock" ASAN_OPTIONS=detect_leaks=0)
if [ "$(id -u)" -eq 0 ]; then
  # Root may write anywhere: the program runs as nobody, as an ordinary user would run it.
  chown -R nobody:nogroup "$home" "$work/job"
  user=(setpriv --reuid=nobody --regid=nogroup --clear-groups -- "${user[@]}")
fi
own() { if [ "$(id -u)" -eq 0 ]; then chown nobody:nogroup "$@"; fi; }
as_user() { "${user[@]}" "$@"; }

step "running the installed program"
[ "$(as_user "$program" --version)" = "orvalin $version" ] || fail "--version: $(as_user "$program" --version)"

(cd "$work/job" && as_user timeout 120 "$program" JOB.TXT) >"$work/oneshot.out" 2>"$work/oneshot.err" ||
  { cat "$work/oneshot.err"; fail "the one-shot print ended with status $?"; }
! grep -Eq "$chatter" "$work/oneshot.err" || { cat "$work/oneshot.err"; fail "Qt chatter on standard error"; }
[ -f "$home/.config/orvalin/Orvalin.ini" ] || fail "no settings in ~/.config/orvalin"
[ ! -e "$root/usr/bin/Orvalin.ini" ] || fail "settings written beside the installed program"
[ ! -e "$home/.config/orvalin/PDF" ] || fail "a PDF folder among the settings"
pdfs=("$home"/Documents/Orvalin/Orvalin-*.pdf)
[ -f "${pdfs[0]}" ] && [ ${#pdfs[@]} -eq 1 ] || fail "expected one PDF in ~/Documents/Orvalin: $(ls -R "$home")"
pdftotext "${pdfs[0]}" - | grep -q 'Installed one-shot' || fail "the PDF lacks the text"
[ -f "$work/job/JOB.TXT" ] || fail "the one-shot file was removed"

report=$(cd "$work/job" && as_user "$program" --explain JOB.TXT)
grep -qx 'Pages: 1' <<<"$report" || fail "--explain: $report"
! (cd "$work/job" && as_user "$program" --explain MISSING.TXT) >/dev/null 2>"$work/missing.err" &&
  grep -q 'MISSING.TXT' "$work/missing.err" || fail "--explain of a missing file: $(cat "$work/missing.err")"

# The user service, run as systemd would: its ExecStart with its Environment, no display, standard
# input from /dev/null, standard error to the journal (here a file), stopped with its KillSignal.
step "running the user service"
unit=$root/usr/lib/systemd/user/orvalin.service
exec_start=$(sed -n 's/^ExecStart=//p' "$unit")
[ "$exec_start" = "/usr/bin/orvalin tray" ] || fail "ExecStart=$exec_start"
unit_env=$(sed -n 's/^Environment=//p' "$unit")
grep -qx 'KillSignal=SIGTERM' "$unit" || fail "the unit does not stop with SIGTERM"
if command -v systemd-analyze >/dev/null; then
  # The unit as systemd reads it, pointed at the unpacked program.
  mkdir -m 700 "$work/runtime"
  sed "s|^ExecStart=/usr/bin/orvalin|ExecStart=$program|" "$unit" >"$work/orvalin.service"
  XDG_RUNTIME_DIR=$work/runtime systemd-analyze verify --user --man=no "$work/orvalin.service" ||
    fail "systemd-analyze refuses the unit"
fi
mkdir -p "$home/Spool"
own "$home/Spool"
# shellcheck disable=SC2086 # ExecStart and Environment are split at blanks, as systemd does here
(cd / && exec "${user[@]}" $unit_env ${exec_start/\/usr\/bin\/orvalin/$program} </dev/null >"$work/service.out" 2>"$work/service.err") &
service_pid=$!
sleep 1
printf 'From the service\r\n' >"$home/Spool/text.txt"
own "$home/Spool/text.txt"
wait_for() { for _ in $(seq 300); do "$@" && return 0; sleep 0.1; done; return 1; }
wait_for test ! -e "$home/Spool/text.txt" || true
[ ! -e "$home/Spool/text.txt" ] || { cat "$work/service.err"; fail "the service did not print the spool file"; }
kill -TERM "$service_pid"
wait_for eval '! kill -0 "$service_pid" 2>/dev/null' || true
kill -0 "$service_pid" 2>/dev/null && { cat "$work/service.err"; fail "the service is still running after SIGTERM"; }
status=0
wait "$service_pid" || status=$?
service_pid=
[ $status -eq 0 ] || { cat "$work/service.err"; fail "the service ended with status $status after SIGTERM"; }
! grep -Eq "$chatter" "$work/service.err" || { cat "$work/service.err"; fail "Qt chatter in the journal"; }
pdfs=("$home"/Documents/Orvalin/Orvalin-*.pdf)
[ ${#pdfs[@]} -eq 2 ] || fail "the service filed no PDF"
echo "package test: ok ($(basename "$deb"))"
