#!/usr/bin/env bash
# The command line as automated ingest sees it: exit statuses, messages, the JSON report, and
# what it leaves on disk.
source "$(dirname "$0")/common.sh" "$@"

sig=$WORK/in.sig
"$MAKE_SIG" --size 400K --seed 3 --mix grib,bufr,png,text --manifest "$WORK/in.manifest" "$sig"

# Help and version go to standard output with status 0.
expect_status "--help" 0 "$EXTRACT" --help
grep -q -- "--kinds" "$WORK/last.out" || fail "--help does not describe --kinds"
expect_status "--version" 0 "$EXTRACT" --version
grep -q "veltrane-extract" "$WORK/last.out" || fail "--version does not name the program"

# Bad usage is status 2 with a one-line message, before anything is written.
out=$WORK/refused
expect_status "no SIG file" 2 "$EXTRACT" -o "$out"
expect_status "unknown option" 2 "$EXTRACT" --frobnicate -o "$out" "$sig"
expect_status "unknown kind" 2 "$EXTRACT" --kinds grib,tiff -o "$out" "$sig"
grep -q "tiff" "$WORK/last.err" || fail "the unknown kind is not named"
expect_status "missing SIG file" 2 "$EXTRACT" -o "$out" "$sig" "$WORK/absent.sig"
grep -q "absent.sig" "$WORK/last.err" || fail "the missing SIG file is not named"
expect_status "SIG file is a folder" 2 "$EXTRACT" -o "$out" "$WORK"
[ -e "$out" ] && fail "a refused command created its output folder"
touch "$WORK/plain-file"
expect_status "output is a file" 2 "$EXTRACT" -o "$WORK/plain-file" "$sig"
[ -s "$WORK/plain-file" ] && fail "a refused command wrote into the file given as output"

# Default kinds are the window's: everything but ASCII.
out=$WORK/defaults
expect_status "default kinds" 0 "$EXTRACT" --json -o "$out" "$sig"
expect_equal "no ASCII by default" 0 "$(jq '.totals.ascii' "$WORK/last.out")"
[ -d "$out/ASCII Files" ] && fail "an ASCII folder was made although ASCII was not chosen"
expect_equal "JSON run names its SIG file" "$sig" "$(jq -r '.runs[0].sig' "$WORK/last.out")"
expect_equal "JSON bytes is the SIG length" "$(stat -c %s "$sig")" \
    "$(jq '.runs[0].bytes' "$WORK/last.out")"
jq -e '.runs[0] | has("counts") and has("failures") and has("warnings")' "$WORK/last.out" \
    >/dev/null || fail "a run in the JSON report lacks counts, failures or warnings"

# The summary names the counts; quiet prints nothing on success.
expect_status "summary" 0 "$EXTRACT" -o "$WORK/summary" "$sig"
grep -q "grib $(manifest_value "$WORK/in.manifest" grib)" "$WORK/last.out" ||
    fail "the summary does not give the GRIB count: $(cat "$WORK/last.out")"
[ -s "$WORK/last.err" ] && fail "progress was drawn although standard error is not a terminal"
# On a terminal the progress line names the file and the percentage.
if command -v script >/dev/null; then
    script -qec "$EXTRACT -o '$WORK/tty' '$sig'" /dev/null >"$WORK/tty.log" 2>&1 || true
    grep -q "file 1/1" "$WORK/tty.log" || fail "no progress line on a terminal"
fi
expect_status "quiet" 0 "$EXTRACT" -q -o "$WORK/quiet" "$sig"
[ -s "$WORK/last.out" ] && fail "--quiet printed on standard output"
[ -s "$WORK/last.err" ] && fail "--quiet printed on standard error"
expect_status "verbose" 0 "$EXTRACT" -v -o "$WORK/verbose" "$sig"
grep -q "GRIB Files/" "$WORK/last.out" || fail "--verbose does not name the files written"

# Two runs over the same SIG file give the same tree: archives are replaced, not appended to.
twice=$WORK/twice
"$EXTRACT" -q -o "$twice" "$sig"
(cd "$twice" && find . -type f -exec md5sum {} + | sort -k2) >"$WORK/first.sums"
expect_status "second run" 0 "$EXTRACT" -q -o "$twice" "$sig"
(cd "$twice" && find . -type f -exec md5sum {} + | sort -k2) >"$WORK/second.sums"
diff -q "$WORK/first.sums" "$WORK/second.sums" >/dev/null || fail "a second run changed the output"

# Several SIG files are several runs into one tree; totals add up.
expect_status "two SIG files" 0 "$EXTRACT" --json -o "$WORK/two" "$sig" "$sig"
expect_equal "two runs reported" 2 "$(jq '.runs | length' "$WORK/last.out")"
expect_equal "totals add up" "$(( $(manifest_value "$WORK/in.manifest" grib) * 2 ))" \
    "$(jq '.totals.grib' "$WORK/last.out")"

# A product folder that cannot be made is a reported failure (status 1); the rest goes on.
blocked=$WORK/blocked
mkdir -p "$blocked"
touch "$blocked/GRIB Files"
expect_status "blocked GRIB folder" 1 "$EXTRACT" --json -o "$blocked" "$sig"
expect_equal "GRIB not counted" 0 "$(jq '.totals.grib' "$WORK/last.out")"
expect_equal "one failure per GRIB product" "$(manifest_value "$WORK/in.manifest" grib)" \
    "$(jq '[.runs[0].failures[] | select(.path | contains("GRIB Files"))] | length' "$WORK/last.out")"
expect_equal "BUFR still extracted" "$(manifest_value "$WORK/in.manifest" bufr)" \
    "$(jq '.totals.bufr' "$WORK/last.out")"
grep -q "failed: .*GRIB Files" "$WORK/last.err" || fail "failures are not printed on standard error"

finish
