#!/usr/bin/env bash
# End to end under Xvfb, on a session bus of its own with the accessibility bus: a holding set by
# keyboard through the real 保有… sheet is stored, and the stocks menu then opens with the summary
# line of the holdings, read as a screen reader reads it, over AT-SPI.
# usage: holdings.sh KABU_TICKER QUOTESIM QUOTE_SITE_BASE_URL SCREENSHOT_DIR
# shellcheck source=tests/e2e/e2e-common.sh
source "$(dirname "$0")/e2e-common.sh"

app=$1 quotesim=$2 base=$3 shots=$4
launcher=/usr/libexec/at-spi-bus-launcher
python=/usr/bin/python3 # Debian's, which has pyatspi
reader="$(cd "$(dirname "$0")" && pwd)/atspi-menu-items.py"
command -v dbus-run-session >/dev/null && [ -x "$launcher" ] && "$python" -c 'import pyatspi' 2>/dev/null || {
  echo "SKIP: no session bus, at-spi2-core or python3-pyatspi (scripts/install-deps installs them)"
  exit $E2E_SKIP
}
port=$(e2e_site_port "$base")
e2e_private_loopback "$port" "$0" "$@"
if [ -z "${KABU_E2E_BUS:-}" ]; then
  KABU_E2E_BUS=1 exec dbus-run-session --config-file="$(dirname "$0")/../common/session-bus.conf" \
    -- "$BASH" "$0" "$@"
fi
e2e_setup
bus_pid=""
trap 'kabu_stop "$bus_pid"; e2e_cleanup' EXIT
e2e_store_codes 7203
kabu_start_quotesim "$quotesim" "$port" "$E2E_DIR" --walk '7203=3000' || e2e_fail "no simulator"
kabu_start_xvfb "$E2E_DIR" || e2e_fail "no X server"
# The session bus starts nothing on demand, so the accessibility bus is started here.
"$launcher" --launch-immediately >"$E2E_DIR/atspi.log" 2>&1 &
bus_pid=$!
for _ in $(seq 50); do
  dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress \
    >/dev/null 2>&1 && break
  sleep 0.1
done
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
e2e_start_ticker "$app"
strip=$(kabu_wait_for_windows 1 10) || e2e_fail "the status strip did not appear"
prefs=$(e2e_open_preferences "$strip") || e2e_fail "the preferences did not open"
xdotool windowfocus --sync "$prefs" 2>/dev/null || true
read -r x y _ _ < <(kabu_geometry "$prefs")
kabu_click $((x + 60)) $((y + 70)) # the first row, under the toolbar and the table's header
sleep 0.3
xdotool key alt+h # 保有(H)…
sheet=$(e2e_wait_for_window 保有 5) || e2e_fail "Alt+H opened no holding sheet"
xdotool type --delay 50 100
xdotool key Tab
xdotool type --delay 50 2450.5
sleep 0.2
xdotool key Return
conf=$XDG_CONFIG_HOME/kabu-ticker/kabu-ticker.conf
for _ in $(seq 50); do
  grep -q '^KEY_HOLDINGS="7203;shares=100;cost=2450.5"$' "$conf" && break
  sleep 0.1
done
grep -q '^KEY_HOLDINGS="7203;shares=100;cost=2450.5"$' "$conf" ||
  e2e_fail "the holding was not stored: $(cat "$conf")"
echo "holding set through the sheet and stored"

# 100 shares at 2,450.5 yen, priced at 3,000: worth 300,000 yen, 54,950 yen (+22.4 %) up.
want='^評価額 300,000円 / 評価損益 \+54,950円 \(\+22\.4%\) / 前日比 [+-][0-9,]+円$'
summary=""
for _ in $(seq 3); do
  "$python" -u "$reader" kabu-ticker 15 >"$E2E_DIR/items.txt" 2>"$E2E_DIR/atspi-reader.log" &
  reader_pid=$!
  for _ in $(seq 50); do
    grep -q listening "$E2E_DIR/atspi-reader.log" && break
    sleep 0.1
  done
  read -r _ stocks < <(e2e_open_stocks_menu "$strip") || e2e_fail "the stocks menu did not open"
  # shellcheck disable=SC2046 # pointing at the summary gives it the focus
  xdotool mousemove $(kabu_item_point "$stocks" first)
  wait "$reader_pid" || true
  summary=$(grep '^評価額' "$E2E_DIR/items.txt" | head -n1 || true)
  [[ "$summary" =~ $want ]] && break
  e2e_close_menus 1 || true
  sleep 2
done
[[ "$summary" =~ $want ]] ||
  e2e_fail "AT-SPI read '$summary' among: $(cat "$E2E_DIR/items.txt" "$E2E_DIR/atspi-reader.log")"
grep -q '^\[7203\] .* / 評価損益 +54,950円 (+22.4%)$' "$E2E_DIR/items.txt" ||
  e2e_fail "the line of 7203 carries no profit: $(cat "$E2E_DIR/items.txt")"
echo "AT-SPI reads the summary: $summary"
mkdir -p "$shots"
# shellcheck disable=SC2046 # the summary unhighlighted, in its colour
xdotool mousemove $(kabu_item_point "$stocks" last)
sleep 0.3
read -r x y w h < <(kabu_geometry "$stocks")
kabu_screenshot "$shots/holdings-summary.png" "$((w + 20))x$((h + 20))+$((x - 10))+$((y - 10))"
e2e_close_menus 1 || true

took=$(kabu_quit_from_menu "$strip" "$E2E_APP_PID" 1000) || e2e_fail "終了 did not end the process"
echo "quit: the process ended $took ms after the click on 終了"
e2e_expect_clean_exit
echo "PASS (screenshot in $shots)"
