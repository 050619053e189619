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

# Configures build/<name> once (a Debug build unless the arguments say
# otherwise); later calls keep its configuration.
configure() {  # name, extra cmake arguments...
    local name=$1; shift
    local dir="$BUILD/$name"
    if [ ! -f "$dir/build.ninja" ]; then
        local launcher=()
        command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
        cmake -S "$ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug "${launcher[@]}" "$@" >/dev/null
    fi
}

configure_and_build() {  # name, extra cmake arguments...
    configure "$@"
    cmake --build "$BUILD/$1" -- -j"$(nproc)"
}

build_windows() {
    configure_and_build win64 -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake"
}

# What an administrator installs: the console and its companion DLLs built
# optimised and stripped, without the tests, in build/release-win32/out (the
# product's 32-bit target) and build/release-win64/out.
build_release() {
    configure_and_build release-win32 -DCMAKE_BUILD_TYPE=Release -DADMIN_BUILD_TESTS=OFF \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-i686.cmake"
    configure_and_build release-win64 -DCMAKE_BUILD_TYPE=Release -DADMIN_BUILD_TESTS=OFF \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake"
}

# One target of an optimised build kept for the benchmarks (build/<name>):
# benchmarks always measure optimised code, never the Debug builds.
build_bench_target() {  # build name, target, cmake arguments...
    local name=$1 target=$2; shift 2
    configure "$name" -DCMAKE_BUILD_TYPE=Release "$@"
    cmake --build "$BUILD/$name" --target "$target" -- -j"$(nproc)"
}

# Runs a benchmark under Wine; one that cannot even start (a DLL missing
# beside it, a program Wine cannot load) says so and fails, whatever Wine
# printed or kept quiet about.
run_wine_bench() {  # program, arguments...
    local status=0
    wine "$@" || status=$?
    if [ "$status" -ne 0 ]; then
        echo "FAILED: $(basename "$1") ended with status $status (Wine ends a program it cannot start, for" \
             "instance for a DLL missing beside it, that way and without a word)" >&2
    fi
    return "$status"
}

build_all() {
    configure_and_build native
    build_windows
    configure_and_build win32 -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-i686.cmake"
    configure_and_build fuzz -DADMIN_FUZZ=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
    build_release
}

# What the script started, ended when it ends: private Xvfb servers and the
# Wine servers of the prefixes it used.
STARTED_XVFBS=()
USED_PREFIXES=()
clean_up_started() {
    local prefix pid
    # Under set -e a server or an Xvfb already gone must not end the clean-up
    # (and turn the script's status into a failure).
    for prefix in "${USED_PREFIXES[@]}"; do WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1 || true; done
    for pid in "${STARTED_XVFBS[@]}"; do kill "$pid" 2>/dev/null || true; done
    return 0
}
trap clean_up_started EXIT

# Starts a private Xvfb on the first free display number and sets
# STARTED_DISPLAY to it (":N").
start_xvfb() {
    local n=91
    while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    STARTED_XVFBS+=($!)
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
    STARTED_DISPLAY=":$n"
}

# A display for Wine: the caller's own, or a private Xvfb that ends with the script.
ensure_display() {
    if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
    start_xvfb
    export DISPLAY=$STARTED_DISPLAY
}

ensure_wineprefix() {
    USED_PREFIXES+=("$WINEPREFIX")
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

# Display slots for the tests that run under Wine: TEST_SLOTS of them, each a
# private Xvfb and a Wine prefix of its own (build/wineprefix-slotN), so that
# two tests running at once share no keyboard focus, no foreground window and
# no screen. ctest gives every such test one slot (RESOURCE_GROUPS displays:1,
# from the file written here, TEST_SLOTS_SPEC); tools/test-slot.sh then moves
# the test onto the slot's display and prefix.
TEST_SLOTS="${TEST_SLOTS:-2}"
prepare_test_slots() {
    local i entries=""
    for ((i = 0; i < TEST_SLOTS; i++)); do
        start_xvfb
        export "TEST_SLOT_${i}_DISPLAY=$STARTED_DISPLAY" "TEST_SLOT_${i}_WINEPREFIX=$BUILD/wineprefix-slot$i"
        DISPLAY=$STARTED_DISPLAY WINEPREFIX="$BUILD/wineprefix-slot$i" ensure_wineprefix
        entries+="${entries:+, }{\"id\": \"$i\", \"slots\": 1}"
    done
    TEST_SLOTS_SPEC="$BUILD/test-slots.json"
    printf '{"version": {"major": 1, "minor": 0}, "local": [{"displays": [%s]}]}\n' "$entries" > "$TEST_SLOTS_SPEC"
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
