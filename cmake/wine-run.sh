#!/usr/bin/env bash
# Runs a Windows program under Wine in a prefix private to the build folder.
#   wine-run.sh PREFIX PROGRAM.exe [ARGS...]   run a program (CMake's emulator)
#   wine-run.sh PREFIX --init                   create the prefix, start the server
#   wine-run.sh PREFIX --stop                   stop the prefix's wineserver
# The prefix is created once: 64-bit, headless (the null graphics driver), and
# with Wine's crash debugger switched off, so a crashing program fails at once
# instead of hanging in winedbg. A persistent wineserver serves the whole run.
set -euo pipefail

prefix=$(realpath -m "$1")
shift
export WINEPREFIX=$prefix
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko download prompts; no crash dialog or debugger.
export WINEDLLOVERRIDES="mscoree=;mshtml=;winedbg.exe=d${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"
unset DISPLAY WAYLAND_DISPLAY

wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64 || command -v wine)
wineserver=/usr/lib/wine/wineserver64
[ -x "$wineserver" ] || wineserver=$(command -v wineserver)

create_prefix() {
    local stage="$prefix.creating"
    rm -rf "$stage"
    mkdir -p "$(dirname "$prefix")"
    WINEPREFIX=$stage "$wine" wineboot -i </dev/null >/dev/null 2>&1 9>&-
    WINEPREFIX=$stage "$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
    WINEPREFIX=$stage "$wine" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
        /v Debugger /d '' /f >/dev/null 2>&1
    WINEPREFIX=$stage "$wine" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
        /v Auto /d 1 /f >/dev/null 2>&1
    WINEPREFIX=$stage "$wineserver" -w
    mv "$stage" "$prefix"
}

ensure_prefix() {
    [ -f "$prefix/system.reg" ] && return
    # Several tests may start at once on a fresh build; one creates the prefix.
    exec 9>"$prefix.lock"
    flock 9
    [ -f "$prefix/system.reg" ] || create_prefix
    flock -u 9
}

# Starts the persistent wineserver and Wine's system processes with no link
# to the caller's output: a test runner waits for every holder of its pipes,
# and these outlive the program under test.
ensure_session() {
    ensure_prefix
    if "$wineserver" -p </dev/null >/dev/null 2>&1 9>&-; then
        "$wine" cmd /c exit 0 </dev/null >/dev/null 2>&1 9>&- || true
    fi
}

case "${1:-}" in
--init)
    ensure_session
    ;;
--stop)
    [ -d "$prefix" ] && "$wineserver" -k 2>/dev/null || true
    ;;
*)
    ensure_session
    exec "$wine" "$@"
    ;;
esac
