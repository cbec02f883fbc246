#!/bin/bash
# A throwaway PostgreSQL server for the tests and benchmarks.
#
#   eval "$(scripts/pg_test_server.sh start)"
#       # exports VANTRA_TEST_PG_URL, VANTRA_TEST_PG_STANDBY_URL, VANTRA_PG_DIR
#   scripts/pg_test_server.sh status
#   scripts/pg_test_server.sh stop
#
# start creates a cluster in a temporary folder (VANTRA_PG_DIR, default
# ${TMPDIR:-/tmp}/vantra-pg-<user>), listening on 127.0.0.1 only, on the first
# free port from 54329 (or VANTRA_PG_PORT), with trust authentication and a
# database vantra_test; durability is switched off (fsync, full page writes):
# the data is disposable. Beside it runs a hot standby of it (streaming
# replication, made with pg_basebackup -R into $VANTRA_PG_DIR/standby, on
# the next free port, read only), for the reports that run from a standby;
# VANTRA_PG_STANDBY=0 leaves it out (VANTRA_TEST_PG_STANDBY_URL is then not
# printed). It prints the export lines on stdout, everything else on stderr.
# Running start again while the servers run only prints them again; stop
# stops both servers and removes the folder (nothing to do is not an error).
#
# As root (CI), initdb and the server run as the "postgres" account, which the
# Debian package creates. Binaries are taken from the newest
# /usr/lib/postgresql/*/bin, else from PATH.
set -euo pipefail

DIR="${VANTRA_PG_DIR:-${TMPDIR:-/tmp}/vantra-pg-$(id -un)}"
DATA="$DIR/data"
STANDBY="$DIR/standby"
DB=vantra_test
WANT_STANDBY="${VANTRA_PG_STANDBY:-1}"
# Settings both servers start with (a standby needs max_connections at least
# the primary's).
SERVER_OPTS="-c listen_addresses=127.0.0.1 -c fsync=off -c synchronous_commit=off -c full_page_writes=off -c max_connections=100"

log() { echo "pg_test_server: $*" >&2; }
die() { log "$*"; exit 1; }

find_bin() {
  local d
  for d in $(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V -r); do
    if [ -x "$d/initdb" ] && [ -x "$d/pg_ctl" ] && [ -x "$d/psql" ]; then echo "$d"; return; fi
  done
  if command -v initdb >/dev/null 2>&1 && command -v pg_ctl >/dev/null 2>&1 && command -v psql >/dev/null 2>&1; then
    dirname "$(command -v pg_ctl)"
    return
  fi
  die "PostgreSQL introuvable (initdb, pg_ctl, psql) : installer postgresql-15."
}

BIN="$(find_bin)"

# Runs a server program as the account that owns the cluster.
as_owner() {
  if [ "$(id -u)" = 0 ]; then
    (cd / && runuser -u postgres -- "$@")
  else
    "$@"
  fi
}

port_in_use() {
  (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}

free_port_from() {
  local port="$1" tries=0
  while port_in_use "$port"; do
    port=$((port + 1))
    tries=$((tries + 1))
    [ "$tries" -lt 100 ] || die "aucun port libre à partir de $1"
  done
  echo "$port"
}

print_exports() {
  local port
  port="$(cat "$DIR/port")"
  echo "export VANTRA_TEST_PG_URL=postgresql://postgres@127.0.0.1:$port/$DB"
  if [ -f "$DIR/standby_port" ]; then
    echo "export VANTRA_TEST_PG_STANDBY_URL=postgresql://postgres@127.0.0.1:$(cat "$DIR/standby_port")/$DB"
  fi
  echo "export VANTRA_PG_DIR=$DIR"
}

server_up() {
  [ -f "$1/postmaster.pid" ] && as_owner "$BIN/pg_ctl" -D "$1" status >/dev/null 2>&1
}

running() {
  [ -f "$DIR/ready" ] && server_up "$DATA" || return 1
  # A standby that was asked for must be up too (and one not asked for, absent).
  if [ "$WANT_STANDBY" = 0 ]; then
    [ ! -f "$DIR/standby_port" ]
  else
    [ -f "$DIR/standby_port" ] && server_up "$STANDBY"
  fi
}

# The hot standby: a base backup of the running primary with the
# replication settings written for it (-R: standby.signal and
# primary_conninfo), started read only on its own port.
start_standby() {
  local primary_port="$1" port
  as_owner "$BIN/pg_basebackup" -h 127.0.0.1 -p "$primary_port" -U postgres -D "$STANDBY" -R -X stream \
    -c fast >"$DIR/basebackup.log" 2>&1 || { cat "$DIR/basebackup.log" >&2; die "pg_basebackup a échoué"; }
  port="$(free_port_from $((primary_port + 1)))"
  as_owner "$BIN/pg_ctl" -D "$STANDBY" -l "$DIR/standby.log" -w -t 60 \
    -o "-p $port -k $DIR $SERVER_OPTS -c hot_standby=on" \
    start >&2 || { cat "$DIR/standby.log" >&2; die "le serveur de secours n'a pas démarré"; }
  echo "$port" >"$DIR/standby_port"
  log "serveur de secours prêt sur 127.0.0.1:$port ($STANDBY)"
}

start() {
  if running; then
    log "déjà démarré dans $DIR"
    print_exports
    return
  fi
  stop_servers
  rm -rf "$DIR"
  mkdir -p "$DIR"
  if [ "$(id -u)" = 0 ]; then
    id postgres >/dev/null 2>&1 || die "le compte postgres n'existe pas (installer postgresql-15)."
    chown postgres: "$DIR"
  fi
  chmod 700 "$DIR"

  as_owner "$BIN/initdb" -D "$DATA" -U postgres -A trust -E UTF8 --locale=C.UTF-8 >"$DIR/initdb.log" 2>&1 ||
    { cat "$DIR/initdb.log" >&2; die "initdb a échoué"; }

  # The standby's base backup and WAL stream connect as replication
  # clients from 127.0.0.1.
  echo "host replication all 127.0.0.1/32 trust" >>"$DATA/pg_hba.conf"

  local port
  port="$(free_port_from "${VANTRA_PG_PORT:-54329}")"
  echo "$port" >"$DIR/port"

  as_owner "$BIN/pg_ctl" -D "$DATA" -l "$DIR/server.log" -w -t 30 \
    -o "-p $port -k $DIR $SERVER_OPTS -c wal_level=replica -c max_wal_senders=5" \
    start >&2 || { cat "$DIR/server.log" >&2; die "le serveur n'a pas démarré"; }

  as_owner "$BIN/psql" -X -q -h 127.0.0.1 -p "$port" -U postgres -d postgres \
    -c "CREATE DATABASE $DB" >&2 || die "création de la base $DB impossible"
  if [ "$WANT_STANDBY" != 0 ]; then start_standby "$port"; fi
  touch "$DIR/ready"
  log "serveur prêt sur 127.0.0.1:$port ($DIR)"
  print_exports
}

# The standby first: stopped before its primary, it does not wait for it.
stop_servers() {
  local d
  for d in "$STANDBY" "$DATA"; do
    if [ -f "$d/postmaster.pid" ]; then
      as_owner "$BIN/pg_ctl" -D "$d" -m fast -w stop >&2 || log "arrêt : pg_ctl a échoué ($d)"
    fi
  done
}

stop() {
  stop_servers
  rm -rf "$DIR"
}

case "${1:-}" in
  start) start ;;
  stop) stop ;;
  status)
    if running; then print_exports; else log "arrêté"; exit 3; fi
    ;;
  *)
    echo "usage: $0 start|stop|status" >&2
    exit 2
    ;;
esac
