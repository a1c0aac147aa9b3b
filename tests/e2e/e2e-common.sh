# shellcheck shell=bash
# Set-up shared by the end-to-end tests: a loopback of their own, a throw-away home, the quote-site
# simulator, an X server and the program. Sourced by each test script.
set -euo pipefail
# shellcheck source=scripts/x11-session.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/x11-session.sh"

E2E_SKIP=77
E2E_DIR=""
E2E_APP_PID=""
KABU_SIM_PID=""
KABU_XVFB_PID=""

e2e_fail() {
  echo "FAIL: $*" >&2
  if [ -s "$E2E_DIR/ticker.log" ]; then
    echo "--- the program's output:" >&2
    cat "$E2E_DIR/ticker.log" >&2
  fi
  exit 1
}

# The port of the quote site the program was built for; only a loopback site can be stood in for.
e2e_site_port() {
  if [[ ! "$1" =~ ^http://127\.0\.0\.1:([0-9]+)$ ]]; then
    echo "SKIP: the program was built for the quote site $1, not the simulator on loopback"
    exit $E2E_SKIP
  fi
  echo "${BASH_REMATCH[1]}"
}

# e2e_private_loopback PORT SCRIPT ARGUMENT...: as root, runs the script again in a network
# namespace of its own, where the site's fixed port is surely free and nothing else can answer.
# Otherwise the shared loopback is used, if the port is free there.
e2e_private_loopback() {
  local port=$1
  shift
  if [ -z "${KABU_E2E_NETNS:-}" ] && [ "$(id -u)" -eq 0 ] && unshare -n true 2>/dev/null; then
    KABU_E2E_NETNS=1 exec unshare -n -- "$BASH" "$@"
  fi
  if [ -n "${KABU_E2E_NETNS:-}" ]; then
    ip link set lo up
  elif ! kabu_port_free "$port"; then
    echo "SKIP: port $port is taken on the shared loopback (not root, so no private network)"
    exit $E2E_SKIP
  fi
}

e2e_cleanup() {
  kabu_stop "$E2E_APP_PID" "$KABU_SIM_PID" "$KABU_XVFB_PID"
  [ -z "$E2E_DIR" ] || rm -rf "$E2E_DIR"
}

# A home and a desktop-less session of their own, and a browser that only notes what it is given.
e2e_setup() {
  E2E_DIR=$(mktemp -d "${TMPDIR:-/tmp}/kabu-e2e.XXXXXX")
  trap e2e_cleanup EXIT
  export HOME=$E2E_DIR/home
  export XDG_CONFIG_HOME=$HOME/.config XDG_DATA_HOME=$HOME/.local/share XDG_CACHE_HOME=$HOME/.cache
  export XDG_RUNTIME_DIR=$E2E_DIR/runtime
  mkdir -p "$XDG_CONFIG_HOME/kabu-ticker" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
  # With no desktop named, xdg-open falls back to $BROWSER.
  unset XDG_CURRENT_DESKTOP DESKTOP_SESSION KDE_FULL_SESSION GNOME_DESKTOP_SESSION_ID \
    XDG_SESSION_TYPE WAYLAND_DISPLAY QT_QPA_PLATFORM
  export BROWSER=$E2E_DIR/browser
  # shellcheck disable=SC2016 # the $1 is the stub's own
  printf '#!/bin/sh\nprintf "%%s\\n" "$1" >>"%s"\n' "$E2E_DIR/browser.log" >"$BROWSER"
  chmod +x "$BROWSER"
}

# e2e_store_codes CODE...: the watch list, written as the program's settings (QSettings INI).
e2e_store_codes() {
  local IFS=,
  local codes="$*"
  printf '[General]\nKEY_CODES=%s\n' "${codes//,/, }" \
    >"$XDG_CONFIG_HOME/kabu-ticker/kabu-ticker.conf"
}

e2e_start_ticker() {
  QT_QPA_PLATFORM=xcb LANG=C.UTF-8 "$1" >"$E2E_DIR/ticker.log" 2>&1 &
  E2E_APP_PID=$!
}

# Waits for the program's own end; fails unless it ended normally.
e2e_expect_clean_exit() {
  local status=0
  wait "$E2E_APP_PID" || status=$?
  E2E_APP_PID=""
  [ "$status" -eq 0 ] || e2e_fail "the program ended with status $status"
}

# e2e_wait_for_price X Y W H: waits (15 s at most) for the first tick, 5 s after launch, to
# slide a price in the up or down colour into the strip at that geometry; prints how many pixels
# have those colours.
e2e_wait_for_price() {
  local coloured=0
  for _ in $(seq 30); do
    sleep 0.5
    kabu_screenshot "$E2E_DIR/strip.png" "${3}x${4}+${1}+${2}"
    coloured=$(($(kabu_count_colour "$E2E_DIR/strip.png" "$KABU_UP_COLOUR") +
      $(kabu_count_colour "$E2E_DIR/strip.png" "$KABU_DOWN_COLOUR")))
    [ "$coloured" -lt 3 ] || break
  done
  [ "$coloured" -ge 3 ] || e2e_fail "no price in the up or down colour on the strip after 15 s"
  echo "$coloured"
}
