#!/usr/bin/env bash
# Runs a test program as a screen reader would meet it: on an X server of its own (xcb), a session
# bus of its own and the accessibility bus on it, with Qt's AT-SPI bridge switched on.
# usage: with-atspi.sh PROGRAM [ARGUMENT...]
set -euo pipefail
launcher=/usr/libexec/at-spi-bus-launcher
if [ ! -x "$launcher" ] || ! command -v dbus-run-session >/dev/null; then
  echo "SKIP: no at-spi-bus-launcher or dbus-run-session (scripts/install-deps installs them)"
  exit 77
fi
if [ -z "${KABU_ATSPI_BUS:-}" ]; then
  KABU_ATSPI_BUS=1 exec dbus-run-session \
    --config-file="$(dirname "$0")/session-bus.conf" -- "$BASH" "$0" "$@"
fi
# shellcheck source=scripts/x11-session.sh
source "$(dirname "$0")/../../scripts/x11-session.sh"
work=$(mktemp -d)
KABU_XVFB_PID="" bus_pid=""
trap 'kabu_stop "$bus_pid" "$KABU_XVFB_PID"; rm -rf "$work"' EXIT
kabu_start_xvfb "$work"
"$launcher" --launch-immediately >"$work/atspi.log" 2>&1 &
bus_pid=$!
QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$@"
