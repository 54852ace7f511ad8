# Shared by the run, test and fuzz commands: installs missing Debian packages and builds.
# Sourced, not run.

set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
JOBS=${JOBS:-2}

# Installs the named Debian packages that are not installed yet.
ensure_packages() {
    local missing=()
    local pkg
    for pkg in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$pkg")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing Debian packages: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Adds source entries for the archives apt already uses, when there are none: building Qt for
# Windows starts from a Debian source package (apt-get source).
ensure_deb_src() {
    local list=/etc/apt/sources.list.d
    if grep -Eqs '^(deb-src |Types:.*deb-src)' /etc/apt/sources.list "$list"/*.list "$list"/*.sources; then
        return 0
    fi
    echo "Adding deb-src entries for apt"
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    if [ -f "$list/debian.sources" ]; then
        sed 's/^Types:.*/Types: deb-src/' "$list/debian.sources" | "${sudo[@]}" tee "$list/pravix-src.sources" >/dev/null
    else
        sed -n 's/^deb /deb-src /p' /etc/apt/sources.list | "${sudo[@]}" tee "$list/pravix-src.list" >/dev/null
    fi
    "${sudo[@]}" apt-get update -qq
}

BUILD_PACKAGES=(cmake g++ make pkg-config qt6-base-dev qt6-base-dev-tools qt6-serialport-dev
                libgl-dev fonts-wine)

# configure_and_build BUILD_DIR [cmake options...]
configure_and_build() {
    local dir=$1
    shift
    cmake -S "$ROOT" -B "$dir" "$@"
    cmake --build "$dir" -j"$JOBS"
}

# run_suite BUILD_DIR: runs every test of a built tree with CTest.
run_suite() {
    (cd "$1" && ctest --output-on-failure -j"$JOBS")
}

# Settings for a run under AddressSanitizer and UndefinedBehaviorSanitizer: every finding,
# leaks included, fails the test that made it, with a stack trace.
sanitizer_environment() {
    export ASAN_OPTIONS="detect_leaks=1:check_initialization_order=1:strict_init_order=1:strict_string_checks=1"
    export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
}
