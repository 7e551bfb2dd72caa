#!/bin/bash
# navlor-arj against the host arj alone, in one run, on 5,000 small files in 50 directories
# (half of them named in mixed case, as a console listing upper-cases them):
#   1. one entry out of the 5,000-entry archive, the extract window's line
#      "ARJ.EXE E -Y <archive> -HT<dir> <entry>", against "arj e" of the same entry;
#   2. a batch of such lines run by navlor-cmd, against the same arj lines in a shell script;
#   3. "A" of the 5,000 files, against plain "arj a -r" of them;
#   4. "A" of 5,000 files in one directory, against plain "arj a" of it (the stand-in stores
#      them in its sorted order, arj alone in the directory's).
#
#   bench/arj_entry_bench.sh <navlor-arj> <navlor-cmd> [rounds] [batch lines]
#
# The two sides run in turn (stand-in, host, stand-in, host...) on the same archive and entries.
# Prints the median of the single lines and of the adds' rounds, the best of the batch rounds,
# and the ratios stand-in / host.
set -euo pipefail

usage='usage: arj_entry_bench.sh <navlor-arj> <navlor-cmd> [rounds] [batch lines]'
navlor_arj=$(realpath "${1:?$usage}")
navlor_cmd=$(realpath "${2:?$usage}")
rounds=${3:-5}
batch_lines=${4:-1000}
arj=$(command -v arj || echo /usr/bin/arj)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
c=$prefix/drive_c
d=$prefix/drive_d
mkdir -p "$prefix/dosdevices" "$c/NAVLOR" "$c/RESTAURA" "$c/UMA" "$d/BKP"
ln -s ../drive_c "$prefix/dosdevices/c:"
ln -s ../drive_d "$prefix/dosdevices/d:"
ln -s "$navlor_arj" "$c/ARJ.EXE"
export NAVLOR_PREFIX=$prefix

# Entry i: its stored name and the name the extract window gives for it.
stored=()
window=()
for i in $(seq 0 4999); do
    printf -v dir 'EMP%02d' $((i % 50))
    if ((i % 2)); then
        printf -v name 'DADOS/%s/Vendas%04d.db' "$dir" "$i"
    else
        printf -v name 'DADOS/%s/CLI%04d.DB' "$dir" "$i"
    fi
    stored[i]=$name
    name=${name^^}
    window[i]=${name//\//\\}
    mkdir -p "$c/DADOS/$dir"
    printf 'REG%06d;CLIENTE %d;RUA DAS FLORES %d;SAO PAULO\r\n' "$i" "$((i * 7))" \
        "$((i % 900))" > "$c/${stored[i]}"
    printf 'REG%06d\r\n' "$i" > "$c/UMA/T$i.DB"
done
(cd "$c" && "$arj" a "$d/BKP/BIG.ARJ" -i -y -r 'DADOS/*' > /dev/null)
echo "archive: $("$arj" v "$d/BKP/BIG.ARJ" | grep -c '^[0-9]\{3,\}) ') entries," \
    "$(du -k "$d/BKP/BIG.ARJ" | cut -f1) KB"

calc() { awk "BEGIN { print $1 }"; }
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
least() { awk -v a="$1" -v b="$2" 'BEGIN { print (b == "" || a + 0 < b + 0) ? a : b }'; }
elapsed() { # start: seconds since, in ms
    calc "($EPOCHREALTIME - $1) * 1000"
}

# 1. One entry at a time: 40 entries spread over the archive, each round.
navlor_one() {
    (cd "$c" && "$navlor_arj" E -Y 'D:\BKP\BIG.ARJ' '-HTC:\RESTAURA' "${window[$1]}" > /dev/null)
}
host_one() {
    (cd "$c" && "$arj" e "$d/BKP/BIG.ARJ" -i -y "-ht$c/RESTAURA" -p "${stored[$1]}" \
        < /dev/null > /dev/null)
}
navlor_one 4321
cmp -s "$c/RESTAURA/Vendas4321.db" "$c/${stored[4321]}" ||
    { echo "navlor-arj did not extract ${window[4321]}" >&2; exit 1; }
: > "$work/one.navlor"
: > "$work/one.host"
for round in $(seq 1 "$rounds"); do
    for k in $(seq 0 39); do
        entry=$(((k * 125 + round * 7) % 5000))
        t=$EPOCHREALTIME; navlor_one "$entry"; elapsed "$t" >> "$work/one.navlor"
        t=$EPOCHREALTIME; host_one "$entry"; elapsed "$t" >> "$work/one.host"
    done
done
one_navlor=$(median < "$work/one.navlor")
one_host=$(median < "$work/one.host")
printf 'one entry: navlor-arj %.1f ms, arj %.1f ms (medians of %d), ratio %.2f (target <= 1.0)\n' \
    "$one_navlor" "$one_host" "$((rounds * 40))" "$(calc "$one_navlor / $one_host")"

# 2. A batch of extract lines, as the extract window writes it, against the same arj lines.
{
    for k in $(seq 0 $((batch_lines - 1))); do
        printf 'C:\\ARJ.EXE E  -Y "D:\\BKP\\BIG.ARJ" "-HTC:\\RESTAURA" "%s" \r\n' \
            "${window[k * 5000 / batch_lines]}"
    done
} > "$c/NAVLOR/EXTRAI.BAT"
{
    for k in $(seq 0 $((batch_lines - 1))); do
        printf '"%s" e "%s" -i -y "-ht%s" -p "%s" > /dev/null\n' "$arj" "$d/BKP/BIG.ARJ" \
            "$c/RESTAURA" "${stored[k * 5000 / batch_lines]}"
    done
} > "$work/extrai.sh"
batch_navlor=
batch_host=
for round in 1 2; do
    rm -rf "$c/RESTAURA"/*
    t=$EPOCHREALTIME
    (cd "$c" && "$navlor_cmd" /C "$c/NAVLOR/EXTRAI.BAT" < /dev/null > /dev/null)
    navlor=$(elapsed "$t")
    restored=$(find "$c/RESTAURA" -type f | wc -l)
    rm -rf "$c/RESTAURA"/*
    t=$EPOCHREALTIME
    (cd "$c" && sh "$work/extrai.sh" < /dev/null)
    host=$(elapsed "$t")
    printf 'batch round %d: navlor-cmd + navlor-arj %.1f s (%d files), sh + arj %.1f s\n' \
        "$round" "$(calc "$navlor / 1000")" "$restored" "$(calc "$host / 1000")"
    batch_navlor=$(least "$navlor" "$batch_navlor")
    batch_host=$(least "$host" "$batch_host")
done
printf 'batch of %d lines: %.1f s against %.1f s (best of 2), ratio %.2f (target <= 1.5)\n' \
    "$batch_lines" "$(calc "$batch_navlor / 1000")" "$(calc "$batch_host / 1000")" \
    "$(calc "$batch_navlor / $batch_host")"

# 3 and 4. "A" of the same files, each side into a fresh archive.
add_pair() { # label, navlor-arj arguments after the archive, arj arguments after it, rounds
    local label=$1 n=$4 navlor host navlor_args arj_args
    read -ra navlor_args <<< "$2" # split, never expanded as file names
    read -ra arj_args <<< "$3"
    : > "$work/add.navlor"
    : > "$work/add.host"
    for round in $(seq 1 "$n"); do
        rm -f "$d/BKP/NAVLOR.ARJ" "$d/BKP/PLAIN.ARJ"
        t=$EPOCHREALTIME
        (cd "$c" && "$navlor_arj" A 'D:\BKP\NAVLOR.ARJ' "${navlor_args[@]}" > /dev/null)
        elapsed "$t" >> "$work/add.navlor"
        t=$EPOCHREALTIME
        (cd "$c" && "$arj" a "$d/BKP/PLAIN.ARJ" -i -y "${arj_args[@]}" < /dev/null > /dev/null)
        elapsed "$t" >> "$work/add.host"
    done
    navlor=$(median < "$work/add.navlor")
    host=$(median < "$work/add.host")
    local count_navlor count_host
    count_navlor=$("$arj" v "$d/BKP/NAVLOR.ARJ" | grep -c '^[0-9]\{3,\}) ')
    count_host=$("$arj" v "$d/BKP/PLAIN.ARJ" | grep -c '^[0-9]\{3,\}) ')
    printf '%s: navlor-arj A %.0f ms (%d entries), arj a %.0f ms (%d entries), median of %d,' \
        "$label" "$navlor" "$count_navlor" "$host" "$count_host" "$n"
    printf ' ratio %.2f\n' "$(calc "$navlor / $host")"
}
add_pair "A, 5,000 files in 50 directories (target <= 1.3)" 'C:\DADOS *.* -R' '-r DADOS/*.*' \
    "$rounds"
add_pair "A, 5,000 files in one directory (target <= 1.3)" 'C:\UMA *.*' 'UMA/*.*' "$rounds"
