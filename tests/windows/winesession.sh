# Sourced, not run: a Wine session of its own for a script that runs the Windows programs.
#
# start_wine_session WINE FOLDER: a prefix in FOLDER (WINEPREFIX from now on, made when new)
# whose server stays up until end_wine_session. Its services start here, with nothing of the
# caller's output: a service started by a later program would hold that program's output open,
# and whoever reads it (CTest) would wait for the session to end.
start_wine_session() {
    export WINEPREFIX=$2 WINEDEBUG=-all
    unset WINEPATH
    mkdir -p "$2" && "$(dirname "$1")/wineserver" -p 2>/dev/null &&
        "$1" wineboot --init >/dev/null 2>&1
}

# use_wine_desktop WINE: every window the session opens from now on opens in Wine's own desktop.
# Without a window manager (Xvfb has none) Wine leaves activating a new window to the window
# manager, so a message box would never get the keyboard; in its desktop, one X window in which
# Wine manages the windows itself, they get it as on Windows. Only for a prefix of its own: the
# desktop needs a display, which programs of other sessions may not have.
use_wine_desktop() {
    "$1" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1 &&
        "$1" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f \
            >/dev/null 2>&1
}

# end_wine_session WINE: ends every program of the session and its server.
end_wine_session() {
    "$(dirname "$1")/wineserver" -k 2>/dev/null
}
