#!/bin/sh
# Checks the ordinal-only contract between the console and zemoctln.dll with
# objdump's view of the PE tables.
#   check_ordinals.sh OBJDUMP exports LIBRARY
#       the library exports ordinals 1, 5, 7, 8 and 10 (or those of
#       ALLOWED_ORDINALS, for another ordinal-only library), and no name at all.
#   check_ordinals.sh OBJDUMP imports PROGRAM required|optional
#       the program imports zemoctln.dll by ordinal only, from those five
#       ("optional": a program that does not import it yet passes).
set -u
objdump=$1 mode=$2 file=$3
allowed="${ALLOWED_ORDINALS:-1 5 7 8 10}"
[ -f "$file" ] || { echo "missing: $file"; exit 1; }
dump=$("$objdump" -p "$file") || { echo "objdump failed on $file"; exit 1; }

case $mode in
exports)
    names=$(printf '%s\n' "$dump" | awk '/\[Name Pointer\/Ordinal\] Table/ { print ($NF ~ /^0+$/) ? 0 : $NF; exit }')
    listed=$(printf '%s\n' "$dump" | awk '/^\[Ordinal\/Name Pointer\] Table/ { on = 1; next } on && NF == 0 { exit } on { print }')
    ordinals=$(printf '%s\n' "$dump" | sed -n 's/.*+base\[ *\([0-9]*\)\].*/\1/p' | sort -n | tr '\n' ' ')
    echo "exported ordinals: $ordinals; names: ${names:-?}"
    [ "$names" = 0 ] || { echo "FAIL: the library exports names"; exit 1; }
    [ -z "$listed" ] || { echo "FAIL: named exports:"; echo "$listed"; exit 1; }
    [ "$ordinals" = "$allowed " ] || { echo "FAIL: expected ordinals $allowed"; exit 1; }
    ;;
imports)
    required=$4
    entries=$(printf '%s\n' "$dump" | awk '
        tolower($0) ~ /dll name: zemoctln\.dll/ { on = 1; found = 1; next }
        on && /Hint\/Ord/ { next }
        on && NF == 0 { on = 0; next }
        on { print }
        END { if (!found) print "NOT-IMPORTED" }')
    if [ "$entries" = NOT-IMPORTED ]; then
        [ "$required" = optional ] && { echo "$file does not import zemoctln.dll yet"; exit 0; }
        echo "FAIL: $file does not import zemoctln.dll"; exit 1
    fi
    [ -n "$entries" ] || { echo "FAIL: empty import list"; exit 1; }
    # The thunk of an ordinal import has its top bit set and the ordinal in its
    # low 16 bits; objdump's own ordinal column is hexadecimal on x86-64 and
    # decimal on i686, so the thunk is read instead.
    printf '%s\n' "$entries" | while read -r thunk ordinal member rest; do
        case $thunk in
        8*) ;;
        *) echo "FAIL: imported by name: $thunk $ordinal $member $rest"; exit 1 ;;
        esac
        if [ "$member" != "<none>" ]; then echo "FAIL: imported by name: $thunk $ordinal $member $rest"; exit 1; fi
        number=$((0x$(printf '%s' "$thunk" | sed 's/.*\(....\)$/\1/')))
        case " $allowed " in
        *" $number "*) echo "ordinal $number" ;;
        *) echo "FAIL: unexpected ordinal $number"; exit 1 ;;
        esac
    done || exit 1
    ;;
*) echo "unknown mode $mode"; exit 2 ;;
esac
