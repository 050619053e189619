#!/usr/bin/env bash
# The real console's main window on the demo data: its first placement and
# settings, what closing it saves (by "Quitter", by the close box), and the
# server simulator appending calls beside it. Closing while maximised is
# tested in process (shell/tests/main_window_test.cpp): without a window
# manager on the test display, the X server's answer restores a maximised
# window at once.
#   main_window.sh OUT_DIR TOOLS_DIR
source "$(dirname "$0")/lib.sh"
TOOLS_DIR=$2

# A program directory with the demo's data and no admin.ini.
prepare_demo_dir() {  # name
    local dir
    dir=$(prepare_dir "$1")
    (cd "$dir" && wine "$TOOLS_DIR/make_demo.exe" . >/dev/null 2>&1 </dev/null)
    rm -f "$dir/admin.ini"
    echo "$dir"
}

# Logs in as the demo's administrator; the main window's id, or nothing.
log_in_to_main_window() {
    log_in_as_demo_admin || return 1
    wait_window Administrateur
}

journal_count() {  # dir: the record count at the head of Journal.dat
    od -An -t u4 -N 4 "$1/Journal.dat" | tr -d ' '
}

# First start: the window at 40, 40, 430 × 400, the journal sorted by "Date";
# "&Quitter" of the "&Fichier" menu saves all of it.
dir=$(prepare_demo_dir first)
start_console "$dir"
main=$(log_in_to_main_window)
check "first start: the main window shows" yes "$([ -n "$main" ] && echo yes)"
check "first start: the console marks itself running" 1 "$(ini_value "$dir/admin.ini" Administrateur Etat)"
check "first start: the users' directories are made" yes "$([ -f "$dir/ADMIN/minitel.ini" ] && echo yes)"
focus "$main"
keys alt+f q
wait_console_exit; check "Quitter: exit code" 0 $?
for expected in Journal:User:1 Journal:Pass:0 Journal:Afficher:1 Journal:Tri:9 Journal:Purge:0 Journal:NbJours:0 \
                Administrateur:Etat:0 Administrateur:left:40 Administrateur:top:40 Administrateur:right:470 \
                Administrateur:bottom:440; do
    IFS=: read -r section key value <<<"$expected"
    check "Quitter: [$section] $key" "$value" "$(ini_value "$dir/admin.ini" "$section" "$key")"
done

# The close box closes the same way, and a placement saved earlier comes back.
sed -i 's/^left=40/left=60/; s/^right=470/right=620/; s/^NbJours=0/NbJours=7/' "$dir/admin.ini"
start_console "$dir"
main=$(log_in_to_main_window)
check "close box: the main window shows" yes "$([ -n "$main" ] && echo yes)"
close_window "$main"
wait_console_exit; check "close box: exit code" 0 $?
check "close box: the flag is cleared" 0 "$(ini_value "$dir/admin.ini" Administrateur Etat)"
check "close box: left" 60 "$(ini_value "$dir/admin.ini" Administrateur left)"
check "close box: right" 620 "$(ini_value "$dir/admin.ini" Administrateur right)"
check "close box: NbJours is kept" 7 "$(ini_value "$dir/admin.ini" Journal NbJours)"

# The server simulator appends calls while the console shows the journal:
# every call lands after the others and the count follows; the activity
# files show again what they showed before.
before=$(journal_count "$dir")
activity=$(md5sum < "$dir/ActPass.dat")$(md5sum < "$dir/ActUser.dat")
start_console "$dir"
main=$(log_in_to_main_window)
check "simulator: the main window shows" yes "$([ -n "$main" ] && echo yes)"
(cd "$dir" && wine "$TOOLS_DIR/server_sim.exe" --rate 600 --calls 6 --seconds 60 >/dev/null 2>&1 </dev/null)
check "simulator: six calls appended" $((before + 6)) "$(journal_count "$dir")"
check "simulator: the file holds them all" $((4 + 564 * (before + 6))) "$(file_size "$dir/Journal.dat")"
check "simulator: the activity files as they were" "$activity" "$(md5sum < "$dir/ActPass.dat")$(md5sum < "$dir/ActUser.dat")"
sleep 3  # a poll of the console meanwhile
check "simulator: the console still runs" yes "$(kill -0 "$CONSOLE_PID" 2>/dev/null && echo yes)"
[ -n "$main" ] && close_window "$main"
wait_console_exit; check "simulator: exit code" 0 $?
finish
