#!/usr/bin/env bash
# Usage: make_seeds.sh MAKE_SIG FUZZ_SEEDS OUTDIR
# Writes the seed corpora of every fuzz target into OUTDIR/<target>: two small SIG files from the
# generator (many small records, and fewer larger ones), the archives cut out of them, and the
# hand-made inputs of veltrane-fuzz-seeds. The record reader's seeds add one file of a few
# windows, so that its inputs may grow long enough to cross them. Kept small: libFuzzer takes its longest input length
# from the seeds, and a short input runs many more times a second.
set -euo pipefail
make_sig=$1
fuzz_seeds=$2
out=$3

rm -rf "$out"
mkdir -p "$out/generated"
"$make_sig" --size 12K --records 64-1500 --seed 3 "$out/generated/small-records.sig"
"$make_sig" --size 40K --records 2000-12000 --seed 4 --mix grib,bufr,png,text \
    "$out/generated/larger-records.sig"
"$fuzz_seeds" "$out" "$out"/generated/*.sig
rm -rf "$out/generated"
mkdir -p "$out/sig_records"
cp "$out"/sig_walk/* "$out/sig_records/"
"$make_sig" --size 200K --records 1-65502 --seed 5 "$out/sig_records/across-windows.sig"
