#!/usr/bin/env bash
# End to end under Xvfb with a real panel nobody here wrote: MATE's, whose notification area
# hosts status items and draws their labels. The ticker's code and price appear in the panel, the
# next tick changes them while the item keeps its width, and no strip is on screen; a click on the
# item opens the status menu, whose stocks menu holds the security lines, and a line hands its
# quote page to the browser.
# usage: panel.sh KABU_TICKER QUOTESIM QUOTE_SITE_BASE_URL SCREENSHOT_DIR
# shellcheck source=tests/e2e/e2e-common.sh
source "$(dirname "$0")/e2e-common.sh"

app=$1 quotesim=$2 base=$3 shots=$4
command -v mate-panel >/dev/null || {
  echo "SKIP: no mate-panel (scripts/install-deps installs it)"
  exit $E2E_SKIP
}
port=$(e2e_site_port "$base")
e2e_private_loopback "$port" "$0" "$@"
e2e_setup
panel_pid="" bus_pid=""
trap 'kabu_stop "$panel_pid"; e2e_cleanup; kabu_stop "$bus_pid"' EXIT
e2e_store_codes 7203 6758 9984
kabu_start_quotesim "$quotesim" "$port" "$E2E_DIR" || e2e_fail "no simulator"
kabu_start_xvfb "$E2E_DIR" || e2e_fail "no X server"
kabu_start_session_bus "$E2E_DIR" || e2e_fail "no session bus"
bus_pid=$KABU_BUS_PID
kabu_start_panel "$E2E_DIR" || e2e_fail "no panel"
panel_pid=$KABU_PANEL_PID
bar="$KABU_SCREEN_WIDTH"x24+0+0 # the top panel
sleep 2                         # its applets settle
kabu_screenshot "$E2E_DIR/bare.png" "$bar"

# label: the label our item gives the panel, as the panel reads it over the bus.
label() {
  local service
  service=$(gdbus call --session --dest org.kde.StatusNotifierWatcher \
    --object-path /StatusNotifierWatcher --method org.freedesktop.DBus.Properties.Get \
    org.kde.StatusNotifierWatcher RegisteredStatusNotifierItems 2>/dev/null |
    grep -o "org.kde.StatusNotifierItem-$E2E_APP_PID-[0-9]*" | head -n1) || return 1
  gdbus call --session --dest "$service" --object-path /StatusNotifierItem \
    --method org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierItem XAyatanaLabel |
    sed -n "s/^(<'\(.*\)'>,)$/\1/p"
}

# changed_box BEFORE AFTER: "X WIDTH" of the columns where the two pictures differ.
changed_box() {
  convert "$1" "$2" -compose difference -composite -threshold 0 -trim \
    -format '%X %w\n' info: 2>/dev/null | tr -d +
}

e2e_start_ticker "$app"
shown=""
for _ in $(seq 40); do # the first tick is 5 s after launch
  sleep 0.5
  shown=$(label || true)
  [[ ! "$shown" =~ ^7203\ [▲▼＝] ]] || break
done
[[ "$shown" =~ ^7203\ [▲▼＝][0-9,]+$ ]] || e2e_fail "the item's label is '$shown', not 7203's price"
sleep 0.5 # the panel draws it
kabu_screenshot "$E2E_DIR/first.png" "$bar"
read -r x1 w1 < <(changed_box "$E2E_DIR/bare.png" "$E2E_DIR/first.png")
[ "${w1:-0}" -ge 60 ] || e2e_fail "the panel drew ${w1:-no} columns for '$shown', too few for its text"
[ "$(kabu_windows | wc -l)" -eq 0 ] || e2e_fail "a window of the program beside the panel's item"
items=$(gdbus call --session --dest org.kde.StatusNotifierWatcher \
  --object-path /StatusNotifierWatcher --method org.freedesktop.DBus.Properties.Get \
  org.kde.StatusNotifierWatcher RegisteredStatusNotifierItems |
  grep -o "StatusNotifierItem-$E2E_APP_PID-" | wc -l)
[ "$items" -eq 1 ] || e2e_fail "the program has $items items in the panel (a tray icon too?)"
echo "label '$shown' drawn in the panel, $w1 columns from x $x1; no strip, no tray icon"

next=$shown
for _ in $(seq 20); do
  sleep 0.5
  next=$(label || true)
  [ "$next" = "$shown" ] || break
done
[[ "$next" =~ ^6758\ [▲▼＝][0-9,]+$ ]] || e2e_fail "the next label is '$next', not 6758's price"
sleep 0.5
kabu_screenshot "$E2E_DIR/second.png" "$bar"
read -r x2 _ < <(changed_box "$E2E_DIR/bare.png" "$E2E_DIR/second.png")
[ "$x2" = "$x1" ] || e2e_fail "the item moved from x $x1 to x $x2 for '$next'"
changed=$(compare -metric AE "$E2E_DIR/first.png" "$E2E_DIR/second.png" null: 2>&1 || true)
[ "${changed%% *}" -gt 0 ] || e2e_fail "the panel still draws '$shown' after the label became '$next'"
echo "next label '$next': $changed pixels changed, the item stays at x $x2"
mkdir -p "$shots"
kabu_screenshot "$shots/panel.png" "520x24+$((KABU_SCREEN_WIDTH - 520))+0"

visible() { timeout 5 xdotool search --onlyvisible --name '' 2>/dev/null | sort; }

# new_window BEFORE: waits (5 s at most) for a visible window on screen, wider than GTK's
# helper windows, that is not in the list, and prints it.
new_window() {
  local window x y w _
  for _ in $(seq 50); do
    for window in $(comm -13 <(echo "$1") <(visible)); do
      read -r x y w _ < <(kabu_geometry "$window")
      [ "$x" -lt 0 ] || [ "$w" -lt 20 ] || { echo "$window" && return 0; }
    done
    sleep 0.1
  done
  return 1
}

# A right click: the panel draws the exported menu itself, and a line's "clicked" comes back.
before=$(visible)
xdotool mousemove $((x1 + w1 / 3)) 12 click 3
menu=$(new_window "$before") || e2e_fail "a right click on the item opened no menu"
# shellcheck disable=SC2046
xdotool mousemove $(kabu_item_point "$menu" first) # 銘柄
stocks=$(new_window "$(printf '%s\n%s' "$before" "$menu" | sort)") ||
  e2e_fail "hovering 銘柄 opened no stocks menu"
read -r _ _ _ lines_h < <(kabu_geometry "$stocks")
[ "$lines_h" -ge 60 ] || e2e_fail "the stocks menu is $lines_h high, too low for three lines"
kabu_screenshot "$shots/panel-menu.png" "900x150+$((KABU_SCREEN_WIDTH - 900))+0"
# shellcheck disable=SC2046
xdotool mousemove $(kabu_item_point "$stocks" first)
sleep 0.3
xdotool click 1
e2e_expect_opened "$base/stocks/detail/?code=7203" "the panel's menu: its first stock line"

# A left click: the panel asks for our own menu, which opens at the item.
kabu_click $((x1 + w1 / 3)) 12
ours=$(kabu_wait_for_windows 1 5) || e2e_fail "a left click on the item opened no menu"
read -r mx my _ _ < <(kabu_geometry "$ours")
if [ "$mx" -lt $((x1 - 300)) ] || [ "$my" -gt 40 ]; then
  e2e_fail "our menu opened at $mx,$my, away from the item at x $x1"
fi
echo "a left click opened the status menu at $mx,$my"
