#!/usr/bin/env bash
# The real console started with "/u" on the demo data: after the login the
# users window opens editing a new user named after the Windows user, with the
# focus on the password; a password typed, "&Valider" and "OK" put the user
# into reseau.dat. The next "/u" start finds that user and leaves at once.
#   users_window.sh OUT_DIR TOOLS_DIR
source "$(dirname "$0")/lib.sh"
TOOLS_DIR=$2

dir=$(prepare_dir users)
(cd "$dir" && wine "$TOOLS_DIR/make_demo.exe" . >/dev/null 2>&1 </dev/null)
rm -f "$dir/admin.ini"
windows_user=$(whoami)  # what GetUserNameA answers under Wine
users_before=$(od -An -t u2 -j 130 -N 2 "$dir/reseau.dat" | tr -d ' ')

start_console "$dir" /u
check "the login shows" yes "$(log_in_as_demo_admin && echo yes)"
users=$(wait_window "Configuration des utilisateurs")
check "the users window shows" yes "$([ -n "$users" ] && echo yes)"
check "the work copy is made" yes "$([ -f "$dir/usertemp/reseau.dat" ] && echo yes)"
check "the numbers are saved aside" yes "$([ -f "$dir/NumAut.sav" ] && echo yes)"
# The new user is already in the work copy, not yet in reseau.dat.
check "the new user is in the work copy" yes \
    "$(LC_ALL=C grep -aq "$windows_user" "$dir/usertemp/reseau.dat" && echo yes)"
check "reseau.dat is untouched meanwhile" no "$(LC_ALL=C grep -aq "$windows_user" "$dir/reseau.dat" && echo yes || echo no)"
# The focus is on the password field: the typed text goes there.
focus "$users"
type_text secret
keys alt+v
keys Return
wait_console_exit; check "OK: exit code" 0 $?
check "OK: reseau.dat holds the new user" yes "$(LC_ALL=C grep -aq "$windows_user" "$dir/reseau.dat" && echo yes)"
check "OK: one user more" $((users_before + 1)) "$(od -An -t u2 -j 130 -N 2 "$dir/reseau.dat" | tr -d ' ')"
check "OK: the work copy is gone" no "$([ -f "$dir/usertemp/reseau.dat" ] && echo yes || echo no)"
check "OK: the saved numbers are gone" no "$([ -f "$dir/NumAut.sav" ] && echo yes || echo no)"
check "OK: the flag is cleared" 0 "$(ini_value "$dir/admin.ini" Administrateur Etat)"

# The stored password of the record named $1 in reseau.dat of $2, unscrambled
# (each byte less 99, then xor its index).
stored_password() {
    local count k name
    count=$(od -An -t u2 -j 130 -N 2 "$2/reseau.dat" | tr -d ' ')
    for ((k = 0; k < count; k++)); do
        name=$(dd if="$2/reseau.dat" bs=1 skip=$((224 + 136 * k + 21)) count=21 2>/dev/null | tr -d '\0')
        [ "$name" == "$1" ] || continue
        local i=0 text="" byte
        for byte in $(od -An -t u1 -j $((224 + 136 * k)) -N 21 "$2/reseau.dat"); do
            [ "$byte" -eq 0 ] && break
            text+=$(printf "\\$(printf %03o $(( ((byte - 99) & 255) ^ i )))")
            i=$((i + 1))
        done
        echo "$text"
        return
    done
}
check "OK: the typed password, in upper case" SECRET "$(stored_password "$windows_user" "$dir")"

# The Windows user is now known: "/u" leaves without a login.
start_console "$dir" /u
wait_console_exit; check "known user: exit code" 0 $?
check "known user: no login was shown" no "$(wait_window Quorel 1 >/dev/null && echo yes || echo no)"
finish
