#!/usr/bin/env bash
# Installs a build into a temporary root, checks the layout a Debian user expects and starts
# the installed console on a fresh prefix.
# Usage: install_test.sh CMAKE BUILD_DIR SOURCE_DIR BINDIR DATADIR PROGRAM...
set -uo pipefail

cmake=$1 build=$2 source=$3 bindir=$4 datadir=$5
shift 5
programs=("$@")

work=$(mktemp -d "${TMPDIR:-/tmp}/navlor-install.XXXXXX")
pid=
cleanup() {
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
        kill -KILL "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    fi
    rm -rf "$work"
}
trap cleanup EXIT

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

usr="$work/root/usr"
if ! "$cmake" --install "$build" --prefix "$usr" >"$work/install.log" 2>&1; then
    cat "$work/install.log" >&2
    echo "FAIL: cmake --install failed" >&2
    exit 1
fi

# ---- layout ----------------------------------------------------------------------------------

for program in "${programs[@]}"; do
    file="$usr/$bindir/$program"
    [ -f "$file" ] && [ -x "$file" ] || fail "$bindir/$program is missing or not executable"
    # The installed programs must not lean on the build tree.
    if [ -f "$file" ] && command -v readelf >/dev/null; then
        if readelf -d "$file" | grep -E '\((RUNPATH|RPATH)\)' | grep -qF "$build"; then
            fail "$program keeps a run path into the build tree"
        fi
    fi
done

pictures=("$source"/assets/*.jpg)
[ ${#pictures[@]} -gt 0 ] || fail "no pictures in the source tree"
for picture in "${pictures[@]}"; do
    name=$(basename "$picture")
    cmp -s "$picture" "$usr/$datadir/navlor/pictures/$name" ||
        fail "$datadir/navlor/pictures/$name is missing or differs"
done

desktop="$usr/$datadir/applications/navlor.desktop"
if [ -f "$desktop" ]; then
    value() { sed -n "s/^$1=//p" "$desktop"; }
    [ "$(head -n 1 "$desktop")" = "[Desktop Entry]" ] || fail "navlor.desktop lacks its group"
    [ "$(value Type)" = Application ] || fail "navlor.desktop: Type is not Application"
    [ "$(value Name)" = NAVLOR ] || fail "navlor.desktop: Name is not NAVLOR"
    [ "$(value Terminal)" = false ] || fail "navlor.desktop: Terminal is not false"
    exec_program=$(value Exec | cut -d ' ' -f 1)
    # the menu opens the console for the operator; the daily pass is the autostart entry's
    [ "$(value Exec | cut -d ' ' -f 2-)" = /N ] || fail "navlor.desktop does not start with /N"
    [ -x "$usr/$bindir/$exec_program" ] || fail "navlor.desktop starts '$exec_program', not installed"
    icon=$(value Icon)
    [ -n "$icon" ] || fail "navlor.desktop names no icon"
    grep -q "^Comment=Console de manutenção do servidor" "$desktop" ||
        fail "navlor.desktop lacks its comment"
    if command -v desktop-file-validate >/dev/null; then
        desktop-file-validate "$desktop" || fail "navlor.desktop does not validate"
    fi
else
    fail "$datadir/applications/navlor.desktop is missing"
    icon=navlor
fi

# Each icon is a PNG of the size its folder names (width and height in the IHDR chunk).
icons=0
for folder in "$usr/$datadir/icons/hicolor"/*x*; do
    png="$folder/apps/$icon.png"
    [ -f "$png" ] || continue
    icons=$((icons + 1))
    size=${folder##*/}
    header=$(od -An -tx1 -N8 "$png" | tr -d ' \n')
    [ "$header" = 89504e470d0a1a0a ] || fail "$png is not a PNG"
    read -r w0 w1 w2 w3 h0 h1 h2 h3 < <(od -An -tu1 -j16 -N8 "$png")
    width=$(((w0 << 24) | (w1 << 16) | (w2 << 8) | w3))
    height=$(((h0 << 24) | (h1 << 16) | (h2 << 8) | h3))
    [ "${width}x${height}" = "$size" ] || fail "$png is ${width}x${height}, in folder $size"
done
[ "$icons" -gt 0 ] || fail "no icon '$icon' in $datadir/icons/hicolor"

# A compressed manual page for each program a user runs.
for page in navlor navlor-cmd navlor-arj; do
    man="$usr/share/man/man1/$page.1.gz"
    if [ -f "$man" ]; then
        gzip -dc "$man" | head -n 1 | grep -q '^\.TH ' || fail "$page.1.gz is no manual page"
    else
        fail "share/man/man1/$page.1.gz is missing"
    fi
done

# The units of a headless server: a one-shot pass as the user the instance names, and its timer.
units="$usr/lib/systemd/system"
service="$units/navlor@.service"
timer="$units/navlor@.timer"
if [ -f "$service" ] && [ -f "$timer" ]; then
    grep -qx 'Type=oneshot' "$service" || fail "navlor@.service is not one-shot"
    grep -qx 'User=%i' "$service" || fail "navlor@.service does not run as its instance's user"
    ! grep -q 'QT_QPA_PLATFORM' "$service" || fail "navlor@.service still asks for a screen"
    [ "$(sed -n 's/^ExecStart=//p' "$service")" = "/usr/bin/navlor --headless" ] ||
        fail "navlor@.service does not run the headless pass"
    grep -qx 'Persistent=true' "$timer" || fail "navlor@.timer forgets a day the machine was off"
    grep -q '^OnCalendar=' "$timer" || fail "navlor@.timer has no time"
    failure="$units/navlor-failure@.service"
    grep -qx 'OnFailure=navlor-failure@%i.service' "$service" || fail "a failed pass tells nobody"
    grep -qx 'EnvironmentFile=-/etc/default/navlor' "$failure" ||
        fail "navlor-failure@.service does not read /etc/default/navlor (or needs it)"
    grep -qx 'SyslogLevel=err' "$failure" || fail "navlor-failure@.service logs below err"
    notifier=$(sed -n 's/^ExecStart=\/usr\/\([^ ]*\) %i$/\1/p' "$failure")
    [ -n "$notifier" ] && [ -x "$usr/$notifier" ] ||
        fail "navlor-failure@.service runs '$notifier', which is not installed"
    if command -v systemd-analyze >/dev/null; then
        systemd-analyze verify "$service" "$timer" "$failure" >/dev/null 2>&1 ||
            echo "note: systemd-analyze could not verify the units here" >&2
    fi
else
    fail "lib/systemd/system/navlor@.service and navlor@.timer are missing"
fi

# ---- the failure notifier: its journal line, then the administrator's command ----------------

notifier="$usr/libexec/navlor/navlor-failure"
told="$work/told"
while IFS='|' read -r command want_status want_told want_line; do
    rm -f "$told"
    said=$(NAVLOR_ON_FAILURE="$command" "$notifier" operador 2>&1)
    status=$?
    [ "$status" = "$want_status" ] || fail "notifier with '$command' exited $status"
    [ "$(cat "$told" 2>/dev/null)" = "$want_told" ] || fail "notifier with '$command' told '$(cat "$told" 2>/dev/null)'"
    printf '%s\n' "$said" | grep -qF "$want_line" || fail "notifier with '$command' said '$said'"
done <<EOF
|0||ERRO - BKP automático do usuário operador falhou: journalctl -u navlor@operador.service
echo "\$NAVLOR_USER \$NAVLOR_UNIT" > $told|0|operador navlor@operador.service|usuário operador falhou
echo parcial > $told; exit 3|3|parcial|ERRO - NAVLOR_ON_FAILURE terminou com 3
EOF
rm -f "$told"
NAVLOR_ON_FAILURE="touch $told" "$notifier" >/dev/null 2>&1 && fail "notifier ran with no user"
[ -e "$told" ] && fail "notifier with no user ran the command"

# ---- the installed programs run --------------------------------------------------------------

export NAVLOR_PREFIX="$work/prefix"
export HOME="$work/home"
export XDG_CONFIG_DIRS="$work/xdg"
export XDG_CONFIG_HOME="$work/home/.config"
export XDG_RUNTIME_DIR="$work/runtime"
export QT_QPA_PLATFORM=offscreen
unset NAVLOR_CMD
mkdir -p "$HOME" "$XDG_CONFIG_DIRS" && mkdir -m 700 "$XDG_RUNTIME_DIR"
cd "$work" || exit 1

# The installed command interpreter (which the console finds beside itself).
echoed=$("$usr/$bindir/navlor-cmd" /C "ECHO instalado" 2>&1)
[ "$(printf '%s' "$echoed" | tr -d '\r')" = instalado ] ||
    fail "installed navlor-cmd answered '$echoed' to ECHO"

# With /N the console makes its data directory and stays open with no start-up run.
"$usr/$bindir/navlor" /N >"$work/navlor.log" 2>&1 &
pid=$!
sleep 2
if kill -0 "$pid" 2>/dev/null; then
    data="$NAVLOR_PREFIX/drive_c/NAVLOR"
    for _ in $(seq 1 40); do
        [ -d "$data" ] && break
        sleep 0.25
    done
    [ -d "$data" ] || fail "the installed console did not create C:\\NAVLOR"
    kill -0 "$pid" 2>/dev/null || fail "the installed console ended by itself with /N"
    kill -TERM "$pid" 2>/dev/null
    for _ in $(seq 1 20); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.25
    done
else
    wait "$pid"
    fail "the installed console with /N ended within 2 s (status $?)"
    cat "$work/navlor.log" >&2
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed; installed files:" >&2
    (cd "$work/root" && find . -type f | sort) >&2
    exit 1
fi
echo "installed layout and programs are in order"
