#!/bin/bash
# navlor-arj "V" (and "L") of archives of 20,000 and 100,000 entries against plain "arj v" of
# the same archive with TZ unset, each written to a listing file as the console has it done:
#
#   bench/arj_listing_bench.sh <navlor-arj> [rounds] [entries...]
#
# The sides run in turn (stand-in, host, stand-in, host...) so both see the same load; prints
# the medians, the ratio stand-in / host and the peak resident memory of each (GNU time's %M,
# in KB). The stand-in's output is checked against the host's entry count first.
set -euo pipefail

usage='usage: arj_listing_bench.sh <navlor-arj> [rounds] [entries...]'
navlor_arj=$(realpath "${1:?$usage}")
rounds=${2:-7}
shift $(($# > 1 ? 2 : 1))
sizes=("$@")
((${#sizes[@]})) || sizes=(20000 100000)
arj=$(command -v arj || echo /usr/bin/arj)
gnu_time=/usr/bin/time
[[ -x $gnu_time ]] || { echo "GNU time is needed at $gnu_time" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
c=$prefix/drive_c
d=$prefix/drive_d
mkdir -p "$prefix/dosdevices" "$c" "$d/BKP"
ln -s ../drive_c "$prefix/dosdevices/c:"
ln -s ../drive_d "$prefix/dosdevices/d:"
export NAVLOR_PREFIX=$prefix
unset TZ ARJ_SW

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
calc() { awk "BEGIN { print $1 }"; }

# One run: "<seconds> <peak KB>" of the command, its output written to a file.
measure() {
    "$gnu_time" -f '%e %M' -o "$work/time" "$@" < /dev/null > "$work/listing"
    cat "$work/time"
}

echo "load before: $(uptime)"
for entries in "${sizes[@]}"; do
    # Small files in directories of 200, named as a backup of Paradox tables names them.
    src=$work/src$entries
    mkdir -p "$src"
    awk -v n="$entries" -v root="$src" 'BEGIN {
        for (i = 0; i < n; i++) {
            dir = sprintf("%s/DADOS/EMP%04d", root, int(i / 200))
            if (i % 200 == 0)
                system("mkdir -p " dir)
            file = sprintf("%s/CLI%06d.DB", dir, i)
            printf "REG%06d\r\n", i > file
            close(file)
        }
    }'
    archive=$d/BKP/L$entries.ARJ
    (cd "$src" && "$arj" a "$archive" -i -y -r 'DADOS/*' > /dev/null)
    rm -rf "$src"
    host_count=$("$arj" v "$archive" | grep -c '^[0-9]\{3,\}) ')
    navlor_count=$(cd "$c" && "$navlor_arj" V "D:\\BKP\\L$entries.ARJ" | grep -ac '^[0-9]\{3,\}) ')
    [[ $host_count == "$entries" && $navlor_count == "$entries" ]] ||
        { echo "entries: arj $host_count, navlor-arj $navlor_count, wanted $entries" >&2; exit 1; }

    for side in navlor_v navlor_l host; do : > "$work/$side.s"; : > "$work/$side.kb"; done
    for round in $(seq 1 "$rounds"); do
        read -r s kb < <(cd "$c" && measure "$navlor_arj" V "D:\\BKP\\L$entries.ARJ")
        echo "$s" >> "$work/navlor_v.s"; echo "$kb" >> "$work/navlor_v.kb"
        read -r s kb < <(measure "$arj" v "$archive")
        echo "$s" >> "$work/host.s"; echo "$kb" >> "$work/host.kb"
        read -r s kb < <(cd "$c" && measure "$navlor_arj" L "D:\\BKP\\L$entries.ARJ")
        echo "$s" >> "$work/navlor_l.s"; echo "$kb" >> "$work/navlor_l.kb"
    done
    host=$(median < "$work/host.s")
    for side in navlor_v navlor_l; do
        navlor=$(median < "$work/$side.s")
        printf '%d entries: navlor-arj %s %.2f s (peak %d KB), arj v %.2f s (peak %d KB),' \
            "$entries" "${side#navlor_}" "$navlor" "$(median < "$work/$side.kb")" "$host" \
            "$(median < "$work/host.kb")"
        printf ' medians of %d, ratio %.2f (target <= 0.25)\n' "$rounds" \
            "$(calc "$navlor / $host")"
    done
    rm -f "$archive"
done
echo "load after: $(uptime)"
