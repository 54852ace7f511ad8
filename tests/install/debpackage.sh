#!/usr/bin/env bash
# cpack -G DEB builds pravixapp_<version>_<arch>.deb with dpkg-shlibdeps dependencies and a
# long description; the unpacked program runs; lintian finds no error.
#   debpackage.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

(cd "$work" && cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out") >"$work/cpack.log" ||
    { cat "$work/cpack.log"; fail "cpack failed"; }
deb="$work/out/pravixapp_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { ls -l "$work/out"; fail "no $(basename "$deb")"; }

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = pravixapp ] || fail "Package is $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version is $(field Version)"
depends=$(field Depends)
for library in libc6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6serialport6; do
    grep -q "\b$library\b" <<<"$depends" || fail "Depends lacks $library: $depends"
done
description=$(field Description)
[ -n "$(head -1 <<<"$description")" ] || fail "no short description"
[ "$(wc -l <<<"$description")" -ge 3 ] || fail "no long description: $description"

dpkg-deb -x "$deb" "$work/unpacked"
output=$(QT_QPA_PLATFORM=offscreen "$work/unpacked/usr/bin/pravixapp" --version)
[ "$output" = "PravixApp 2.3 (build $version)" ] || fail "--version printed: $output"
output=$("$work/unpacked/usr/bin/pravixctl" --version)
[ "$output" = "pravixctl 2.3 (build $version)" ] || fail "pravixctl --version printed: $output"
QT_QPA_PLATFORM=offscreen "$work/unpacked/usr/bin/pravix-lcd-sim" --version >/dev/null ||
    fail "pravix-lcd-sim --version failed"

status=0
lintian --no-tag-display-limit "$deb" >"$work/lintian.txt" 2>&1 || status=$?
cat "$work/lintian.txt"
if grep -q '^E: ' "$work/lintian.txt"; then
    fail "lintian reports errors"
fi
[ "$status" -eq 0 ] || fail "lintian ended with status $status"
echo "package $(basename "$deb"): $(stat -c %s "$deb") bytes, Depends: $depends"
