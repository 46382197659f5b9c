#!/usr/bin/env bash
# Runs one command against a throw-away PostgreSQL 15 cluster.
#
#   scripts/with-test-postgres.sh COMMAND [ARGS...]
#
# Creates a fresh cluster in a new temporary folder, starts it on a free port of 127.0.0.1 (and a
# Unix socket in the same folder), exports
#
#   KORVEL_TEST_PG="host=127.0.0.1 port=NNNNN user=postgres dbname=postgres"
#
# (blank-separated key=value pairs; the keys understood by the tests are host, port, user,
# password and dbname), runs COMMAND, then stops the server and removes the folder, also when
# COMMAND fails or the script is interrupted. The exit status is COMMAND's.
#
# Run as root, the server runs as the unprivileged user "postgres" (PostgreSQL refuses to run as
# root); run as anyone else, it runs as that user. The cluster trusts every local connection and
# runs without fsync: it is for tests only.
set -euo pipefail

if [[ $# -eq 0 ]]; then
    echo "usage: $0 COMMAND [ARGS...]" >&2
    exit 2
fi

PG_BIN=${KORVEL_PG_BIN:-/usr/lib/postgresql/15/bin}
for tool in initdb pg_ctl; do
    if [[ ! -x "$PG_BIN/$tool" ]]; then
        echo "with-test-postgres: $PG_BIN/$tool not found (install the package postgresql-15)" >&2
        exit 2
    fi
done

# As root the folder must be reachable by the user "postgres": a private TMPDIR is not.
tmpbase=${TMPDIR:-/tmp}
[[ $(id -u) -eq 0 ]] && tmpbase=/tmp
workdir=$(mktemp -d "$tmpbase/korvel-pg.XXXXXX")
datadir="$workdir/data"
logfile="$workdir/server.log"

# as_server CMD...: runs CMD as the user that owns the cluster.
if [[ $(id -u) -eq 0 ]]; then
    if ! id postgres >/dev/null 2>&1; then
        echo "with-test-postgres: running as root needs the system user 'postgres'" >&2
        rm -rf "$workdir"
        exit 2
    fi
    chown postgres: "$workdir"
    as_server() { runuser -u postgres -- "$@"; }
else
    as_server() { "$@"; }
fi

# A signal that arrives while pg_ctl starts the server runs the trap only after pg_ctl returns,
# so whether a server runs is read from its pid file, not from a flag set after the start.
cleanup() {
    if [[ -f "$datadir/postmaster.pid" ]]; then
        as_server "$PG_BIN/pg_ctl" stop -D "$datadir" -m immediate -s >/dev/null 2>&1 || true
    fi
    rm -rf "$workdir"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP

if ! as_server "$PG_BIN/initdb" -D "$datadir" -U postgres --auth=trust -E UTF8 --locale=C.UTF-8 \
        >"$workdir/initdb.log" 2>&1; then
    echo "with-test-postgres: initdb failed:" >&2
    cat "$workdir/initdb.log" >&2
    exit 2
fi

# port_in_use PORT: something already answers on 127.0.0.1:PORT.
port_in_use() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }

# Another process may take a port between the check and the start, so retry a few ports.
port=""
for _ in $(seq 1 20); do
    candidate=$((20000 + RANDOM % 40000))
    if port_in_use "$candidate"; then
        continue
    fi
    if as_server "$PG_BIN/pg_ctl" start -D "$datadir" -l "$logfile" -w -t 60 -s \
            -o "-p $candidate -k $workdir -c listen_addresses=127.0.0.1 -c fsync=off -c full_page_writes=off" \
            >/dev/null 2>&1; then
        port=$candidate
        break
    fi
done
if [[ -z "$port" ]]; then
    echo "with-test-postgres: the server did not start:" >&2
    cat "$logfile" >&2 2>/dev/null || true
    exit 2
fi

export KORVEL_TEST_PG="host=127.0.0.1 port=$port user=postgres dbname=postgres"
echo "with-test-postgres: PostgreSQL on 127.0.0.1:$port (KORVEL_TEST_PG=\"$KORVEL_TEST_PG\")" >&2

# The command runs as a child (its standard input kept) so that an interrupt or a TERM sent to
# this script reaches the trap at once: the trap stops the command, then the cluster goes.
child=""
stop_command() {
    if [[ -n "$child" ]]; then
        kill -TERM "$child" 2>/dev/null || true
        wait "$child" 2>/dev/null || true
    fi
    exit "$1"
}
trap 'stop_command 130' INT
trap 'stop_command 143' TERM
trap 'stop_command 129' HUP

set +e
"$@" <&0 &
child=$!
wait "$child"
status=$?
child=""
exit "$status"
