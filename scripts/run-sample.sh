#!/usr/bin/env bash
# Sets up the machine, builds the program, creates the sample installation in a fresh prefix
# and starts the program on it: in a real window where a display exists, else under xvfb-run.
# Without "/N" the program runs its start-up pass (count-down, clean-up, backups) and ends by
# itself; afterwards this script shows what the pass did.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
# The backup freezes the sample's Firebird databases through the local server.
scripts/start-firebird.sh

prefix=${NAVLOR_PREFIX:-$PWD/build/sample-prefix}
rm -rf "$prefix"
scripts/make-sample.sh "$prefix" build/app
export NAVLOR_PREFIX="$prefix"
c="$prefix/drive_c"

# What the clean-up may delete, to report on afterwards.
mapfile -t candidates < <(cd "$c" && find . -iname '*.lck' -o -iname '_qsq*' -o -iname 'pdoxusrs.net' | sort)

exe="$prefix/dosdevices/c:/VALDOROW/NAVLOR.EXE"
status=0
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  "$exe" "$@" || status=$?
else
  # The start-up pass ends the program by itself; the bound keeps a run with "/N", or one
  # the operator cancelled, from waiting forever on a display nobody sees.
  echo "no display: running under xvfb-run"
  timeout "${NAVLOR_RUN_SECONDS:-120}" xvfb-run -a "$exe" "$@" || status=$?
  [ "$status" -eq 124 ] && echo "the program was still open after ${NAVLOR_RUN_SECONDS:-120} s and was closed"
fi

echo
echo "== Files of the clean-up =="
for f in "${candidates[@]}"; do
  if [ -e "$c/$f" ]; then echo "  kept     C:${f#.}"; else echo "  deleted  C:${f#.}"; fi
done | tr '/' '\\'
echo "== Archives on D:\\VLDRBKPA =="
ls -l "$prefix/drive_d/VLDRBKPA" | sed 1d | sed 's/^/  /'
if [ -f "$c/NETLOG/NETLOG.LOG" ]; then
  echo "== C:\\NETLOG\\NETLOG.LOG =="
  sed 's/\r$//; s/^/  /' "$c/NETLOG/NETLOG.LOG"
fi
if [ -f "$c/VALDORO/NAVLOR/NAVLOR.LOG" ]; then
  echo "== C:\\VALDORO\\NAVLOR\\NAVLOR.LOG =="
  iconv -f WINDOWS-1252 -t UTF-8 "$c/VALDORO/NAVLOR/NAVLOR.LOG" | sed 's/\r$//; s/^/  /'
fi
echo "== Job files in C:\\VALDORO\\NAVLOR (last archive, date, time) =="
for job in "$c"/VALDORO/NAVLOR/VD_BKPA_*.PAR; do
  printf '  %s: %s\n' "$(basename "$job")" "$(sed -n '17p;19p;20p' "$job" | tr -d '\r' | tr '\n' ' ')"
done
echo "== Exit status: $status (0: every job of the pass done, 1: a job failed) =="
exit "$status"
