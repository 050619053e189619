#!/usr/bin/env bash
# The real console's "Préférences" sheet on the demo data: the purge box
# ticked and the days field set to 10, then OK. Every record not later than
# ten days ago (in UTC) is gone from Journal.dat at once, the others are there
# in their order and unchanged, "Journal.old" holds the file as it was, and
# the settings reach admin.ini when the console ends.
#   preferences.sh OUT_DIR TOOLS_DIR
source "$(dirname "$0")/lib.sh"
TOOLS_DIR=$2

dir=$(prepare_dir preferences)
(cd "$dir" && wine "$TOOLS_DIR/make_demo.exe" . >/dev/null 2>&1 </dev/null)
cp "$dir/Journal.dat" "$WORK/journal.before"

start_console "$dir"
log_in_as_demo_admin || echo "no login dialog"
main=$(wait_window Administrateur)
check "the main window shows" yes "$([ -n "$main" ] && echo yes)"
focus "$main"
keys alt+c r  # "&Configuration", "P&références"
sheet=$(wait_window "Pr.{1,2}f.{1,2}rences")
check "the sheet shows" yes "$([ -n "$sheet" ] && echo yes)"
focus "$sheet"
keys alt+s    # "&Supprimer les enregistrements"
keys Tab      # the days field, its text selected
type_text 10
earliest=$(date -u -d '10 days ago' +%Y%m%d%H%M%S)
keys Return
# The sheet closes once the purge is done.
for _ in $(seq 100); do
    [ -z "$(xdotool search --onlyvisible --name "^Pr.{1,2}f.{1,2}rences$" 2>/dev/null | head -n 1)" ] && break
    sleep 0.2
done
latest=$(date -u -d '10 days ago' +%Y%m%d%H%M%S)
check "OK closes the sheet" "" "$(xdotool search --onlyvisible --name "^Pr.{1,2}f.{1,2}rences$" 2>/dev/null | head -n 1)"
check "Journal.old holds the file as it was" "$(md5sum < "$WORK/journal.before")" \
    "$(md5sum < "$dir/Journal.old" 2>/dev/null)"

# The purge's limit lies between the moments before and after OK: every
# record kept is later than the first, every record removed not later than
# the second, and the records kept are the old ones, in order, byte for byte.
verdict=$(perl -e '
    sub records {
        open(my $f, "<:raw", $_[0]) or return ();
        local $/; my $bytes = <$f>;
        my $count = unpack("l<", substr($bytes, 0, 4));
        return map { substr($bytes, 4 + 564 * $_, 564) } 0 .. $count - 1;
    }
    sub stamp {  # "dd/mm/yyyy hh:mm:ss" as yyyymmddhhmmss
        my ($d, $m, $y, $H, $M, $S) = unpack("A2 x A2 x A4 x A2 x A2 x A2", substr($_[0], 406, 19));
        return "$y$m$d$H$M$S";
    }
    my ($before, $after, $earliest, $latest) = @ARGV;
    my @old = records($before); my @new = records($after);
    my ($kept, $removed) = (0, 0);
    for my $record (@old) {
        if ($kept < @new && $record eq $new[$kept]) {
            $kept++;
            stamp($record) gt $earliest or print "a record of ", stamp($record), " was kept\n";
        } else {
            $removed++;
            stamp($record) le $latest or print "a record of ", stamp($record), " was removed\n";
        }
    }
    $kept == @new or print "Journal.dat holds records that were not there\n";
    $removed > 0 && $kept > 0 or print "kept $kept, removed $removed: the demo journal should give both\n";
    (-s $after) == 4 + 564 * @new or print "Journal.dat is not its count of records\n";
    print "ok\n";
' "$WORK/journal.before" "$dir/Journal.dat" "$earliest" "$latest")
check "Journal.dat holds the records later than ten days ago" ok "$verdict"

focus "$main"
keys alt+f q
wait_console_exit; check "Quitter: exit code" 0 $?
check "admin.ini: Purge" 1 "$(ini_value "$dir/admin.ini" Journal Purge)"
check "admin.ini: NbJours" 10 "$(ini_value "$dir/admin.ini" Journal NbJours)"
check "admin.ini: CnxFinEnabled written by OK" 1 "$(ini_value "$dir/admin.ini" Minitel CnxFinEnabled)"
check "admin.ini: the protocol untouched" "" "$(ini_value "$dir/admin.ini" Reseau type)"
finish
