# Sourced, not run. Without a window manager (Xvfb has none) Wine leaves activating a new window
# to the window manager, so a message box never gets the keyboard. Wine's own desktop, one X
# window in which Wine manages the windows itself, gives them the keyboard as Windows does.
# use_wine_desktop WINE: every program the prefix (WINEPREFIX) starts from now on opens in it.
use_wine_desktop() {
    "$1" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1 &&
        "$1" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
}
