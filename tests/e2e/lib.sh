# Helpers of the end-to-end tests: the real admin.exe under Wine, in a program
# directory of its own, answered with xdotool on the test display.
set -u
. "$(dirname "${BASH_SOURCE[0]}")/../../tools/test-slot.sh"
OUT_DIR=$1          # the build's output folder: admin.exe and its DLLs
WORK=$(mktemp -d "${TMPDIR:-/tmp}/quorel-e2e.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
FAILURES=0

prepare_dir() {  # name -> path of a fresh program directory with the product
    local dir="$WORK/$1"
    mkdir -p "$dir"
    cp "$OUT_DIR"/*.exe "$OUT_DIR"/*.[dD][lL][lL] "$dir"/
    echo "$dir"
}

start_console() {  # dir, switches...: starts admin.exe in the background
    local dir=$1; shift
    (cd "$dir" && exec wine admin.exe "$@" >/dev/null 2>&1) &
    CONSOLE_PID=$!
}

# Only a shown window counts: a dialog's window exists, hidden, while its
# initialisation still runs.
wait_window() {  # title [seconds]: the window's id, or failure
    local title=$1 limit=${2:-30} id
    for _ in $(seq $((limit * 5))); do
        id=$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | head -n 1)
        if [ -n "$id" ]; then echo "$id"; return 0; fi
        sleep 0.2
    done
    return 1
}

wait_console_exit() {  # [seconds]: the console's exit code, or 124 when it still runs
    local limit=${1:-30}
    for _ in $(seq $((limit * 5))); do
        if ! kill -0 "$CONSOLE_PID" 2>/dev/null; then
            wait "$CONSOLE_PID"
            return $?
        fi
        sleep 0.2
    done
    kill "$CONSOLE_PID" 2>/dev/null
    return 124
}

keys() { sleep 0.3; xdotool key --delay 50 "$@"; }

# Without a window manager, a window gets the keyboard only when given it.
focus() { xdotool windowfocus --sync "$1" 2>/dev/null || true; sleep 0.3; }

# The close box's way: Alt+F4 closes and destroys the window.
close_window() { focus "$1"; xdotool key alt+F4; }
type_text() { sleep 0.3; xdotool type --delay 50 "$1"; }

# Logs in as the demo's administrator (ADMIN / QUOREL) once the login
# dialog shows; fails when it does not.
log_in_as_demo_admin() {
    local login
    login=$(wait_window Quorel) || return 1
    focus "$login"
    xdotool key shift+Tab
    type_text ADMIN
    keys Tab
    type_text QUOREL
    keys Return
}

ini_value() {  # file section key
    awk -v section="[$2]" -v key="$3" '
        { sub(/\r$/, "") }
        /^\[/ { inside = (tolower($0) == tolower(section)); next }
        inside && index($0, "=") { k = substr($0, 1, index($0, "=") - 1); if (tolower(k) == tolower(key)) { print substr($0, index($0, "=") + 1); exit } }
    ' "$1" 2>/dev/null
}

file_size() { stat -c %s "$1" 2>/dev/null || echo missing; }

# The records of reseau.dat: the user count, and a record's name and category.
user_count() { od -An -t u2 -j 130 -N 2 "$1/reseau.dat" | tr -d ' '; }
user_name() { dd if="$1/reseau.dat" bs=1 skip=$((224 + 136 * $2 + 21)) count=21 2>/dev/null | tr -d '\0' | iconv -f CP1252 -t UTF-8; }
user_category() { od -An -t u1 -j $((224 + 136 * $2 + 52)) -N 1 "$1/reseau.dat" | tr -d ' '; }

# The log file "quorel.log" in Wine's temporary directory, and what was
# appended to it since its size was `$1`.
log_file() {
    local temp
    temp=$(wine cmd /c 'echo %TEMP%' 2>/dev/null </dev/null | tr -d '\r')
    echo "$(winepath -u "$temp" 2>/dev/null)/quorel.log"
}
log_size() { stat -c %s "$(log_file)" 2>/dev/null || echo 0; }
log_since() { tail -c +$(($1 + 1)) "$(log_file)" 2>/dev/null | tr -d '\r' | iconv -f CP1252 -t UTF-8; }

check() {  # description, expected, actual
    if [ "$2" == "$3" ]; then
        echo "ok   - $1"
    else
        echo "FAIL - $1: expected '$2', got '$3'"
        FAILURES=$((FAILURES + 1))
    fi
}

finish() {
    [ "$FAILURES" -eq 0 ] || { echo "$FAILURES check(s) failed"; exit 1; }
}
