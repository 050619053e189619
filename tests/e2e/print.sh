#!/usr/bin/env bash
# The real console saves and prints its journal through the platform's own
# save and print dialogs, answered with the keyboard: the save dialog
# proposes "Journal au <today>.txt" in the program directory and Return saves
# the pane's rows there; saving again asks before overwriting, and No leaves
# the file as it was; the print dialog preselects the printer of "Devices"
# (the PDF print queue, see tools/common.sh) and Return prints the pane's
# rows there, a document "Journal Quorel" of one page per 40 rows.
#   print.sh OUT_DIR TOOLS_DIR
source "$(dirname "$0")/lib.sh"
TOOLS_DIR=$2
PDF_DIR="$(getent passwd "$(id -un)" | cut -d: -f6)/PDF"  # where cups-pdf writes

dir=$(prepare_dir print)
(cd "$dir" && wine "$TOOLS_DIR/make_demo.exe" . >/dev/null 2>&1 </dev/null)
# The pane: the calls of the second user on the first gateway. The preferred
# printer: the PDF queue.
sed -i 's/^User=.*/User=1/; s/^Pass=.*/Pass=0/' "$dir/admin.ini"
printf '[Printer]\r\nDevices=PDF,winspool,cups-pdf:/\r\n' >>"$dir/admin.ini"

start_console "$dir"
log_in_as_demo_admin
main=$(wait_window Administrateur)
check "the main window shows" yes "$([ -n "$main" ] && echo yes)"

# "&Enregistrer le journal sous...": the proposed name, saved with Return.
export_file="$dir/Journal au $(date +%d-%m-%Y).txt"
focus "$main"
keys alt+f e
save=$(wait_window "Enregistrer sous...")
check "the save dialog shows" yes "$([ -n "$save" ] && echo yes)"
focus "$save"
keys Return
for _ in $(seq 50); do [ -s "$export_file" ] && break; sleep 0.2; done
check "the proposed file is saved in the program directory" yes "$([ -s "$export_file" ] && echo yes)"
rows=$(wc -l <"$export_file")
check "some rows are saved" yes "$([ "$rows" -gt 0 ] && echo yes)"
check "every line holds seven fields, each ended by a tab, then CR LF" 0 \
    "$(LC_ALL=C grep -cv $'^\\([^\t]*\t\\)\\{7\\}\r$' "$export_file")"
gateway=$(LC_ALL=C cut -f2 "$export_file" | sort -u)
check "one gateway only" 1 "$(printf '%s\n' "$gateway" | wc -l)"
user=$(LC_ALL=C cut -f3 "$export_file" | sort -u)
check "one user only" 1 "$(printf '%s\n' "$user" | wc -l)"

# Again: the question, answered No, leaves the file as it was.
printf 'changed by hand\r\n' >>"$export_file"
changed=$(md5sum <"$export_file")
focus "$main"
keys alt+f e
save=$(wait_window "Enregistrer sous...")
focus "$save"
keys Return
question=$(wait_window Attention 10)
check "the overwrite question shows" yes "$([ -n "$question" ] && echo yes)"
focus "$question"
keys n
sleep 1
check "No leaves the file as it was" "$changed" "$(md5sum <"$export_file")"
check "no other file is left" 1 "$(ls "$dir" | grep -c '\.txt$')"

# "&Imprimer le journal...": Return prints on the preselected PDF queue.
mkdir -p "$PDF_DIR"
ls "$PDF_DIR" >"$WORK/pdf-before"
focus "$main"
keys alt+f i
dialog=$(wait_window Print)
check "the print dialog shows" yes "$([ -n "$dialog" ] && echo yes)"
focus "$dialog"
keys Return
pdf=""
for _ in $(seq 300); do
    pdf=$(ls "$PDF_DIR" | grep -vxF -f "$WORK/pdf-before" | head -n 1)
    [ -n "$pdf" ] && tail -c 64 "$PDF_DIR/$pdf" | grep -q '%%EOF' && break
    pdf=""
    sleep 0.2
done
check "a document comes out of the PDF queue" yes "$([ -n "$pdf" ] && echo yes)"
if [ -n "$pdf" ]; then
    check "its name" "Journal Quorel" "$(pdfinfo "$PDF_DIR/$pdf" | sed -n 's/^Title: *//p')"
    check "a page for every 40 rows ($rows rows)" $(((rows + 39) / 40)) "$(pdfinfo "$PDF_DIR/$pdf" | sed -n 's/^Pages: *//p')"
    check "the titles head the first page" Ligne "$(pdftotext -f 1 -l 1 -layout "$PDF_DIR/$pdf" - | head -n 1 | awk '{print $1}')"
fi
# The document may leave the queue a moment before the console, busy, has
# taken its progress window down.
progress=""
for _ in $(seq 50); do
    progress=$(xdotool search --onlyvisible --name '^Impression du journal$' 2>/dev/null)
    [ -z "$progress" ] && break
    sleep 0.2
done
check "the progress window is gone" "" "$progress"

close_window "$main"
wait_console_exit; check "closing: exit code" 0 $?
finish
