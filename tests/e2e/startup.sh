#!/usr/bin/env bash
# Start-up paths of the real console: the single-console check, set-up of an
# empty program directory with the first login up to the main window (without
# ZemoNet.DLL, then with it and the platform's own accounts), and a refused
# password.
source "$(dirname "$0")/lib.sh"

# A console already marks itself running: the second one says so and leaves.
dir=$(prepare_dir running)
printf '[Administrateur]\r\nEtat=1\r\n' > "$dir/admin.ini"
start_console "$dir"
check "already running: the message box shows" yes "$(wait_window Attention >/dev/null && echo yes)"
keys Return
wait_console_exit; check "already running: exit code" 0 $?
check "already running: the flag stays" 1 "$(ini_value "$dir/admin.ini" Administrateur Etat)"
check "already running: no activity file made" missing "$(file_size "$dir/ActUser.dat")"

# Set-up in an empty directory without ZemoNet.DLL (the default database),
# then the first login of the administrator, whose password is still its name:
# what is typed becomes the password.
dir=$(prepare_dir setup)
rm "$dir/ZemoNet.DLL"
start_console "$dir" /s
check "set-up: the login shows" yes "$(wait_window Quorel >/dev/null && echo yes)"
type_text SECRET
keys Return
main=$(wait_window Administrateur)
check "set-up: the main window shows" yes "$([ -n "$main" ] && echo yes)"
[ -n "$main" ] && close_window "$main"
wait_console_exit; check "set-up: exit code" 0 $?
check "set-up: ActUser.dat" 3000 "$(file_size "$dir/ActUser.dat")"
check "set-up: ActUser.dat is zero" 3000 "$(tr -d '\0' < "$dir/ActUser.dat" | wc -c | awk '{print 3000 - $1}')"
check "set-up: ActPass.dat" 152 "$(file_size "$dir/ActPass.dat")"
check "set-up: reseau.dat" 136224 "$(file_size "$dir/reseau.dat")"
check "set-up: Numaut.dat" 804004 "$(file_size "$dir/Numaut.dat")"
check "set-up: journal user filter" 0 "$(ini_value "$dir/admin.ini" Journal User)"
check "set-up: journal gateway filter" 0 "$(ini_value "$dir/admin.ini" Journal Pass)"
check "set-up: the flag is cleared" 0 "$(ini_value "$dir/admin.ini" Administrateur Etat)"
check "set-up: description" "PaParametrages postes" "$(dd if="$dir/reseau.dat" bs=1 skip=32 count=21 2>/dev/null)"
check "set-up: the administrator" "1 $(whoami) 5" "$(user_count "$dir") $(user_name "$dir" 0) $(user_category "$dir" 0)"

# The next login with another password is refused, and the login stays open.
before=$(md5sum < "$dir/reseau.dat")
start_console "$dir"
check "wrong password: the login shows" yes "$(wait_window Quorel >/dev/null && echo yes)"
type_text WRONG
keys Return
check "wrong password: refused" yes "$(wait_window 'Erreur mot de passe' >/dev/null && echo yes)"
keys Return
sleep 0.5
check "wrong password: the login is still open" yes "$(wait_window Quorel 5 >/dev/null && echo yes)"
keys Escape
wait_console_exit; check "wrong password: exit code" 0 $?
check "wrong password: the flag is cleared" 0 "$(ini_value "$dir/admin.ini" Administrateur Etat)"
check "wrong password: reseau.dat unchanged" "$before" "$(md5sum < "$dir/reseau.dat")"

# Set-up with ZemoNet.DLL beside the console: the choice of the accounts comes
# before the login. Under Wine the platform lists one ordinary account, the
# Windows user, who becomes the administrator.
dir=$(prepare_dir import)
start_console "$dir" /s
choice=$(wait_window "Récupération des utilisateurs")
check "import: the choice shows first" yes "$([ -n "$choice" ] && echo yes)"
check "import: no login yet" no "$(wait_window Quorel 1 >/dev/null && echo yes || echo no)"
focus "$choice"
keys Return
check "import: then the login" yes "$(wait_window Quorel >/dev/null && echo yes)"
type_text SECRET
keys Return
main=$(wait_window Administrateur)
check "import: the main window shows" yes "$([ -n "$main" ] && echo yes)"
[ -n "$main" ] && close_window "$main"
wait_console_exit; check "import: exit code" 0 $?
check "import: the Windows user, administrator" "1 $(whoami) 5" \
    "$(user_count "$dir") $(user_name "$dir" 0) $(user_category "$dir" 0)"
check "import: journal user filter" 1 "$(ini_value "$dir/admin.ini" Journal User)"
check "import: reseau.dat" 136224 "$(file_size "$dir/reseau.dat")"
finish
