#!/usr/bin/env bash
# cmake --install into a temporary DESTDIR, once for /usr and once for another prefix: the tree
# holds exactly the programs, the desktop entry, the icons, the AppStream data and the
# documents, every one under DESTDIR and the prefix.
#   installtree.sh BUILD_DIR SOURCE_DIR APP_ID
set -euo pipefail
build=$1
srcDir=$2
appId=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

check_prefix() {
    local prefix=$1
    local root="$work/root${prefix//\//_}"
    DESTDIR="$root" cmake --install "$build" --prefix "$prefix" >"$work/install.log" ||
        { cat "$work/install.log"; fail "cmake --install --prefix $prefix failed"; }

    local expected
    expected=$(sort <<EOT
.$prefix/bin/pravix-lcd-sim
.$prefix/bin/pravixapp
.$prefix/bin/pravixctl
.$prefix/share/applications/$appId.desktop
.$prefix/share/doc/pravixapp/README.md
.$prefix/share/doc/pravixapp/changelog.gz
.$prefix/share/doc/pravixapp/copyright
.$prefix/share/icons/hicolor/32x32/apps/pravixapp.png
.$prefix/share/icons/hicolor/scalable/apps/pravixapp.svg
.$prefix/share/man/man1/pravixapp.1.gz
.$prefix/share/man/man1/pravixctl.1.gz
.$prefix/share/metainfo/$appId.metainfo.xml
EOT
)
    local actual
    actual=$(cd "$root" && find . ! -type d | sort)
    if [ "$actual" != "$expected" ]; then
        diff <(echo "$expected") <(echo "$actual") >&2 || true
        fail "installed tree for prefix $prefix differs (< expected, > installed)"
    fi

    local dir="$root$prefix"
    for program in pravixapp pravixctl pravix-lcd-sim; do
        [ -x "$dir/bin/$program" ] || fail "$program is not executable"
    done
    cmp -s "$dir/share/doc/pravixapp/README.md" "$srcDir/README.md" ||
        fail "the installed README is not the project's"

    # A 32 x 32 PNG: the signature, then width and height in the IHDR chunk.
    local header
    header=$(od -An -tx1 -N24 "$dir/share/icons/hicolor/32x32/apps/pravixapp.png" | tr -d ' \n')
    [ "${header:0:16}" = "89504e470d0a1a0a" ] || fail "the 32x32 icon is not a PNG"
    [ "${header:32:16}" = "0000002000000020" ] || fail "the 32x32 icon is not 32 x 32"
    grep -q '<svg' "$dir/share/icons/hicolor/scalable/apps/pravixapp.svg" ||
        fail "the scalable icon is not an SVG"

    # The desktop entry starts the installed program and shows the installed icon.
    local desktop="$dir/share/applications/$appId.desktop"
    grep -qx 'Exec=pravixapp' "$desktop" || fail "Exec is not pravixapp"
    grep -qx 'Icon=pravixapp' "$desktop" || fail "Icon is not pravixapp"
    grep -q "<launchable type=\"desktop-id\">$appId.desktop</launchable>" \
        "$dir/share/metainfo/$appId.metainfo.xml" || fail "the metainfo does not launch $appId.desktop"

    gzip -t "$dir/share/man/man1/pravixapp.1.gz" "$dir/share/man/man1/pravixctl.1.gz" \
        "$dir/share/doc/pravixapp/changelog.gz" ||
        fail "a compressed document is damaged"
}

check_prefix /usr
check_prefix /opt/pravix-test
echo "installed tree complete under /usr and /opt/pravix-test"
