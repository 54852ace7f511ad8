#!/usr/bin/env bash
# The Windows programs as a user gets them: installed by the build's install step into a folder
# of their own (so a DLL or plugin the install rules forget makes them fail to start), run by
# Wine on the X server that xvfb-run gives this script; pravix-wininput (wininput.cpp) waits for
# their windows, clicks and types into them from the Windows side.
#   blackbox.sh BUILD_DIR WINE WININPUT
# pravixctl.exe: a COM port with nothing behind it ends with status 5 and the reason with its
# hint on standard error; a bad argument with status 1. pravixapp.exe: the window's title,
# Connect on such a port shows "COMM PORT ERROR!" with the reason as its second line, and
# closing the window writes pravix.ini beside the executable.
set -uo pipefail
build=$1
wine=$2
wininput=$3
source "$(dirname "$0")/winesession.sh"
# Wine hands WINEQT_X to a Windows program as QT_X and keeps the host's own QT_ settings away.
export WINEQT_FORCE_STDERR_LOGGING=1

work=$(mktemp -d)
app=$work/PravixApp
status=0
appPid=""
cleanup() {
    [ -n "$appPid" ] && kill "$appPid" 2>/dev/null
    end_wine_session "$wine"
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    status=1
}

cmake --install "$build" --prefix "$app" >/dev/null || { echo "FAIL: install step"; exit 1; }
{ start_wine_session "$wine" "$work/wine" && use_wine_desktop "$wine"; } ||
    { echo "FAIL: no Wine session with its desktop"; exit 1; }

# --- pravixctl.exe -------------------------------------------------------------------------
"$wine" "$app/pravixctl.exe" --port 20 send06 1 3 >"$work/out" 2>"$work/err"
rc=$?
[ "$rc" -eq 5 ] || fail "pravixctl --port 20 on an absent COM20: status $rc, not 5"
grep -q 'COM20' "$work/err" || fail "pravixctl names no COM20: $(cat "$work/err")"
grep -q 'Device Manager' "$work/err" || fail "pravixctl gives no hint for an absent port: $(cat "$work/err")"

"$wine" "$app/pravixctl.exe" --port 5 send06 1 >"$work/out" 2>"$work/err"
rc=$?
[ "$rc" -eq 1 ] || fail "pravixctl with a missing value: status $rc, not 1"
[ -s "$work/err" ] || fail "pravixctl refuses a missing value without a reason"

# --- pravixapp.exe -------------------------------------------------------------------------
# COM20: no device behind it in the Wine prefix, and a number that needs Windows' \\.\ prefix.
printf '[Settings]\r\nCommPort=20\r\n' >"$app/pravix.ini"
"$wine" "$app/pravixapp.exe" >"$work/app.out" 2>"$work/app.err" &
appPid=$!

"$wine" "$wininput" wait 'PravixApp Ver 2.3' || {
    fail "no window titled \"PravixApp Ver 2.3\" within 60 s: $(cat "$work/app.err")"
    exit 1
}
# Connect: 97 x 25 at 360,88 of the central widget, which lies below the menu bar (about 21
# pixels in Tahoma 8.25 pt); the middle of the button leaves room for a few pixels either way.
"$wine" "$wininput" click 'PravixApp Ver 2.3' 408 121
if "$wine" "$wininput" wait PravixApp; then
    # The box's text as Windows copies it on Ctrl+C: caption, text, buttons.
    text=$("$wine" "$wininput" copy PravixApp | tr -d '\r')
    grep -q 'COMM PORT ERROR!' <<<"$text" || fail "the box does not say COMM PORT ERROR!: [$text]"
    grep -q 'COM20' <<<"$text" || fail "the box gives no reason naming COM20: [$text]"
    grep -q 'Device Manager' <<<"$text" || fail "the box gives no hint: [$text]"
    "$wine" "$wininput" return PravixApp
else
    fail "Connect on COM20 opened no message box"
fi
grep -q 'COM20' "$work/app.err" || fail "standard error has no line for the failed port"

"$wine" "$wininput" close 'PravixApp Ver 2.3'
for _ in $(seq 1 100); do
    kill -0 "$appPid" 2>/dev/null || break
    sleep 0.2
done
if kill -0 "$appPid" 2>/dev/null; then
    fail "pravixapp.exe did not end when its window was closed"
else
    appPid=""
fi
grep -q '^Setting=9600,n,8,1' <(tr -d '\r' <"$app/pravix.ini") ||
    fail "closing did not save the line settings beside the executable: $(cat "$app/pravix.ini")"
grep -q '^CommPort=20' <(tr -d '\r' <"$app/pravix.ini") || fail "closing lost the port number"

[ "$status" -eq 0 ] && echo "The Windows programs behave as installed under Wine"
exit "$status"
