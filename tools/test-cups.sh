#!/usr/bin/env bash
# A private CUPS scheduler for the print tests, with one raw queue whose
# backend stores every job exactly as the program sent it.
#
#   tools/test-cups.sh start DIR   start it; prints the variables to export
#   tools/test-cups.sh stop DIR    stop it
#
# Everything lives under DIR: configuration, spool, logs, the scheduler's
# socket (DIR/cups.sock) and the stored jobs (DIR/jobs). The system's own CUPS
# set-up is neither read nor changed. The tests find it through
#   CUPS_SERVER=DIR/cups.sock  SORVANE_TEST_PRINTER=sorvane-test
#   SORVANE_TEST_PRINT_JOBS=DIR/jobs
set -euo pipefail

queue=sorvane-test
cmd=${1:-}
dir=${2:-}
if [ -z "$cmd" ] || [ -z "$dir" ]; then
  echo "usage: $0 start|stop DIR" >&2
  exit 2
fi

stop() {
  if [ -f "$dir/cupsd.pid" ]; then
    kill "$(cat "$dir/cupsd.pid")" 2>/dev/null || true
    rm -f "$dir/cupsd.pid"
  fi
}

if [ "$cmd" = stop ]; then
  stop
  exit 0
fi
[ "$cmd" = start ] || { echo "usage: $0 start|stop DIR" >&2; exit 2; }

cupsd=$(command -v cupsd || echo /usr/sbin/cupsd)
if [ ! -x "$cupsd" ] || ! command -v lpadmin >/dev/null; then
  echo "test-cups: cupsd or lpadmin is not installed" >&2
  exit 1
fi
sysbin=/usr/lib/cups
[ -x "$sysbin/daemon/cups-exec" ] || { echo "test-cups: $sysbin/daemon/cups-exec is missing" >&2; exit 1; }

stop
rm -rf "$dir"
mkdir -p "$dir"/{conf,spool/tmp,state,cache,log,bin/backend,bin/filter,jobs}
dir=$(cd "$dir" && pwd)
# cupsd refuses configuration it thinks others could change.
chmod 755 "$dir" "$dir"/bin "$dir"/bin/backend "$dir"/bin/filter
chmod 1777 "$dir/jobs"
ln -s "$sysbin/daemon" "$dir/bin/daemon"
ln -s "$sysbin/notifier" "$dir/bin/notifier"

# The backend: without arguments it names its device, with them it copies
# the job (file argument or standard input) into the folder its URI names.
cat >"$dir/bin/backend/sorvane-store" <<'EOF'
#!/bin/sh
if [ $# -eq 0 ]; then
  echo 'direct sorvane-store "Unknown" "Sorvane test job store"'
  exit 0
fi
umask 022
out=${DEVICE_URI#sorvane-store:}
name="$out/job-$(printf %05d "$1")"
if [ -n "$6" ]; then cat "$6" >"$name.part"; else cat >"$name.part"; fi || exit 1
printf 'user=%s\ntitle=%s\ncopies=%s\noptions=%s\n' "$2" "$3" "$4" "$5" >"$name.info"
mv "$name.part" "$name.data"
exit 0
EOF
# Run as root only when the scheduler is root (mode 0700), else as its user.
chmod 700 "$dir/bin/backend/sorvane-store"

cat >"$dir/conf/cups-files.conf" <<EOF
ServerRoot $dir/conf
StateDir $dir/state
CacheDir $dir/cache
RequestRoot $dir/spool
TempDir $dir/spool/tmp
ServerBin $dir/bin
DataDir /usr/share/cups
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
FileDevice No
Sandboxing Relaxed
EOF
cat >"$dir/conf/cupsd.conf" <<EOF
Listen $dir/cups.sock
LogLevel info
Browsing No
WebInterface No
DefaultAuthType None
MaxLogSize 0
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF
chmod 644 "$dir"/conf/*.conf

"$cupsd" -f -c "$dir/conf/cupsd.conf" -s "$dir/conf/cups-files.conf" >"$dir/log/cupsd.out" 2>&1 &
echo $! >"$dir/cupsd.pid"
for _ in $(seq 100); do
  [ -S "$dir/cups.sock" ] && break
  if ! kill -0 "$(cat "$dir/cupsd.pid")" 2>/dev/null; then
    echo "test-cups: cupsd stopped at once:" >&2
    cat "$dir/log/cupsd.out" "$dir/log/error_log" 2>/dev/null >&2 || true
    rm -f "$dir/cupsd.pid"
    exit 1
  fi
  sleep 0.05
done
[ -S "$dir/cups.sock" ] || { echo "test-cups: cupsd did not open its socket" >&2; stop; exit 1; }

export CUPS_SERVER="$dir/cups.sock"
# A raw queue: the scheduler hands the document to the backend unchanged.
if ! lpadmin -p "$queue" -E -v "sorvane-store:$dir/jobs" -m raw >"$dir/log/lpadmin.out" 2>&1; then
  grep -v -i deprecat "$dir/log/lpadmin.out" >&2 || true
  lpadmin -p "$queue" -E -v "sorvane-store:$dir/jobs" >>"$dir/log/lpadmin.out" 2>&1 || {
    cat "$dir/log/lpadmin.out" >&2
    stop
    exit 1
  }
fi
echo "CUPS_SERVER=$dir/cups.sock"
echo "SORVANE_TEST_PRINTER=$queue"
echo "SORVANE_TEST_PRINT_JOBS=$dir/jobs"
