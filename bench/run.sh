#!/usr/bin/env bash
# Measures veltrane-extract against the time it takes to copy the same bytes, and the engine's
# member split against GNU tar, on generated SIG files in two record shapes, with a warm page
# cache, and prints a table of ratios of medians.
#
#   bench/run.sh                              256 MiB and 1 GiB, 10 timed runs each
#   BENCH_SIZES=64M BENCH_RUNS=4 bench/run.sh  a quick look
#   BENCH_DIR=/some/fs bench/run.sh           measure another file system (default build/bench)
#
# Writes its working files under BENCH_DIR and removes them at the end; the table is also left
# in BENCH_DIR/results.md.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

read -r -a sizes <<<"${BENCH_SIZES:-256M 1G}"
runs=${BENCH_RUNS:-10}
work=${BENCH_DIR:-$root/build/bench}
# The two commands of a comparison take turns in rounds, so that a burst of load from something
# else on the machine falls on both rather than on one.
rounds=2
warmup=1

declare -A shape_records=([large]=60000-65502 [small]=1024-2048)
shapes=(large small)

scripts/deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target veltrane-extract veltrane-make-sig veltrane-split-bench \
    veltrane-window-bench
release=$root/build/release
extract=$release/cli/veltrane-extract
make_sig=$release/tools/veltrane-make-sig
split_bench=$release/bench/veltrane-split-bench
window_bench=$release/bench/veltrane-window-bench
clear_output=$root/bench/clear-output.sh

mkdir -p "$work"
work=$(cd "$work" && pwd)
stamp=$work/.last-cleanup
# On ext4 without a journal, creating a file scans past every inode deleted in the last minute,
# or the last six when the inode's table block is dirty, as new files in it make it (see
# clear-output.sh): the cleanup at the end of a previous run would weigh on this one.
settle=370
if [ -f "$stamp" ]; then
    age=$(($(date +%s) - $(cat "$stamp")))
    if [ "$age" -lt "$settle" ]; then
        echo "bench: waiting $((settle - age)) s for the last run's deletions to age" >&2
        sleep $((settle - age))
    fi
fi

scratch=$work/run
trash=$scratch/trash
cleanup() {
    rm -rf "$scratch"
    sync
    date +%s >"$stamp"
}
if [ -e "$scratch" ]; then
    echo "bench: removing what an interrupted run left, then letting the deletions age" >&2
    rm -rf "$scratch"
    sync
    sleep "$settle"
fi
trap cleanup EXIT
mkdir -p "$scratch/json"

echo "bench: $(nproc) cores, $(uname -r), $(stat -f -c %T "$work") at $work," \
    "load average $(cut -d' ' -f1-3 /proc/loadavg)"
echo "bench: $(tar --version | head -1), $(hyperfine --version), $runs runs in $rounds rounds"

# hyperfine over two or more commands, `rounds` times, each round with a warm-up; the JSON
# exports go to PREFIX-N.json. Arguments after PREFIX: name, prepare, command, and so on.
compare() {
    local prefix=$1
    shift
    local per_round=$(((runs + rounds - 1) / rounds))
    local commands=()
    while (($# >= 3)); do
        commands+=(--command-name "$1" --prepare "$2" "$3")
        shift 3
    done
    for round in $(seq "$rounds"); do
        hyperfine --style basic --warmup "$warmup" --runs "$per_round" \
            --export-json "$prefix-$round.json" "${commands[@]}"
    done
}

# Median over every round of one command, in seconds.
median() {
    jq -s -r --arg name "$2" '[.[].results[] | select(.command == $name) | .times[]] | sort
        | if length % 2 == 1 then .[length / 2 | floor]
          else (.[length / 2 - 1] + .[length / 2]) / 2 end' "$1"-*.json
}

peak_rss_kib() {
    /usr/bin/time -v "$@" 2>&1 >/dev/null | awk -F': ' '/Maximum resident set size/ {print $2}'
}

rows=()
for size in "${sizes[@]}"; do
    for shape in "${shapes[@]}"; do
        label="$size $shape"
        sig=$scratch/feed-$size-$shape.sig
        out=$scratch/out
        copy=$scratch/copy
        archives=$scratch/archives
        echo "bench: $label: generating $sig" >&2
        "$make_sig" --size "$size" --records "${shape_records[$shape]}" --seed 1 "$sig"
        # Written back now, so no flush of the input competes with the timed runs.
        sync
        cat "$sig" >/dev/null

        json=$scratch/json/$size-$shape-extract
        compare "$json" \
            extract "$clear_output '$out' '$trash'" \
            "'$extract' --kinds all -q -o '$out' '$sig'" \
            copy "$clear_output '$copy' '$trash' && mkdir '$copy'" \
            "cat '$sig' > '$copy/A' && cat '$copy/A' > '$copy/B'"
        "$clear_output" "$copy" "$trash"
        extract_s=$(median "$json" extract)
        copy_s=$(median "$json" copy)

        "$clear_output" "$out" "$trash"
        rss_kib=$(peak_rss_kib "$extract" --kinds all -q -o "$out" "$sig")

        # The peer: every archive the run reassembled, extracted by GNU tar one by one, against
        # the engine's split of the same archives.
        mv "$out/TAR Files" "$archives"
        archive_count=$(find "$archives" -name '*.tar' | wc -l)
        json_split=$scratch/json/$size-$shape-split
        compare "$json_split" \
            tar "$clear_output '$scratch/tar-out' '$trash' && mkdir '$scratch/tar-out'" \
            "for a in '$archives'/*.tar; do tar -xf \"\$a\" -C '$scratch/tar-out' || exit 1; done" \
            split "$clear_output '$scratch/split-out' '$trash'" \
            "'$split_bench' '$scratch/split-out' '$archives'/*.tar"
        tar_s=$(median "$json_split" tar)
        split_s=$(median "$json_split" split)

        rows+=("$label|$extract_s|$copy_s|$tar_s|$split_s|$rss_kib|$archive_count")

        # The window, on the small records of the first size: a run started from the main
        # window (offscreen) against the command line, with the hand-off to the window's thread
        # as the program does it (only records that change what is shown) and for every record.
        if [ "$shape" = small ] && [ "$size" = "${sizes[0]}" ]; then
            json_window=$scratch/json/$size-$shape-window
            compare "$json_window" \
                extract "$clear_output '$out' '$trash'" \
                "'$extract' --kinds all -q -o '$out' '$sig'" \
                window "$clear_output '$out' '$trash'" \
                "QT_QPA_PLATFORM=offscreen '$window_bench' '$out' '$sig'" \
                window-every-record "$clear_output '$out' '$trash'" \
                "QT_QPA_PLATFORM=offscreen '$window_bench' --every-record '$out' '$sig'"
            window_row="$label|$(median "$json_window" extract)|$(median "$json_window" window)"
            window_row+="|$(median "$json_window" window-every-record)"
            # What the window's start costs without any run: an empty SIG file.
            : >"$scratch/empty.sig"
            QT_QPA_PLATFORM=offscreen hyperfine --style basic --warmup 1 --runs "$runs" \
                --export-json "$scratch/json/window-start-1.json" --command-name start \
                "'$window_bench' '$scratch/start-out' '$scratch/empty.sig' || true"
            window_row+="|$(median "$scratch/json/window-start" start)"
        fi
        # Nothing is deleted before the end: see clear-output.sh.
        for used in "$out" "$archives" "$scratch/tar-out" "$scratch/split-out"; do
            "$clear_output" "$used" "$trash"
        done
        truncate -s 0 "$sig"
        mv "$sig" "$trash/"
    done
done

{
    echo "| SIG file | extract | copy floor | extract / copy | GNU tar | split | split / tar | peak RSS |"
    echo "|---|---|---|---|---|---|---|---|"
    for row in "${rows[@]}"; do
        IFS='|' read -r label e c t s rss count <<<"$row"
        awk -v label="$label" -v e="$e" -v c="$c" -v t="$t" -v s="$s" -v rss="$rss" \
            -v count="$count" 'BEGIN {
            printf "| %s | %.3f s | %.3f s | **%.2f** | %.3f s (%d archives) | %.3f s | **%.2f** | %.1f MiB |\n",
                label, e, c, e / c, t, count, s, s / t, rss / 1024
        }'
    done
    if [ -n "${window_row:-}" ]; then
        IFS='|' read -r label e w every start <<<"$window_row"
        echo
        echo "| SIG file | extract | window | window / extract | every record handed over | every record / extract | window start alone |"
        echo "|---|---|---|---|---|---|---|"
        awk -v label="$label" -v e="$e" -v w="$w" -v every="$every" -v start="$start" 'BEGIN {
            printf "| %s | %.3f s | %.3f s | **%.2f** | %.3f s | **%.2f** | %.3f s |\n",
                label, e, w, w / e, every, every / e, start
        }'
    fi
} | tee "$work/results.md"
echo "bench: load average at the end $(cut -d' ' -f1-3 /proc/loadavg)"
