#!/usr/bin/env bash
# Starts Debian's Firebird server as the systemd unit would (user firebird), when nothing
# listens on localhost:3050 yet. The backup freezes the installation's databases through it.
# Without root it only says so: the backup then archives the databases unfrozen, with a warning.
set -euo pipefail

listening() { (exec 3<>/dev/tcp/127.0.0.1/3050) 2>/dev/null; }

if listening; then
  exit 0
fi
if [ "$(id -u)" -ne 0 ]; then
  echo "start-firebird: no Firebird server runs and starting one needs root" >&2
  exit 0
fi
if command -v systemctl >/dev/null 2>&1 && systemctl start firebird3.0 2>/dev/null; then
  :
else
  install -d -o firebird -g firebird -m 0770 /run/firebird3.0
  setpriv --reuid=firebird --regid=firebird --init-groups /usr/sbin/fbguard -daemon -forever
fi
for _ in $(seq 1 50); do
  listening && exit 0
  sleep 0.2
done
echo "start-firebird: the Firebird server did not start" >&2
exit 1
