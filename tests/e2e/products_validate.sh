#!/usr/bin/env bash
# Extracts generated SIG files and hands every output to the real validators: ecCodes for GRIB
# and BUFR, pngcheck for PNG, GNU tar and bsdtar for the reassembled archives; with only ASCII
# chosen, every product must equal what tar itself extracts.
source "$(dirname "$0")/common.sh" "$@"

for shape in "small:1024-2048" "large:30000-65502"; do
    name=${shape%%:*}
    records=${shape#*:}
    sig=$WORK/$name.sig
    out=$WORK/$name-all
    "$MAKE_SIG" --size 3M --records "$records" --seed 7 --manifest "$WORK/$name.manifest" "$sig"

    expect_status "$name: extract all kinds" 0 "$EXTRACT" --json --kinds all -o "$out" "$sig"
    cp "$WORK/last.out" "$WORK/$name.json"
    for pair in tar:archives grib:grib bufr:bufr png:png imag:imag fax:fax ascii:text; do
        kind=${pair%%:*}
        expected=$(manifest_value "$WORK/$name.manifest" "${pair#*:}")
        actual=$(jq ".totals.$kind" "$WORK/$name.json")
        expect_equal "$name: $kind count" "$expected" "$actual"
        files=$(find "$out" -type f -path "*/$(jq -rn --arg k "$kind" '{tar:"TAR",grib:"GRIB",bufr:"BUFR",png:"PNG",imag:"IMAG",fax:"FAX",ascii:"ASCII"}[$k]') Files/*" | wc -l)
        expect_equal "$name: $kind files on disk" "$expected" "$files"
    done
    expect_equal "$name: no failures" 0 "$(jq '.runs[0].failures | length' "$WORK/$name.json")"
    expect_equal "$name: no warnings" 0 "$(jq '.runs[0].warnings | length' "$WORK/$name.json")"

    while IFS= read -r -d '' file; do
        grib_ls "$file" 2>&1 | grep -q '^1 of 1 messages' || fail "grib_ls rejects $file"
    done < <(find "$out/GRIB Files" -type f -print0)
    while IFS= read -r -d '' file; do
        bufr_ls "$file" 2>&1 | grep -q '^1 of 1 messages' || fail "bufr_ls rejects $file"
    done < <(find "$out/BUFR Files" -type f -print0)
    while IFS= read -r -d '' file; do
        pngcheck -q "$file" >/dev/null 2>&1 || fail "pngcheck rejects $file"
    done < <(find "$out/PNG Files" -type f -print0)

    members=0
    while IFS= read -r -d '' archive; do
        tar -tf "$archive" >/dev/null 2>"$WORK/tar.err" || fail "GNU tar rejects $archive"
        [ -s "$WORK/tar.err" ] && fail "GNU tar warns on $archive: $(cat "$WORK/tar.err")"
        bsdtar -tf "$archive" >/dev/null 2>&1 || fail "bsdtar rejects $archive"
        members=$((members + $(tar -tf "$archive" | wc -l)))
    done < <(find "$out/TAR Files" -type f -print0)
    expect_equal "$name: members in all archives" \
        "$(manifest_value "$WORK/$name.manifest" members)" "$members"

    # With only ASCII chosen every member is written whole: the products must be byte for byte
    # what tar extracts from the reassembled archives.
    ascii=$WORK/$name-ascii
    expect_status "$name: extract ascii only" 0 "$EXTRACT" --quiet --kinds ascii -o "$ascii" "$sig"
    mkdir -p "$WORK/$name-tar"
    while IFS= read -r archive; do
        tar -xf "$archive" -C "$WORK/$name-tar"
    done < <(find "$ascii/TAR Files" -type f | sort)
    diff -r "$WORK/$name-tar" "$ascii/ASCII Files" >/dev/null ||
        fail "$name: ASCII products differ from what tar extracts"
done

finish
