#!/usr/bin/env bash
# Empties an output folder between timed runs without deleting any file: the files are cut to
# zero length and the folder is moved into TRASH, which bench/run.sh deletes at the very end.
#
# Why not rm -rf: on ext4 without a journal, inode allocation skips every inode deleted in the
# last minute (six while its inode table block is dirty), one buffer lookup each, so creating
# thousands of files soon after deleting thousands costs several times the extraction itself.
# Cutting the files still frees their pages at once, so the next run writes into memory freed a
# moment ago, as after rm -rf (memory left free for seconds goes back to this VM's host, and
# touching it again costs a fault in the host for every page).
# usage: clear-output.sh FOLDER TRASH
set -euo pipefail
folder=$1
trash=$2
[ -e "$folder" ] || exit 0
find "$folder" -type f -exec truncate -s 0 {} +
mkdir -p "$trash"
mv "$folder" "$(mktemp -d "$trash/run.XXXXXX")/"
