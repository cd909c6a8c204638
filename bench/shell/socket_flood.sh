#!/bin/bash
# Floods a running scriva's instance socket with N "button 4" lines on one
# connection (each asks for the "no image" box) and prints the program's peak
# memory before and after, then ends it with SIGTERM and prints its exit code.
# Usage: bench/shell/socket_flood.sh [N=9000] [program=build/bin/scriva]
set -u
N=${1:-9000}
PROGRAM=${2:-build/bin/scriva}
HOME_DIR=$(mktemp -d)
trap 'rm -rf "$HOME_DIR"' EXIT
mkdir -m 700 "$HOME_DIR/rt"
export XDG_CONFIG_HOME=$HOME_DIR/config XDG_CACHE_HOME=$HOME_DIR/cache \
    XDG_RUNTIME_DIR=$HOME_DIR/rt HOME=$HOME_DIR SCRIVA_CAMERA=none QT_QPA_PLATFORM=offscreen
SOCKET=$HOME_DIR/rt/orvek20090917152502
"$PROGRAM" 2>/dev/null &
PID=$!
for _ in $(seq 150); do [ -S "$SOCKET" ] && break; sleep 0.2; done
sleep 1
echo "lines: $N"
echo "peak before: $(grep VmHWM /proc/$PID/status | tr -s ' \t' ' ')"
python3 - "$SOCKET" "$N" <<'PY'
import socket, sys
peer = socket.socket(socket.AF_UNIX)
peer.connect(sys.argv[1])
peer.sendall(b"button 4\n" * int(sys.argv[2]))
peer.close()
PY
sleep 3
if kill -0 $PID 2>/dev/null; then
    echo "peak after:  $(grep VmHWM /proc/$PID/status | tr -s ' \t' ' ')"
    kill -TERM $PID
    wait $PID
    echo "exit code after SIGTERM (box open): $?"
else
    wait $PID
    echo "the program died: exit $?"
fi
