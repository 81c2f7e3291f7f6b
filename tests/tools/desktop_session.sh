#!/bin/sh
# A private desktop for one end-to-end test, run under dbus-run-session: a
# virtual X display and the accessibility bus (with its registry) on the
# private session bus. Prints DISPLAY=..., DBUS_SESSION_BUS_ADDRESS=... and
# READY, then keeps everything up until its standard input closes.
set -eu
work=$(mktemp -d)
xvfb=""
launcher=""

cleanup() {
  # The accessibility bus launcher's own bus daemon can outlive the session
  # bus: end the launcher's children and the launcher by their ids.
  if [ -n "$launcher" ]; then
    for child in $(ps -o pid= --ppid "$launcher" 2>/dev/null); do kill "$child" 2>/dev/null || true; done
    kill "$launcher" 2>/dev/null || true
  fi
  # Waited for, so the next test's server cannot take its display number
  # while this one still removes its socket.
  if [ -n "$xvfb" ]; then
    kill "$xvfb" 2>/dev/null || true
    wait "$xvfb" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

# -noreset: the server would reset when its last client leaves (the
# accessibility launcher looks at the display and goes), refusing the
# program if it connected just then.
Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 1280x1024x24 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
# Xvfb writes the display number once it accepts clients.
while [ ! -s "$work/display" ]; do
  kill -0 "$xvfb" 2>/dev/null || { cat "$work/xvfb.log" >&2; exit 1; }
  sleep 0.05
done
# Started before the program, so the program finds it at start-up. Its
# socket lies under XDG_RUNTIME_DIR, which the caller makes private to the
# test (Qt 6.4 does not take the bus from AT_SPI_BUS_ADDRESS).
dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null
launcher=$(dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
  org.freedesktop.DBus.GetConnectionUnixProcessID string:org.a11y.Bus | awk '/uint32/ { print $2 }')
echo "DISPLAY=:$(cat "$work/display")"
echo "DBUS_SESSION_BUS_ADDRESS=$DBUS_SESSION_BUS_ADDRESS"
echo READY
cat >/dev/null
