#!/usr/bin/env bash
# Creates a fresh hosted-Windows prefix holding a small installation of the Valdoro System:
#   C:\VALDOROW            the installation, with NAVLOR.EXE linked to the built program
#   C:\VALDOROW\DADOS      Paradox tables and Firebird files, stale lock files, temporary tables
#   C:\PDOXUSRS.NET        the Paradox network control file
#   C:\VALDORO\NAVLOR      the console's data directory with its parameter file
#   C:\VALDOROW\EXE\ARJ.EXE the archiver (the project's stand-in)
#   C:\WINDOWS\ARJ.EXE    the same archiver, where the extract window looks for it
#   C:\NETLOG\NETLOG.EXE   the network logger, which logs its starts in C:\NETLOG\NETLOG.LOG
#   D:                     a second drive for backups
#   backup jobs 00 (daily, the data tables) and 03 (weekly, the whole installation)
# Usage: make-sample.sh PREFIX BIN_DIR
#   (BIN_DIR holds the built navlor, navlor-arj, navlor-netlog, navlor-sample-tables)
set -euo pipefail

prefix=${1:?usage: make-sample.sh PREFIX BIN_DIR}
bindir=$(readlink -f "${2:?usage: make-sample.sh PREFIX BIN_DIR}")
for program in navlor navlor-arj navlor-netlog navlor-sample-tables; do
  [ -x "$bindir/$program" ] || { echo "make-sample: $bindir/$program is missing" >&2; exit 1; }
done

if [ -e "$prefix" ]; then
  echo "make-sample: $prefix exists already; give a fresh prefix" >&2
  exit 1
fi

mkdir -p "$prefix/dosdevices" "$prefix/drive_c/WINDOWS/SYSTEM32" "$prefix/drive_d/VLDRBKPA"
ln -s ../drive_c "$prefix/dosdevices/c:"
ln -s ../drive_d "$prefix/dosdevices/d:"
ln -s / "$prefix/dosdevices/z:"

c="$prefix/drive_c"
v="$c/VALDOROW"
mkdir -p "$v/EXE" "$v/DADOS/EMPRESA1" "$v/DADOS/EMPRESA2" "$v/DADOS/FB" "$v/BDE"

# Real Paradox tables written through pxlib, the same bytes every time, so a restore can be
# compared byte for byte: --index adds the primary index (.PX), --memo the blob file (.MB).
paradox() { # path rows [--index] [--memo]
  "$bindir/navlor-sample-tables" write "$@"
}

paradox "$v/DADOS/EMPRESA1/CLIENTES.DB" 400 --index --memo
paradox "$v/DADOS/EMPRESA1/PRODUTOS.DB" 1200 --index
paradox "$v/DADOS/EMPRESA2/Vendas.db" 1500 --memo
# Real Firebird 3 databases (embedded isql-fb), which a backup freezes through the local server.
"$(dirname "$(readlink -f "$0")")/make-sample-fdb.sh" "$v/DADOS/FB/VALDORO.FDB" 5000 >/dev/null
"$(dirname "$(readlink -f "$0")")/make-sample-fdb.sh" "$v/DADOS/FB/ANTIGO.GDB" 60 >/dev/null
paradox "$v/DADOS/PARAMS.DB" 10

# Stale lock files of Paradox clients that did not end cleanly.
printf 'LCK' >"$v/DADOS/PDOXUSRS.LCK"
printf 'LCK' >"$v/DADOS/EMPRESA1/PARADOX.LCK"
printf 'LCK' >"$v/DADOS/EMPRESA2/pdoxusrs.lck"
# Temporary query tables the BDE left behind.
paradox "$v/_QSQ0.DB" 5 --memo
paradox "$v/DADOS/EMPRESA1/_QSQ12.DB" 5
printf 'NET' >"$c/PDOXUSRS.NET"

ln -s "$bindir/navlor" "$v/NAVLOR.EXE"
ln -s "$bindir/navlor-arj" "$v/EXE/ARJ.EXE"
# The extract window looks beside the program, in C:\, then in C:\WINDOWS; never in EXE.
ln -s "$bindir/navlor-arj" "$c/WINDOWS/ARJ.EXE"
mkdir -p "$c/NETLOG"
ln -s "$bindir/navlor-netlog" "$c/NETLOG/NETLOG.EXE"

# Console parameters: delete lock files and temporary tables, close after the run,
# delete the network control file, start the network logger.
mkdir -p "$c/VALDORO/NAVLOR"
{
  for i in $(seq 1 9); do printf '#\r\n'; done
  printf 'SSS SS              \r\n'
} >"$c/VALDORO/NAVLOR/NAV_LOR"

# Parameter files are Windows-1252 with CR LF; "#" stands for an empty line.
lines() { for l in "$@"; do printf '%s\r\n' "$l"; done; }
diario=$(printf '0 - Di\341rio')
manter='0 - Manter os arquivos existentes no BKP ANTERIOR.'
lines "Tabelas do sistema" '#' '#' '#' '#' '#' '#' '#' '#' 'SSN                 ' "$diario" \
  '*.DB *.MB *.FDB *.GDB' 'C:\VALDOROW\DADOS' 'D:\VLDRBKPA' 'BKP00' '*.ARJ *_.EXE' \
  '#' '#' '#' '#' "$manter" >"$c/VALDORO/NAVLOR/VD_BKPA_00.PAR"
lines "Instalacao completa" '#' '#' '#' '#' '#' '#' '#' '#' 'SSN                 ' '3 - Semanal' \
  '*.*' 'C:\VALDOROW' 'D:\VLDRBKPA' 'BKP03' '*.ARJ *.EXE' \
  '#' '#' '#' '#' "$manter" >"$c/VALDORO/NAVLOR/VD_BKPA_03.PAR"

echo "sample installation created in $prefix"
