#!/usr/bin/env bash
# The gateways window of the real console. Alone ("/p") on a new program
# directory: the creation of a gateway starts at once, and cancelling it
# leaves no gateway, no directory and no question when leaving. Alone on the
# demo data: the gateways stay as they were. From the main window of the
# demo: an active gateway cannot be deleted, an idle one is deleted with its
# directory, its journal records and a new change stamp for every position.
#   gateways_window.sh OUT_DIR TOOLS_DIR
source "$(dirname "$0")/lib.sh"
TOOLS_DIR=$2

# The configuration dialog of a new gateway, when it shows, is cancelled.
cancel_configuration() {
    local config
    config=$(wait_window "Configuration de la passerelle" 3) || return 0
    focus "$config"
    keys Escape
}

admin_count() { od -An -t d4 -N 4 "$1/admin.dat" | tr -d ' '; }

# Answers the box with its default button and waits until it is gone: the
# titles of the next box ("Attention") and of this one ("ATTENTION") are
# the same to xdotool, which ignores case.
answer_box() {  # id
    focus "$1"
    keys Return
    for _ in $(seq 25); do
        xdotool search --onlyvisible --name . 2>/dev/null | grep -qx "$1" || return 0
        sleep 0.2
    done
}

# "/s /p" on an empty directory: set-up (the network's accounts, which under
# Wine are the Windows user alone), the first login, then the window alone.
dir=$(prepare_dir alone)
start_console "$dir" /s /p
choice=$(wait_window "Récupération des utilisateurs")
check "alone: set-up asks which accounts first" yes "$([ -n "$choice" ] && echo yes)"
focus "$choice"
keys Return
check "alone: the login shows" yes "$(wait_window Quorel >/dev/null && echo yes)"
type_text SECRET
keys Return
window=$(wait_window Passerelles)
check "alone: the gateways window shows" yes "$([ -n "$window" ] && echo yes)"
cancel_configuration
sleep 1
check "alone: admin.dat is a whole table" 1092 "$(file_size "$dir/admin.dat")"
check "alone: no gateway after cancelling" 0 "$(admin_count "$dir")"
check "alone: no gateway directory" no "$([ -d "$dir/pass0" ] && echo yes || echo no)"
if [ -n "$window" ]; then
    focus "$window"
    keys alt+f
    keys q
fi
check "alone: leaving asks nothing" no "$(wait_window 'Création passerelle' 2 >/dev/null && echo yes || echo no)"
wait_console_exit; check "alone: exit code" 0 $?
check "alone: the flag is cleared" 0 "$(ini_value "$dir/admin.ini" Administrateur Etat)"

# "/p" on the demo data: the creation is cancelled, the three gateways stay.
dir=$(prepare_dir demo-alone)
(cd "$dir" && wine "$TOOLS_DIR/make_demo.exe" . >/dev/null 2>&1 </dev/null)
before=$(md5sum < "$dir/admin.dat")
journal_before=$(md5sum < "$dir/Journal.dat")
start_console "$dir" /p
check "demo alone: the login shows" yes "$(log_in_as_demo_admin && echo yes)"
window=$(wait_window Passerelles)
check "demo alone: the gateways window shows" yes "$([ -n "$window" ] && echo yes)"
cancel_configuration
sleep 1
[ -n "$window" ] && close_window "$window"
wait_console_exit; check "demo alone: exit code" 0 $?
check "demo alone: admin.dat as it was" "$before" "$(md5sum < "$dir/admin.dat")"
check "demo alone: the journal as it was" "$journal_before" "$(md5sum < "$dir/Journal.dat")"
check "demo alone: no new directory" no "$([ -d "$dir/pass3" ] && echo yes || echo no)"
check "demo alone: the journal filter stays on every gateway" 3 "$(ini_value "$dir/admin.ini" Journal Pass)"

# From the main window of the demo, whose gateways 0 and 1 are busy.
dir=$(prepare_dir demo)
(cd "$dir" && wine "$TOOLS_DIR/make_demo.exe" . >/dev/null 2>&1 </dev/null)
gsm_records=$(LC_ALL=C grep -ac "GSM Nord" "$dir/Journal.dat")
start_console "$dir"
check "main: the login shows" yes "$(log_in_as_demo_admin && echo yes)"
main=$(wait_window Administrateur)
check "main: the main window shows" yes "$([ -n "$main" ] && echo yes)"
focus "$main"
keys alt+c
keys p
window=$(wait_window Passerelles)
check "main: the gateways window shows" yes "$([ -n "$window" ] && echo yes)"
focus "$window"
keys alt+e
keys s
refusal=$(wait_window ATTENTION)
check "main: deleting a busy gateway is refused" yes "$([ -n "$refusal" ] && echo yes)"
[ -n "$refusal" ] && answer_box "$refusal"
focus "$window"
keys Down Down
keys alt+e
keys s
question=$(wait_window Attention)
check "main: deleting an idle gateway is asked" yes "$([ -n "$question" ] && echo yes)"
[ -n "$question" ] && answer_box "$question"
sleep 1
check "main: two gateways left" 2 "$(admin_count "$dir")"
check "main: its directory is gone" no "$([ -d "$dir/pass2" ] && echo yes || echo no)"
check "main: its journal records are gone" 0 "$(LC_ALL=C grep -ac "GSM Nord" "$dir/Journal.dat")"
stamps=0
for k in 0 1 2 3 4 5 6 7; do
    [ -n "$(ini_value "$dir/admin.ini" "Pass$k" LastChange)" ] && stamps=$((stamps + 1))
done
check "main: every position has a new change stamp" 8 "$stamps"
focus "$window"
keys alt+f
keys q
check "main: leaving after a deletion asks nothing" no \
    "$(wait_window 'Création passerelle' 2 >/dev/null && echo yes || echo no)"
sleep 0.5
close_window "$main"
wait_console_exit; check "main: exit code" 0 $?
check "main: the journal had the gateway's records" yes "$([ "$gsm_records" -gt 0 ] && echo yes)"
check "main: the journal filter still means every gateway" 2 "$(ini_value "$dir/admin.ini" Journal Pass)"
finish
