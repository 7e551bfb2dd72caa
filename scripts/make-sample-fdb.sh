#!/usr/bin/env bash
# Creates a real Firebird 3 database (ODS 12, page size 8192, WIN1252) with isql-fb in embedded
# mode, so no server is needed: CLIENTES, PRODUTOS and VENDAS with foreign keys and indexes,
# ROWS rows spread over them. As root the file goes to the firebird user and its directory to
# the firebird group, so the local server can open it and nbackup can freeze it (the delta file
# is created beside the database).
# Usage: make-sample-fdb.sh HOSTPATH ROWS
set -euo pipefail

usage='usage: make-sample-fdb.sh HOSTPATH ROWS'
target=${1:?$usage}
rows=${2:?$usage}
[[ $rows =~ ^[0-9]+$ ]] || { echo "make-sample-fdb: ROWS must be a number: $rows" >&2; exit 2; }
isql=$(command -v isql-fb || command -v isql || true)
[ -n "$isql" ] || { echo "make-sample-fdb: isql-fb is missing (Debian package firebird3.0-utils)" >&2; exit 1; }

mkdir -p "$(dirname "$target")"
target=$(readlink -f "$target")
if [ -e "$target" ]; then
  echo "make-sample-fdb: $target exists already" >&2
  exit 1
fi
case $target in
  *\'*) echo "make-sample-fdb: the path may not hold a quote: $target" >&2; exit 2 ;;
esac

# Embedded Firebird keeps its lock files in /tmp/firebird, which belongs to the firebird group;
# anyone else gets "operating system directive access failed". A new file is not open anywhere
# else, so a private lock directory is safe for it.
scratch=$(mktemp -d "${TMPDIR:-/tmp}/make-sample-fdb.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
lockdir=${FIREBIRD_LOCK:-/tmp/firebird}
if [ "$(id -u)" -ne 0 ] && ! { [ -d "$lockdir" ] && [ -w "$lockdir" ] && [ -x "$lockdir" ]; } &&
  ! { [ ! -e "$lockdir" ] && [ -w "$(dirname "$lockdir")" ]; }; then
  export FIREBIRD_LOCK="$scratch/lock"
fi

# Customers first, then products, then sales that point at both.
clientes=$((rows / 5 > 0 ? rows / 5 : (rows > 0 ? 1 : 0)))
produtos=$((rows / 10 > 0 ? rows / 10 : (rows - clientes > 0 ? 1 : 0)))
vendas=$((rows - clientes - produtos))

cat >"$scratch/create.sql" <<EOF
SET SQL DIALECT 3;
SET NAMES UTF8;
CREATE DATABASE '$target' USER 'SYSDBA' PAGE_SIZE 8192 DEFAULT CHARACTER SET WIN1252;

CREATE TABLE CLIENTES (
  ID INTEGER NOT NULL PRIMARY KEY,
  NOME VARCHAR(60) NOT NULL,
  CIDADE VARCHAR(40),
  SALDO NUMERIC(15, 2) DEFAULT 0 NOT NULL,
  CADASTRO TIMESTAMP DEFAULT CURRENT_TIMESTAMP);
CREATE TABLE PRODUTOS (
  ID INTEGER NOT NULL PRIMARY KEY,
  DESCRICAO VARCHAR(80) NOT NULL,
  PRECO NUMERIC(15, 2) NOT NULL,
  ESTOQUE INTEGER DEFAULT 0 NOT NULL);
CREATE TABLE VENDAS (
  ID INTEGER NOT NULL PRIMARY KEY,
  CLIENTE INTEGER NOT NULL REFERENCES CLIENTES (ID),
  PRODUTO INTEGER NOT NULL REFERENCES PRODUTOS (ID),
  QUANTIDADE INTEGER NOT NULL,
  VALOR NUMERIC(15, 2) NOT NULL,
  DATA DATE NOT NULL,
  OBS BLOB SUB_TYPE TEXT);
CREATE INDEX CLIENTES_NOME ON CLIENTES (NOME);
CREATE INDEX PRODUTOS_DESCRICAO ON PRODUTOS (DESCRICAO);
CREATE DESCENDING INDEX VENDAS_DATA ON VENDAS (DATA);
COMMIT;

SET TERM ^ ;
EXECUTE BLOCK AS
  DECLARE i INTEGER;
BEGIN
  i = 1;
  WHILE (i <= $clientes) DO BEGIN
    INSERT INTO CLIENTES (ID, NOME, CIDADE, SALDO)
      VALUES (:i, 'Cliente ' || :i,
              DECODE(MOD(:i, 4), 0, 'São Paulo', 1, 'Florianópolis', 2, 'Maringá', 'Goiânia'),
              MOD(:i * 37, 10000) / 100.00);
    i = i + 1;
  END
  i = 1;
  WHILE (i <= $produtos) DO BEGIN
    INSERT INTO PRODUTOS (ID, DESCRICAO, PRECO, ESTOQUE)
      VALUES (:i, 'Produto ' || :i || ' - peça nº ' || MOD(:i, 97), 1 + MOD(:i * 13, 500) / 10.0,
              MOD(:i * 7, 300));
    i = i + 1;
  END
  i = 1;
  WHILE (i <= $vendas) DO BEGIN
    INSERT INTO VENDAS (ID, CLIENTE, PRODUTO, QUANTIDADE, VALOR, DATA, OBS)
      VALUES (:i, 1 + MOD(:i, $((clientes > 0 ? clientes : 1))), 1 + MOD(:i, $((produtos > 0 ? produtos : 1))),
              1 + MOD(:i, 9), MOD(:i * 101, 100000) / 100.00, DATEADD(-MOD(:i, 720) DAY TO DATE '2024-12-31'),
              IIF(MOD(:i, 3) = 0, 'Entrega combinada para ' || :i || ' dias.', NULL));
    i = i + 1;
  END
END^
SET TERM ; ^
COMMIT;
EOF

if ! output=$("$isql" -q -b -i "$scratch/create.sql" 2>&1); then
  echo "make-sample-fdb: isql-fb could not create $target:" >&2
  echo "$output" >&2
  if grep -q 'operating system directive' <<<"$output"; then
    echo "make-sample-fdb: embedded Firebird needs a writable lock directory;" \
      "set FIREBIRD_LOCK to one this user can write" >&2
  fi
  rm -f "$target"
  exit 1
fi

if [ "$(id -u)" -eq 0 ] && id firebird >/dev/null 2>&1; then
  chown firebird:firebird "$target"
  chmod 0660 "$target"
  directory=$(dirname "$target")
  chgrp firebird "$directory"
  chmod g+rwx "$directory"
fi
echo "make-sample-fdb: $target with $clientes customers, $produtos products, $vendas sales"
