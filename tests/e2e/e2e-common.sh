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
    # shellcheck disable=SC2086 # a mount namespace too, for scripts that set E2E_UNSHARE_MOUNTS
    KABU_E2E_NETNS=1 exec unshare -n ${E2E_UNSHARE_MOUNTS:+-m} -- "$BASH" "$@"
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

# e2e_wait_for_window TITLE SECONDS: prints the id of the program's visible window of that title.
e2e_wait_for_window() {
  local tries=$(($2 * 20)) found _
  for _ in $(seq "$tries"); do
    found=$(timeout 5 xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1 || true)
    if [ -n "$found" ]; then
      echo "$found"
      return 0
    fi
    sleep 0.05
  done
  return 1
}

# e2e_open_preferences STRIP: chooses 環境設定, the entry above 終了 in the status menu, by keyboard
# from the bottom (銘柄 above it is greyed out while the list is empty) and prints the window's id.
e2e_open_preferences() {
  kabu_open_menu "$1" >/dev/null || return 1
  sleep 0.2 # the menu takes the keyboard once it is mapped
  xdotool key Up Up Return
  e2e_wait_for_window 環境設定 5
}

# e2e_open_row_sheet PREFERENCES KEYS TITLE: selects the watch-list table's first row, presses
# the keys of a sheet's button and prints the id of the sheet of that title.
e2e_open_row_sheet() {
  local x y
  xdotool windowfocus --sync "$1" 2>/dev/null || true
  read -r x y _ _ < <(kabu_geometry "$1")
  kabu_click $((x + 60)) $((y + 70)) # the first row, under the toolbar and the table's header
  sleep 0.3
  xdotool key "$2"
  e2e_wait_for_window "$3" 5
}

# e2e_expect_opened URL WHAT: waits up to 5 s for the stub browser to be handed an address, and
# fails unless it is URL; WHAT names what was clicked.
e2e_expect_opened() {
  for _ in $(seq 50); do
    [ -s "$E2E_DIR/browser.log" ] && break
    sleep 0.1
  done
  grep -qx "$1" "$E2E_DIR/browser.log" ||
    e2e_fail "$2 opened '$(cat "$E2E_DIR/browser.log" 2>/dev/null)', not $1"
  echo "$2 opened $(cat "$E2E_DIR/browser.log")"
}

# e2e_stored_codes: the stored watch list as "CODE,CODE,...".
e2e_stored_codes() {
  sed -n 's/^KEY_CODES=//p' "$XDG_CONFIG_HOME/kabu-ticker/kabu-ticker.conf" 2>/dev/null |
    tr -d ' "' || true
}

# e2e_open_add_sheet PREFERENCES: + under the watch-list table; prints the input sheet's id. + is
# the first button under the table, with five lines below it (interval, start at login, colour
# scheme, arrows and the margin).
e2e_open_add_sheet() {
  local x y w h
  read -r x y w h < <(kabu_geometry "$1")
  kabu_click $((x + 20)) $((y + h - 141))
  e2e_wait_for_window 銘柄の追加 5
}

# e2e_add_code PREFERENCES CODE: the code typed into the input sheet + opens, and Return.
e2e_add_code() {
  local sheet
  sheet=$(e2e_open_add_sheet "$1") || return 1
  xdotool windowfocus --sync "$sheet" 2>/dev/null || true
  sleep 0.2
  xdotool type --delay 50 "$2"
  sleep 0.2
  xdotool key Return
}

# e2e_open_stocks_menu STRIP: opens the status menu, points at 銘柄 and prints "MENU STOCKS", the ids
# of the status menu and of the stocks menu.
e2e_open_stocks_menu() {
  local menu before count stocks
  menu=$(kabu_open_menu "$1") || return 1
  before=$(kabu_windows)
  count=$(printf '%s' "$before" | grep -c .)
  # shellcheck disable=SC2046
  xdotool mousemove $(kabu_item_point "$menu" first)
  stocks=$(kabu_wait_for_windows $((count + 1)) 5 | grep -vxF "$before") || return 1
  echo "$menu $stocks"
}

# e2e_close_menus COUNT: Escape until only COUNT windows of the program are left.
e2e_close_menus() {
  local _
  for _ in 1 2 3; do
    xdotool key Escape
    ! kabu_wait_for_windows "$1" 1 >/dev/null || return 0
  done
  return 1
}
