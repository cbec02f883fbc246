#!/bin/bash
# A throwaway CUPS server with one PDF printer, for the printing tests.
#
#   eval "$(scripts/cups_test_server.sh start)"  # exports VANTRA_TEST_CUPS_SERVER,
#                                                # VANTRA_TEST_CUPS_PRINTER, VANTRA_TEST_CUPS_PDF_DIR
#   scripts/cups_test_server.sh stop
#
# start runs cupsd on a private configuration folder (VANTRA_CUPS_DIR,
# default ${TMPDIR:-/tmp}/vantra-cups-<user>) listening on a local socket
# in it only, and adds the queue "vantra-pdf" (printer-driver-cups-pdf).
# Jobs become PDF files in the folder cups-pdf writes to: PDF/ in the home
# folder of the user who prints (/etc/cups/cups-pdf.conf, "Out ${HOME}/PDF");
# VANTRA_TEST_CUPS_PDF_DIR names it. A test selects the server with
# CUPS_SERVER=$VANTRA_TEST_CUPS_SERVER. It prints the export lines on
# stdout, everything else on stderr; stop stops the server and removes the
# folder. cupsd starts its backends as root: without root (or without the
# packages) start says so and exits 1, and the printing test skips.
set -euo pipefail

DIR="${VANTRA_CUPS_DIR:-${TMPDIR:-/tmp}/vantra-cups-$(id -un)}"
QUEUE=vantra-pdf

log() { echo "cups_test_server: $*" >&2; }
die() { log "$*"; exit 1; }

print_exports() {
  local home
  home="$(getent passwd "$(id -un)" | cut -d: -f6)"
  echo "export VANTRA_TEST_CUPS_SERVER=$DIR/cups.sock"
  echo "export VANTRA_TEST_CUPS_PRINTER=$QUEUE"
  echo "export VANTRA_TEST_CUPS_PDF_DIR=${home:-$HOME}/PDF"
  echo "export VANTRA_CUPS_DIR=$DIR"
}

running() { [ -f "$DIR/cupsd.pid" ] && kill -0 "$(cat "$DIR/cupsd.pid")" 2>/dev/null; }

start() {
  if running; then print_exports; return; fi
  [ "$(id -u)" = 0 ] || die "cupsd lance ses pilotes en root : test d'impression sauté."
  command -v cupsd >/dev/null || die "cupsd introuvable : installer cups."
  [ -x /usr/lib/cups/backend/cups-pdf ] || die "cups-pdf introuvable : installer printer-driver-cups-pdf."
  local ppd
  ppd="$(ls /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd 2>/dev/null || true)"
  [ -n "$ppd" ] || die "le pilote CUPS-PDF_opt.ppd est introuvable."
  rm -rf "$DIR"
  mkdir -p "$DIR"/{conf,spool,cache,state,log,tmp}
  chmod 1777 "$DIR/tmp"
  chown root:lp "$DIR"/{spool,cache,state}
  chmod 0770 "$DIR/spool"
  cat >"$DIR/conf/cupsd.conf" <<CONF
Listen $DIR/cups.sock
LogLevel warn
WebInterface No
Browsing No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Location /admin>
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
  cat >"$DIR/conf/cups-files.conf" <<CONF
ServerRoot $DIR/conf
RequestRoot $DIR/spool
CacheDir $DIR/cache
StateDir $DIR/state
TempDir $DIR/tmp
ErrorLog $DIR/log/error_log
AccessLog $DIR/log/access_log
PageLog $DIR/log/page_log
ServerBin /usr/lib/cups
DataDir /usr/share/cups
User lp
Group lp
SystemGroup root
CONF
  cupsd -f -c "$DIR/conf/cupsd.conf" -s "$DIR/conf/cups-files.conf" >"$DIR/log/cupsd.out" 2>&1 &
  echo $! >"$DIR/cupsd.pid"
  local i
  for i in $(seq 1 50); do
    [ -S "$DIR/cups.sock" ] && break
    running || die "cupsd s'est arrêté : $(tail -3 "$DIR/log/cupsd.out" 2>/dev/null)"
    sleep 0.1
  done
  [ -S "$DIR/cups.sock" ] || die "cupsd n'écoute pas sur $DIR/cups.sock"
  CUPS_SERVER="$DIR/cups.sock" lpadmin -p "$QUEUE" -E -v cups-pdf:/ -P "$ppd" 2>/dev/null ||
    die "la file $QUEUE n'a pas pu être ajoutée"
  log "CUPS sur $DIR/cups.sock, file $QUEUE"
  print_exports
}

stop() {
  if running; then
    kill "$(cat "$DIR/cupsd.pid")" 2>/dev/null || true
    for _ in $(seq 1 50); do running || break; sleep 0.1; done
  fi
  rm -rf "$DIR"
}

case "${1:-}" in
  start) start ;;
  stop) stop ;;
  *) echo "usage: $0 start|stop" >&2; exit 2 ;;
esac
