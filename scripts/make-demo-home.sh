#!/usr/bin/env bash
# Creates a demo home for Twinleaf: make-demo-home.sh DIR
#   DIR/corvane.ini   settings whose [Path] PDPath names the demo Palm Desktop folder
#   DIR/Palm/         a Palm Desktop folder with palm.exe (version 4.1.2) and two users,
#                     Alice and Bob, each with address, datebook, todo and memopad folders;
#                     their address books and the Outlook store (DIR/Outlook/) hold demo contacts,
#                     Alice's date book, to-do list and memo pad and the store's calendar, tasks
#                     and notes overlapping; Alice's files are classic Palm Desktop 4.x files,
#                     Bob's the extended ones of later 4.x releases, his date book, to-do list
#                     and memo pad holding what Alice's hold
# An existing DIR is filled in; files already there are left alone.
set -euo pipefail
if [ $# -ne 1 ]; then
    echo "usage: $0 DIR" >&2
    exit 2
fi
top=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$1"
home=$(cd "$1" && pwd)
palm="$home/Palm"

for user in Alice Bob; do
    for kind in address datebook todo memopad; do
        mkdir -p "$palm/$user/$kind"
    done
done
# Carol keeps her data in Palm Desktop 6 databases (Address.mdb, DateBook.mdb, Todolist.mdb,
# MemoPad.mdb), made by the tool below.
for kind in address datebook todo MemoPad; do
    mkdir -p "$palm/Carol/$kind"
done
[ -e "$palm/palm.exe" ] || python3 "$top/scripts/make-pe-version.py" "$palm/palm.exe" 4.1.2.0
[ -e "$home/corvane.ini" ] || printf '[Path]\r\nPDPath=%s\r\n' "$palm" >"$home/corvane.ini"
echo "Demo home: $home"

# The demo contacts, appointments, tasks and memos, written by Twinleaf's own Palm and Outlook
# writers: Alice's address book, date book, to-do list and memo pad overlap with the Outlook store (some the same, some
# different, some on one side only).
tool="$top/build/twinleaf_demo_data"
[ -x "$tool" ] || bash "$top/scripts/build.sh" "$top/build" >/dev/null
"$tool" "$home"
