#!/usr/bin/env bash
# What the two Windows packages must hold: the programs, every DLL they and the Qt plugins load
# that Windows does not have (Qt's and the compiler's runtime), the platform and style plugins,
# and Qt's licence with the note where its source is.
#   packagecontent.sh BUILD_DIR
set -uo pipefail
build=$1
status=0
fail() {
    echo "FAIL: $*"
    status=1
}

zip=$(ls "$build"/PravixApp-*-win64.zip 2>/dev/null | head -n 1)
setup=$(ls "$build"/PravixApp-*-win64-setup.exe 2>/dev/null | head -n 1)
[ -n "$zip" ] || { echo "FAIL: no PravixApp-*-win64.zip in $build"; exit 1; }
[ -n "$setup" ] || fail "no PravixApp-*-win64-setup.exe in $build"

top=$(basename "$zip" .zip)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
7zz x -o"$work" "$zip" >/dev/null || { echo "FAIL: $zip does not unpack"; exit 1; }
dir=$work/$top
[ -d "$dir" ] || fail "$zip does not hold one folder $top"

for file in pravixapp.exe pravixctl.exe pravix-lcd-sim.exe platforms/qwindows.dll \
            styles/qwindowsvistastyle.dll licences/qt/LGPL-3.0-only.txt \
            licences/qt/GPL-3.0-only.txt licences/qt/QT-SOURCE.txt README.md copyright; do
    [ -f "$dir/$file" ] || fail "$top/$file is missing from the zip"
done

# Every DLL a program or plugin imports is either Windows' own or lies beside the programs.
while IFS= read -r binary; do
    for dll in $(x86_64-w64-mingw32-objdump -p "$binary" | sed -n 's/^\s*DLL Name: //p'); do
        case $dll in
            Qt6*.dll|lib*.dll)
                [ -f "$dir/$dll" ] || fail "${binary#"$dir"/} needs $dll, which the zip lacks" ;;
        esac
    done
done < <(find "$dir" -name '*.exe' -o -name '*.dll')

# The installer carries the same programs and plugins (7-Zip reads NSIS installers).
if [ -n "$setup" ]; then
    listing=$(7zz l "$setup" 2>/dev/null)
    for file in pravixapp.exe pravixctl.exe Qt6SerialPort.dll qwindows.dll LGPL-3.0-only.txt; do
        grep -q "$file" <<<"$listing" || fail "the installer does not hold $file"
    done
fi

[ "$status" -eq 0 ] && echo "The zip and the installer hold the programs, their DLLs, plugins and licences"
exit "$status"
