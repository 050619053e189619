# Shared by tools/run and tools/test: paths, packages and builds.
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD="${BUILD:-$ROOT/build}"
export WINEPREFIX="${WINEPREFIX:-$BUILD/wineprefix}"
export WINEDEBUG=-all
export WINEARCH=win64
export DEBIAN_FRONTEND=noninteractive

PACKAGES=(cmake ninja-build g++ googletest g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
          wine wine64 xvfb x11-utils xdotool imagemagick libbenchmark-dev clang libclang-rt-14-dev ccache)

# Printing: a CUPS print queue whose printer writes PDF files, and poppler's
# tools that read them back (ensure_print_queue below).
PACKAGES+=(cups printer-driver-cups-pdf poppler-utils)

install_missing_packages() {
    local missing=()
    for p in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    $sudo apt-get update -qq
    $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# Objects are cached by paths relative to the checkout; a machine with several
# checkouts shares them by setting CCACHE_BASEDIR to a folder above them all.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$ROOT}"
export CCACHE_NOHASHDIR=1

configure_and_build() {  # name, extra cmake arguments...
    local name=$1; shift
    local dir="$BUILD/$name"
    if [ ! -f "$dir/build.ninja" ]; then
        local launcher=()
        command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
        cmake -S "$ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug "${launcher[@]}" "$@" >/dev/null
    fi
    cmake --build "$dir" -- -j"$(nproc)"
}

build_windows() {
    configure_and_build win64 -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake"
}

build_all() {
    configure_and_build native
    build_windows
    configure_and_build win32 -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-i686.cmake"
    configure_and_build fuzz -DADMIN_FUZZ=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
}

# A display for Wine: the caller's own, or a private Xvfb that ends with the script.
ensure_display() {
    if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
    local n=91
    while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
    trap 'wineserver -k >/dev/null 2>&1; kill $XVFB_PID 2>/dev/null' EXIT
}

ensure_wineprefix() {
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        mkdir -p "$WINEPREFIX"
        wine wineboot -i >/dev/null 2>&1 || true
        wineserver -w
    fi
    # Keep the server and Wine's own services running, started here with their
    # output sent nowhere: a service started by a test would hold the test's
    # output pipe open and ctest would wait for it until the timeout.
    wineserver -p >/dev/null 2>&1 || true
    wine cmd /c exit >/dev/null 2>&1 </dev/null || true
}

# The print queue "PDF" of the machine's CUPS, whose cups-pdf printer writes
# every document to ~/PDF of the user who prints (the console under Wine
# prints through it, and the tests read its files back). Starts the scheduler
# when it is not running (a machine without systemd, or the packages just
# installed in a container), makes the queue when it is missing, and makes it
# the default when the machine has no default printer.
ensure_print_queue() {
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    if ! lpstat -r 2>/dev/null | grep -q 'is running'; then
        $sudo cupsd  # it leaves for the background once listening
        for _ in $(seq 100); do lpstat -r 2>/dev/null | grep -q 'is running' && break; sleep 0.1; done
    fi
    if ! lpstat -p PDF >/dev/null 2>&1; then
        $sudo lpadmin -p PDF -v cups-pdf:/ -E -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd 2>/dev/null
    fi
    if ! lpstat -d 2>/dev/null | grep -q 'system default destination:'; then
        $sudo lpadmin -d PDF
    fi
    lpstat -p PDF >/dev/null 2>&1 || { echo "No print queue PDF: printing cannot be tested" >&2; return 1; }
}
