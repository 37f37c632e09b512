#!/usr/bin/env bash
# One step of the setup program's end-to-end test under Wine:
#   installer_test.sh STEP SOURCE_DIR BUILD_DIR SUITE_STATE_EXE SETUP_EXE HIDDRIVER_DLL
# The steps run in this order on one prefix of their own, which
# fresh_install creates anew:
#   fresh_install    silent install: files, logon start, uninstall entry, host running
#   upgrade_running  silent install over the running host with edited settings:
#                    the old host ends, a new one runs, Config.data and config.ini kept
#   second_folder    a silent install into another folder is refused (exit code 4)
#   still_running    a customizer that ignores WM_CLOSE stops the install (exit
#                    code 3, named in the log); nothing replaced, the host restarted
#   uninstall        silent uninstall: folder, registry entries and processes gone,
#                    Config.data kept
# Prints the setup program's size and the install and uninstall times.
set -euo pipefail
step=$1 src=$2 build=$3 suite_state=$4 setup=$5 hiddriver=$6

prefix=$build/installer/wineprefix
wine_run=$src/cmake/wine-run.sh
w() { "$wine_run" "$prefix" "$@"; }

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

if [ "$step" = fresh_install ]; then
    w --stop
    rm -rf "$prefix"
fi
w --init

user=$(w cmd /c 'echo %USERNAME%' 2>/dev/null | tr -d '\r')
users=$prefix/drive_c/users/$user
install_dir=$users/AppData/Local/Programs/Korvid
install_dir_win='C:\users\'$user'\AppData\Local\Programs\Korvid'
config_data=$users/AppData/Roaming/QIV\ Brennox\ 2/Config/Config.data
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
uninst_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Korvid'
shortcut=$users/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs/Korvid.lnk
expected_files=(Korvid.exe Option.exe FerroxOSD.exe hiddriver.dll lan.dll korvidctl.exe config.ini Uninstall.exe)

state() { w "$suite_state" "$@" 2>/dev/null | tr -d '\r'; }
# The pids of the running host processes, one a line.
host_pids() { state "${1:-}" | awk '$1 == "process" && $2 == "Korvid.exe" { print $3 }'; }
reg_query() { w reg query "$@" 2>/dev/null | tr -d '\r'; }
# Runs the setup program (or another Windows program) and sets rc and seconds.
timed() {
    local start=${EPOCHREALTIME/./} elapsed
    set +e
    w "$@" >/dev/null 2>&1
    rc=$?
    set -e
    elapsed=$((${EPOCHREALTIME/./} - start)) # microseconds
    seconds=$(printf '%d.%02d' $((elapsed / 1000000)) $((elapsed % 1000000 / 10000)))
}
checksum() { sha256sum "$1" | cut -d' ' -f1; }

case "$step" in
fresh_install)
    echo "setup program: $(basename "$setup"), $(stat -c %s "$setup") bytes"
    timed "$setup" /S
    echo "silent install into a fresh prefix: exit code $rc, $seconds s"
    [ "$rc" -eq 0 ] || fail "setup exit code $rc"
    for f in "${expected_files[@]}"; do
        [ -f "$install_dir/$f" ] || fail "$f missing in the install folder"
    done
    cmp -s "$install_dir/hiddriver.dll" "$hiddriver" || fail "hiddriver.dll is not the real driver"
    run=$(reg_query "$run_key" /v Korvid)
    grep -qiF "\"$install_dir_win\\Korvid.exe\"" <<<"$run" || fail "Run value: $run"
    entry=$(reg_query "$uninst_key")
    for value in DisplayName DisplayVersion Publisher DisplayIcon UninstallString EstimatedSize; do
        grep -q "$value" <<<"$entry" || fail "uninstall entry without $value: $entry"
    done
    grep -qiF "$install_dir_win\\Uninstall.exe" <<<"$entry" || fail "uninstall command: $entry"
    [ -f "$shortcut" ] || fail "no Start-menu entry"
    [ -n "$(host_pids 10000)" ] || fail "the host is not running after the install"
    grep -q "Started Korvid.exe" "$install_dir/setup.log" || fail "setup.log: $(cat "$install_dir/setup.log")"
    ;;
upgrade_running)
    old=$(host_pids 10000)
    [ -n "$old" ] || fail "no host running before the upgrade"
    [ -f "$config_data" ] || fail "the host wrote no Config.data"
    # Settings the user changed: one profile byte and the OSD line.
    printf '\x5a' | dd of="$config_data" bs=1 seek=100 conv=notrunc status=none
    sed -i 's/^config=/config=0/' "$install_dir/config.ini"
    echo "; edited by the user" >>"$install_dir/config.ini"
    data_sum=$(checksum "$config_data") ini_sum=$(checksum "$install_dir/config.ini")
    timed "$setup" /S
    echo "silent upgrade over the running host: exit code $rc, $seconds s"
    [ "$rc" -eq 0 ] || fail "setup exit code $rc; log: $(cat "$install_dir/setup.log")"
    new=$(host_pids 10000)
    [ -n "$new" ] || fail "no host running after the upgrade"
    grep -qxF "$old" <<<"$new" && fail "the old host (pid $old) still runs"
    [ "$(checksum "$config_data")" = "$data_sum" ] || fail "Config.data changed"
    [ "$(checksum "$install_dir/config.ini")" = "$ini_sum" ] || fail "config.ini changed"
    grep -q "Korvid.exe: ended" "$install_dir/setup.log" || fail "setup.log: $(cat "$install_dir/setup.log")"
    ;;
second_folder)
    host=$(host_pids)
    timed "$setup" /S '/D=C:\Other\Korvid'
    echo "silent install into a second folder: exit code $rc, $seconds s"
    [ "$rc" -eq 4 ] || fail "exit code $rc, expected 4 (refused)"
    [ ! -e "$prefix/drive_c/Other/Korvid/Korvid.exe" ] || fail "installed into the second folder"
    grep -qiF "$install_dir_win" <<<"$(reg_query "$run_key" /v Korvid)" || fail "Run value changed"
    [ "$(host_pids)" = "$host" ] || fail "the running host was touched"
    ;;
still_running)
    # Longer than the setup program waits (10 s), short enough to wait out.
    w "$suite_state" --hold-customizer 20000 >/dev/null 2>&1 &
    holder=$!
    for _ in $(seq 50); do
        state | grep -q '^window Option.exe' && break
        sleep 0.2
    done
    korvid_sum=$(checksum "$install_dir/Korvid.exe")
    touch -d '2000-01-01' "$install_dir/lan.dll"
    timed "$setup" /S
    wait "$holder" || true
    echo "silent install while a program ignores WM_CLOSE: exit code $rc, $seconds s"
    [ "$rc" -eq 3 ] || fail "exit code $rc, expected 3; log: $(cat "$install_dir/setup.log")"
    grep -q "Option.exe: did not end" "$install_dir/setup.log" || fail "setup.log: $(cat "$install_dir/setup.log")"
    [ "$(stat -c %Y "$install_dir/lan.dll")" = "$(date -d 2000-01-01 +%s)" ] || fail "lan.dll was replaced"
    [ "$(checksum "$install_dir/Korvid.exe")" = "$korvid_sum" ] || fail "Korvid.exe changed"
    [ -n "$(host_pids 10000)" ] || fail "the host was not started again"
    ;;
uninstall)
    [ -n "$(host_pids)" ] || fail "no host running before the uninstall"
    data_sum=$(checksum "$config_data")
    # As Windows runs it, the uninstaller copies itself away and returns at
    # once; run from a copy with _?= it works in place and gives its exit code.
    cp "$install_dir/Uninstall.exe" "$prefix/drive_c/uninstall-copy.exe"
    timed 'C:\uninstall-copy.exe' /S "_?=$install_dir_win"
    echo "silent uninstall: exit code $rc, $seconds s"
    [ "$rc" -eq 0 ] || fail "uninstall exit code $rc; log: $(cat "$(find "$users" -name Korvid-uninstall.log)")"
    [ ! -e "$install_dir" ] || fail "left in the install folder: $(ls -A "$install_dir")"
    reg_query "$run_key" /v Korvid | grep -qi korvid && fail "Run value still there"
    reg_query "$uninst_key" | grep -q DisplayName && fail "uninstall entry still there"
    [ ! -e "$shortcut" ] || fail "Start-menu entry still there"
    [ "$(checksum "$config_data")" = "$data_sum" ] || fail "Config.data changed or removed"
    left=$(state | grep '^process' || true)
    [ -z "$left" ] || fail "suite processes left: $left"
    ;;
*)
    fail "unknown step $step"
    ;;
esac
echo "ok: $step"
