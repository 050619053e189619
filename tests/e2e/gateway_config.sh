#!/usr/bin/env bash
# The configuration dialog of the real console, over the telephony and dial-up
# doubles (copied into the test's program directory, where the console finds
# them first, and taken in place of Wine's own by WINEDLLOVERRIDES). "/s /p"
# on an empty directory (set-up, then the gateways window alone): the new
# gateway is named "Standard", gets a line through "Modems" and a loudspeaker
# always on, and "OK" saves it; then "/p" again: a second gateway named
# "standard" is refused, and cancelling it leaves the first one as it was.
#   gateway_config.sh OUT_DIR DOUBLES_DIR
source "$(dirname "$0")/lib.sh"
DOUBLES_DIR=$2
MODEM="Modem standard 56000 bps"
ENTRY=$'Connexion Quorel sur IP n\xb00'  # the entry of line 0, as written in Windows-1252

byte_at() { od -An -t u1 -j "$2" -N 1 "$1" 2>/dev/null | tr -d ' '; }
u32_at() { od -An -t u4 -j "$2" -N 4 "$1" 2>/dev/null | tr -d ' '; }
text_at() { dd if="$1" bs=1 skip="$2" count="$3" 2>/dev/null | tr -d '\0'; }
# "no" once no window of that title shows any more, within ten seconds.
still_shown() {  # title
    for _ in $(seq 50); do
        xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || { echo no; return; }
        sleep 0.2
    done
    echo yes
}

dir=$(prepare_dir config)
cp "$DOUBLES_DIR/tapi32/tapi32.dll" "$DOUBLES_DIR/rasapi32/rasapi32.dll" "$dir"/
printf '[Telephony]\r\nCurrentLocation=1\r\nLog=tapi32.log\r\n[Device0]\r\nName=%s\r\n' "$MODEM" > "$dir/tapi32.ini"
printf '[Locations]\r\nCount=1\r\n[Location0]\r\nId=1\r\nName=Bureau\r\nCountry=33\r\n' >> "$dir/tapi32.ini"
printf '[Device0]\r\nType=isdn\r\nName=Carte RNIS\r\n[Device1]\r\nType=modem\r\nName=%s\r\n' "$MODEM" \
    > "$dir/rasapi32.ini"
export WINEDLLOVERRIDES="tapi32,rasapi32=n,b"

start_console "$dir" /s /p
# Set-up first asks which accounts to take: the network's (under Wine the
# Windows user alone).
choice=$(wait_window "Récupération des utilisateurs")
check "set-up asks which accounts first" yes "$([ -n "$choice" ] && echo yes)"
[ -n "$choice" ] && { focus "$choice"; keys Return; }
check "the login shows" yes "$(wait_window Quorel >/dev/null && echo yes)"
type_text SECRET
keys Return
# The gateways window starts the creation before it is first shown.
config=$(wait_window "Configuration de la passerelle")
check "the configuration of the new gateway shows" yes "$([ -n "$config" ] && echo yes)"
if [ -n "$config" ]; then
    focus "$config"
    keys alt+o              # "N&om de la passerelle :"
    type_text Standard
    keys alt+j              # "A&jouter": "Modems" takes the only modem at once
    sleep 2
    check "the line is held meanwhile" 1 "$(byte_at "$dir/ActPass.dat" 3)"
    check "the line's entry is created at once" "$MODEM" "$(ini_value "$dir/rasphone.ini" "$ENTRY" DeviceName)"
    keys alt+h Down         # "&Haut-parleur :" one further: "Toujours actif"
    keys alt+o Return       # "OK", the default button
    sleep 2
fi
check "the dialog is gone" no "$(still_shown "Configuration de la passerelle")"
gateways=$(wait_window Passerelles)
check "the gateways window shows" yes "$([ -n "$gateways" ] && echo yes)"
if [ -n "$gateways" ]; then
    focus "$gateways"
    keys alt+f
    keys q
fi
wait_console_exit; check "exit code" 0 $?

check "admin.dat: one gateway" 1 "$(u32_at "$dir/admin.dat" 0)"
check "admin.dat: its line" 1 "$(u32_at "$dir/admin.dat" 4)"
check "admin.dat: its name" Standard "$(text_at "$dir/admin.dat" 12 128)"
check "comlines.dat: one record" $((256 + 640)) "$(file_size "$dir/pass0/comlines.dat")"
check "comlines.dat: its device" "$MODEM" "$(text_at "$dir/pass0/comlines.dat" $((256 + 67)) 64)"
check "Fax0Mid.mid: one record" $((128 + 512)) "$(file_size "$dir/pass0/Fax0Mid.mid")"
base=$(text_at "$dir/pass0/comlines.dat" $((256 + 131)) 9)
check "the line's RTC file is named" yes "$([ -n "$base" ] && echo yes)"
check "the loudspeaker is always on" 2 "$(byte_at "$dir/pass0/$base.cnf" 404)"
check "LastChange of Pass0 is written" yes "$([ -n "$(ini_value "$dir/admin.ini" Pass0 LastChange)" ] && echo yes)"
check "ActPass.dat: ConfigChanged of record 0" 1 "$(byte_at "$dir/ActPass.dat" 2)"
check "ActPass.dat: the line is free again" 0 "$(byte_at "$dir/ActPass.dat" 3)"
check "no work copy remains" no "$([ -d "$dir/pass0/cfgtemp" ] && echo yes || echo no)"
check "pass.ini: no direct IP access" 0 "$(ini_value "$dir/pass.ini" pass0 AccesDirectIP)"
check "the entry dials the Minitel access" 3622 "$(ini_value "$dir/rasphone.ini" "$ENTRY" PhoneNumber)"
check "the entry's dial parameters" 3622 "$(ini_value "$dir/rasphone.ini" "$ENTRY" DialNumber)"
check "the entry is on the line's device" "$MODEM" "$(ini_value "$dir/rasphone.ini" "$ENTRY" DeviceName)"

# Alone again: a second gateway may not take the first one's name in other letters.
admin_before=$(md5sum < "$dir/admin.dat")
lines_before=$(md5sum < "$dir/pass0/comlines.dat")
start_console "$dir" /p
check "again: the login shows" yes "$(wait_window Quorel >/dev/null && echo yes)"
type_text SECRET
keys Return
config=$(wait_window "Configuration de la passerelle")
check "again: the configuration of a second gateway shows" yes "$([ -n "$config" ] && echo yes)"
if [ -n "$config" ]; then
    focus "$config"
    keys alt+o
    type_text standard
    keys Return
    refusal=$(wait_window "Modification d'un passerelle" 10)
    check "again: the name is refused" yes "$([ -n "$refusal" ] && echo yes)"
    [ -n "$refusal" ] && { focus "$refusal"; keys Return; sleep 1; }
    focus "$config"
    keys Escape             # "Annuler", asked since the name was typed: Yes
    question=$(wait_window Attention 10)
    check "again: cancelling asks" yes "$([ -n "$question" ] && echo yes)"
    [ -n "$question" ] && { focus "$question"; keys Return; }
    sleep 2
fi
check "again: the dialog is gone" no "$(still_shown "Configuration de la passerelle")"
gateways=$(wait_window Passerelles)
if [ -n "$gateways" ]; then
    focus "$gateways"
    keys alt+f
    keys q
fi
wait_console_exit; check "again: exit code" 0 $?
check "again: admin.dat as it was" "$admin_before" "$(md5sum < "$dir/admin.dat")"
check "again: the first gateway's lines as they were" "$lines_before" "$(md5sum < "$dir/pass0/comlines.dat")"
check "again: no second directory" no "$([ -d "$dir/pass1" ] && echo yes || echo no)"
finish
