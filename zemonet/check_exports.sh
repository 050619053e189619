#!/bin/sh
# The console finds the entries of ZemoNet.DLL by name: the library must
# export exactly these five names, undecorated (a 32-bit build would otherwise
# export "_UserFindFirst@4" and the like).
#   check_exports.sh OBJDUMP LIBRARY
set -u
objdump=$1 file=$2
expected="GetUserRight SetServer UserFindFirst UserFindFree UserFindNext"
[ -f "$file" ] || { echo "missing: $file"; exit 1; }
dump=$("$objdump" -p "$file") || { echo "objdump failed on $file"; exit 1; }
names=$(printf '%s\n' "$dump" | awk '/^\[Ordinal\/Name Pointer\] Table/ { on = 1; next } on && NF == 0 { exit } on { print $NF }' |
        sort | tr '\n' ' ')
[ "$names" = "$expected " ] || { echo "FAIL: $file exports '$names', expected '$expected'"; exit 1; }
