#!/usr/bin/env bash
# End to end under Xvfb, on a session bus of its own with a real notification daemon (dunst): a
# price alert set by keyboard in the preferences is stored; when the simulator moves the price
# across it, one notification reaches dunst with the security, its price and the rule; dunst's
# default action hands the quote page to the browser; the price staying across fires no more.
# usage: alert.sh KABU_TICKER QUOTESIM QUOTE_SITE_BASE_URL SCREENSHOT_DIR
# shellcheck source=tests/e2e/e2e-common.sh
source "$(dirname "$0")/e2e-common.sh"

app=$1 quotesim=$2 base=$3 shots=$4
for tool in dunst dunstctl dbus-run-session dbus-monitor; do
  command -v "$tool" >/dev/null || {
    echo "SKIP: no $tool (scripts/install-deps installs it)"
    exit $E2E_SKIP
  }
done
port=$(e2e_site_port "$base")
e2e_private_loopback "$port" "$0" "$@"
if [ -z "${KABU_E2E_BUS:-}" ]; then
  KABU_E2E_BUS=1 exec dbus-run-session --config-file="$(dirname "$0")/../common/session-bus.conf" \
    -- "$BASH" "$0" "$@"
fi
icons=$(cd "$(dirname "$0")/../../dist/linux/icons/hicolor/48x48/apps" && pwd)
e2e_setup
daemon_pid="" monitor_pid=""
trap 'kabu_stop "$daemon_pid" "$monitor_pid"; e2e_cleanup' EXIT
e2e_store_codes 7203
echo 'KEY_INTERVAL=0.05' >>"$XDG_CONFIG_HOME/kabu-ticker/kabu-ticker.conf" # a pass every 3 s
# 2,990 for the passes while the alert is set, then across 3,000 for good.
kabu_start_quotesim "$quotesim" "$port" "$E2E_DIR" --walk '7203=2990*12,3010' ||
  e2e_fail "no simulator"
kabu_start_xvfb "$E2E_DIR" || e2e_fail "no X server"

cat >"$E2E_DIR/dunstrc" <<DUNSTRC
[global]
    font = "Noto Sans CJK JP 11"
    origin = top-right
    offset = 10x40
    width = 380
    frame_width = 1
    frame_color = "#8a8a8a"
    icon_path = $icons
    max_icon_size = 48
    format = "<b>%s</b>\n%b"
[urgency_normal]
    background = "#2b2b2b"
    foreground = "#f0f0f0"
    timeout = 0
DUNSTRC
dbus-monitor "interface='org.freedesktop.Notifications',member='Notify'" >"$E2E_DIR/bus.log" 2>&1 &
monitor_pid=$!
dunst -config "$E2E_DIR/dunstrc" >"$E2E_DIR/dunst.log" 2>&1 &
daemon_pid=$!
for _ in $(seq 50); do
  dunstctl is-paused >/dev/null 2>&1 && break
  sleep 0.1
done
dunstctl is-paused >/dev/null 2>&1 || e2e_fail "dunst did not start: $(cat "$E2E_DIR/dunst.log")"

e2e_start_ticker "$app"
strip=$(kabu_wait_for_windows 1 10) || e2e_fail "the status strip did not appear"
prefs=$(e2e_open_preferences "$strip") || e2e_fail "the preferences did not open"
sheet=$(e2e_open_row_sheet "$prefs" alt+a アラート) || e2e_fail "Alt+A opened no alert sheet"
xdotool type --delay 50 3000
sleep 0.3
mkdir -p "$shots"
read -r x y w h < <(kabu_geometry "$sheet")
kabu_screenshot "$shots/alert-sheet.png" "$((w + 20))x$((h + 20))+$((x - 10))+$((y - 10))"
xdotool key Return
for _ in $(seq 50); do
  grep -q '^KEY_ALERTS="7203;above=3000"$' "$XDG_CONFIG_HOME/kabu-ticker/kabu-ticker.conf" && break
  sleep 0.1
done
grep -q '^KEY_ALERTS="7203;above=3000"$' "$XDG_CONFIG_HOME/kabu-ticker/kabu-ticker.conf" ||
  e2e_fail "the alert was not stored: $(cat "$XDG_CONFIG_HOME/kabu-ticker/kabu-ticker.conf")"
echo "alert set by keyboard and stored"

for _ in $(seq 600); do
  [ "$(dunstctl count displayed)" -lt 1 ] || break
  sleep 0.1
done
[ "$(dunstctl count displayed)" -ge 1 ] || e2e_fail "no notification on screen within 60 s"
grep -q '^KEY_ALERTS=' "$XDG_CONFIG_HOME/kabu-ticker/kabu-ticker.conf" || e2e_fail "alerts lost"
sleep 1 # drawn a moment after it is counted
kabu_screenshot "$shots/alert.png" "560x180+$((KABU_SCREEN_WIDTH - 560))+0"
summary=$(grep -A4 'member=Notify' "$E2E_DIR/bus.log" | grep -o 'string "7203 [^"]*"' | head -n1)
[[ "$summary" =~ ^string\ \"7203\ トヨタ自動車\ ¥3,010\ \(\+[0-9,]+\)\"$ ]] ||
  e2e_fail "the notification's summary was $summary"
grep -q 'string "アラート「¥3,000 以上」に達しました"' "$E2E_DIR/bus.log" ||
  e2e_fail "the notification does not name the rule"
grep -q 'string "io.github.kabuticker.KabuTicker"' "$E2E_DIR/bus.log" ||
  e2e_fail "the notification has not the program's icon"
echo "dunst shows: $summary"

dunstctl action 0
for _ in $(seq 100); do
  [ ! -s "$E2E_DIR/browser.log" ] || break
  sleep 0.1
done
opened=$(cat "$E2E_DIR/browser.log" 2>/dev/null || true)
[ "$opened" = "$base/stocks/detail/?code=7203" ] || e2e_fail "the action opened '$opened'"
echo "its action opened $opened"

sleep 8 # more passes at 3,010
notified=$(grep -c 'member=Notify' "$E2E_DIR/bus.log")
[ "$notified" -eq 1 ] || e2e_fail "$notified notifications for one crossing"
echo "one notification for one crossing"

took=$(kabu_quit_from_menu "$strip" "$E2E_APP_PID" 1000) || e2e_fail "終了 did not end the process"
echo "quit: the process ended $took ms after the click on 終了"
e2e_expect_clean_exit
echo "PASS (screenshots in $shots)"
