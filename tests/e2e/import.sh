#!/usr/bin/env bash
# Set-up ("/s") of the real console importing the accounts that the test
# double of ZemoNet.DLL lists: the network's accounts chosen in "Récupération
# des utilisateurs", "Annuler" there, and "Annuler" in the progress window
# part-way through a long list.
#   import.sh OUT_DIR DOUBLE_DIR
source "$(dirname "$0")/lib.sh"
DOUBLE_DIR=$2

# A program directory with the product, the double in place of ZemoNet.DLL
# and the double's script.
prepare_import_dir() {  # name script
    local dir
    dir=$(prepare_dir "$1")
    cp "$DOUBLE_DIR/ZemoNet.DLL" "$dir/ZemoNet.DLL"
    printf "$2" | iconv -f UTF-8 -t CP1252 > "$dir/ZemoNet.txt"
    echo "$dir"
}

# The visible window without a title that shows while the accounts are read.
progress_window() {
    local id
    for _ in $(seq 50); do
        for id in $(xdotool search --onlyvisible --name '^$' 2>/dev/null); do
            eval "$(xdotool getwindowgeometry --shell "$id" | sed 's/^/P_/')"
            if [ "$P_HEIGHT" -lt 200 ]; then echo "$id"; return 0; fi
        done
        sleep 0.2
    done
    return 1
}

cancel_login() {
    wait_window Quorel >/dev/null || return 1
    keys Escape
}

# "sur le réseau" and OK: three users sorted by name, passwords their names,
# ADMIN the administrator, their directories, the journal's user filter on all
# of them and the log lines.
dir=$(prepare_import_dir network 'account 2 ADMIN\naccount 1 Zoé\naccount 1 Bob\n')
log_before=$(log_size)
start_console "$dir" /s
choice=$(wait_window "Récupération des utilisateurs")
check "network: the choice shows" yes "$([ -n "$choice" ] && echo yes)"
focus "$choice"
keys Return
check "network: the login follows" yes "$(cancel_login && echo yes)"
wait_console_exit; check "network: exit code" 0 $?
check "network: three users" 3 "$(user_count "$dir")"
check "network: sorted by name" "ADMIN Bob Zoé" "$(user_name "$dir" 0) $(user_name "$dir" 1) $(user_name "$dir" 2)"
check "network: categories" "5 0 0" "$(user_category "$dir" 0) $(user_category "$dir" 1) $(user_category "$dir" 2)"
check "network: ADMIN's password is its name" "$(printf '\244\250\262\255\255' | od -An -t x1)" \
    "$(od -An -t x1 -j 224 -N 5 "$dir/reseau.dat")"
check "network: stations" "0 0 0" "$(for i in 0 1 2; do od -An -t u2 -j $((224 + 136 * i + 55)) -N 2 "$dir/reseau.dat" | tr -d ' '; done | xargs)"
check "network: the directories" "yes yes yes" "$(for u in ADMIN Bob Zoé; do [ -d "$dir/$u" ] && echo yes || echo no; done | xargs)"
check "network: no minitel.ini" "no no no" "$(for u in ADMIN Bob Zoé; do [ -f "$dir/$u/minitel.ini" ] && echo yes || echo no; done | xargs)"
check "network: [Journal] User" 3 "$(ini_value "$dir/admin.ini" Journal User)"
check "network: the log" "3 utilisateurs on été trouvés||" "$(log_since "$log_before" | paste -sd '|')"

# "Annuler" in the choice: the default database, one administrator.
dir=$(prepare_import_dir annuler 'account 2 ADMIN\naccount 1 Bob\n')
start_console "$dir" /s
choice=$(wait_window "Récupération des utilisateurs")
focus "$choice"
keys Escape
check "annuler: the login follows" yes "$(cancel_login && echo yes)"
wait_console_exit; check "annuler: exit code" 0 $?
check "annuler: the default database" "1 $(whoami) 5" "$(user_count "$dir") $(user_name "$dir" 0) $(user_category "$dir" 0)"
check "annuler: [Journal] User" 0 "$(ini_value "$dir/admin.ini" Journal User)"
check "annuler: nothing read" 0 "$(grep -c UserFindNext "$dir/ZemoNet.log")"

# "Annuler" in the progress window while a thousand accounts are read slowly:
# the accounts read so far become the users.
dir=$(prepare_import_dir progress 'account 2 ADMIN\nmany 999 1 User\ndelay 20\n')
start_console "$dir" /s
choice=$(wait_window "Récupération des utilisateurs")
focus "$choice"
keys Return
progress=$(progress_window)
check "progress: the window shows" yes "$([ -n "$progress" ] && echo yes)"
sleep 1
focus "$progress"
keys Escape
check "progress: the login follows" yes "$(cancel_login && echo yes)"
wait_console_exit; check "progress: exit code" 0 $?
read_count=$(grep -c '^UserFindNext User\|^UserFindNext ADMIN' "$dir/ZemoNet.log")
users=$(user_count "$dir")
check "progress: stopped part-way" yes "$([ "$users" -gt 1 ] && [ "$users" -lt 1000 ] && echo yes)"
check "progress: every account read is a user" "$read_count" "$users"
check "progress: [Journal] User" "$users" "$(ini_value "$dir/admin.ini" Journal User)"
check "progress: the last one read" "User$(printf '%04d' $((users - 1)))" "$(user_name "$dir" $((users - 1)))"
finish
