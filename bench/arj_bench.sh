#!/bin/bash
# navlor-arj "A" against plain "arj a" of the same files, in one run: about 100 MB in a few
# hundred files, half compressible text and half random bytes, in ten directories.
#
#   bench/arj_bench.sh <path to navlor-arj> [rounds]
#
# Prints the best time of each over the rounds (run alternately, so both see the same load)
# and the ratio navlor-arj / arj.
set -euo pipefail

navlor_arj=$(realpath "${1:?usage: arj_bench.sh <navlor-arj> [rounds]}")
rounds=${2:-3}
arj=$(command -v arj || echo /usr/bin/arj)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
data=$prefix/drive_c/BENCH
mkdir -p "$data"

# 150 text files and 150 random files of about 330 KB each.
awk 'BEGIN { for (i = 1; i <= 6000; i++)
    printf "%06d;CLIENTE %d;RUA DAS FLORES %d;SAO PAULO;SP;VENDAS DO MES;%d,%02d\r\n",
        i, i * 7, i % 900, i * 13 % 99999, i % 100 }' > "$work/text"
for i in $(seq 1 300); do
    dir=$data/DIR$((i % 10))
    mkdir -p "$dir"
    if ((i % 2)); then
        head -c 337000 "$work/text" > "$dir/TEXTO$i.DB"
    else
        head -c 337000 /dev/urandom > "$dir/DADOS$i.MB"
    fi
done
echo "data: $(du -sm "$data" | cut -f1) MB in $(find "$data" -type f | wc -l) files"

now() { date +%s.%N; }
calc() { awk "BEGIN { print $1 }"; }

run_navlor() {
    rm -f "$work/navlor.arj"
    (cd "$prefix/drive_c" &&
        NAVLOR_PREFIX=$prefix "$navlor_arj" A 'Z:'"${work//\//\\}"'\navlor.arj' \
            'C:\BENCH' '*.*' -R > /dev/null)
}

run_plain() {
    rm -f "$work/plain.arj"
    (cd "$prefix/drive_c" && env -u ARJ_SW "$arj" a "$work/plain.arj" -i -y -r 'BENCH/*.*' \
        < /dev/null > /dev/null)
}

best_navlor=
best_plain=
for round in $(seq 1 "$rounds"); do
    t0=$(now); run_plain; t1=$(now); run_navlor; t2=$(now)
    plain=$(calc "$t1 - $t0")
    navlor=$(calc "$t2 - $t1")
    printf 'round %d: arj a %.3f s, navlor-arj A %.3f s\n' "$round" "$plain" "$navlor"
    if [[ -z $best_plain ]] || (($(calc "$plain < $best_plain"))); then
        best_plain=$plain
    fi
    if [[ -z $best_navlor ]] || (($(calc "$navlor < $best_navlor"))); then
        best_navlor=$navlor
    fi
done

# Both archives must hold the same files.
count() { "$arj" v "$1" | grep -c '^[0-9]\{3,\}) ' || true; }
printf 'entries: arj %s, navlor-arj %s\n' "$(count "$work/plain.arj")" \
    "$(count "$work/navlor.arj")"
printf 'best: arj a %.3f s, navlor-arj A %.3f s, ratio %.3f (target <= 1.10)\n' \
    "$best_plain" "$best_navlor" "$(calc "$best_navlor / $best_plain")"
