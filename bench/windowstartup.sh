#!/usr/bin/env bash
# Start-up to a mapped window under Wine: pravixapp.exe against barewindow.exe, both from the
# build's install step (the same DLLs beside them), in turns in one Wine desktop on Xvfb, so
# the ratio of the two comes from the same run. Prints every start and the medians.
#   windowstartup.sh BUILD_DIR [RUNS]
set -uo pipefail
build=$(cd "$1" && pwd)
runs=${2:-7}
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi
source "$here/../tests/windows/winesession.sh"
wininput=$build/tests/windows/pravix-wininput.exe
wine=$(readlink -f "$(command -v wine64 || echo /usr/lib/wine/wine64)")

work=$(mktemp -d)
trap 'end_wine_session "$wine"; rm -rf "$work"' EXIT
cmake --install "$build" --prefix "$work/app" >/dev/null || exit 1
cp "$build/bench/barewindow.exe" "$work/app/"
# The server stays up between starts, as on a desktop where Wine already runs.
{ start_wine_session "$wine" "$work/wine" && use_wine_desktop "$wine"; } || exit 1

# start_ms EXE TITLE: milliseconds from starting EXE to its window being visible. The watcher
# is started first and polls every 20 ms, so its own start is not counted.
start_ms() {
    local begin end pid watcher
    "$wine" "$wininput" wait "$2" &
    watcher=$!
    sleep 1
    begin=$(date +%s%N)
    "$wine" "$work/app/$1" >/dev/null 2>&1 &
    pid=$!
    wait "$watcher" || { kill "$pid"; echo "no window from $1" >&2; return 1; }
    end=$(date +%s%N)
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    echo $(( (end - begin) / 1000000 ))
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

app_times=()
bare_times=()
for i in $(seq 1 "$runs"); do
    a=$(start_ms pravixapp.exe 'PravixApp Ver 2.3') || exit 1
    b=$(start_ms barewindow.exe 'Bare Qt window') || exit 1
    echo "start $i: pravixapp.exe $a ms, barewindow.exe $b ms"
    app_times+=("$a")
    bare_times+=("$b")
done
app=$(printf '%s\n' "${app_times[@]}" | median)
bare=$(printf '%s\n' "${bare_times[@]}" | median)
echo "median of $runs starts under Wine: pravixapp.exe $app ms, barewindow.exe $bare ms," \
     "ratio $(awk -v a="$app" -v b="$bare" 'BEGIN { printf "%.2f", a / b }')"
