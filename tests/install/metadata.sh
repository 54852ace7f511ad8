#!/usr/bin/env bash
# The installed desktop entry and AppStream data pass their validators.
#   metadata.sh BUILD_DIR APP_ID
set -euo pipefail
build=$1
appId=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

DESTDIR="$work" cmake --install "$build" --prefix /usr >/dev/null
desktop-file-validate "$work/usr/share/applications/$appId.desktop"
appstreamcli validate --no-net "$work/usr/share/metainfo/$appId.metainfo.xml"
