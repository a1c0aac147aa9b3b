#!/usr/bin/env bash
# End to end under Xvfb against the simulator: after the first tick the strip shows a price in its
# colour; a real click opens the menu; the first stocks-menu line hands that security's quote
# page to the browser; 終了 ends the process within a second.
# usage: ticker.sh KABU_TICKER QUOTESIM QUOTE_SITE_BASE_URL SCREENSHOT_DIR
# shellcheck source=tests/e2e/e2e-common.sh
source "$(dirname "$0")/e2e-common.sh"

app=$1 quotesim=$2 base=$3 shots=$4
port=$(e2e_site_port "$base")
e2e_private_loopback "$port" "$0" "$@"
e2e_setup
e2e_store_codes 7203 6758 9984
kabu_start_quotesim "$quotesim" "$port" "$E2E_DIR" || e2e_fail "no simulator"
kabu_start_xvfb "$E2E_DIR" || e2e_fail "no X server"
e2e_start_ticker "$app"

strip=$(kabu_wait_for_windows 1 10) || e2e_fail "the status strip did not appear"
read -r sx sy sw sh < <(kabu_geometry "$strip")
echo "strip $sw x $sh at $sx,$sy"

coloured=$(e2e_wait_for_price "$sx" "$sy" "$sw" "$sh")
echo "ticker: $coloured pixels in the price colours"
mkdir -p "$shots"
corner="480x60+$((KABU_SCREEN_WIDTH - 480))+0"
kabu_screenshot "$shots/ticker.png" "$corner"

below="${sw}x60+${sx}+$((sy + sh))"
kabu_screenshot "$E2E_DIR/below-closed.png" "$below"
menu=$(kabu_open_menu "$strip") || e2e_fail "a click on the strip opened no menu"
kabu_screenshot "$E2E_DIR/below-open.png" "$below"
changed=$(compare -metric AE "$E2E_DIR/below-closed.png" "$E2E_DIR/below-open.png" null: 2>&1 || true)
[ "${changed%% *}" -gt 0 ] || e2e_fail "the menu window appeared but nothing changed under the strip"
echo "menu: $changed pixels changed under the strip"

# shellcheck disable=SC2046
xdotool mousemove $(kabu_item_point "$menu" first) # 銘柄
stocks=$(kabu_wait_for_windows 3 5 | grep -vx -e "$strip" -e "$menu") ||
  e2e_fail "hovering 銘柄 opened no stocks menu"
read -r _ my _ mh < <(kabu_geometry "$menu")
read -r kx ky _ kh < <(kabu_geometry "$stocks")
bottom=$((my + mh > ky + kh ? my + mh : ky + kh))
kabu_screenshot "$shots/menu.png" "$((KABU_SCREEN_WIDTH - kx + 10))x$((bottom + 10))+$((kx - 10))+0"

# shellcheck disable=SC2046
xdotool mousemove $(kabu_item_point "$stocks" first)
sleep 0.3
xdotool click 1
for _ in $(seq 100); do
  [ ! -s "$E2E_DIR/browser.log" ] || break
  sleep 0.1
done
sleep 0.5 # a second hand-off would come at once
expected="$base/stocks/detail/?code=7203"
opened=$(cat "$E2E_DIR/browser.log" 2>/dev/null || true)
[ "$opened" = "$expected" ] || e2e_fail "the browser got '$opened', expected '$expected'"
echo "browser: $opened"
kabu_wait_for_windows 1 5 >/dev/null || e2e_fail "the menus stayed open after the choice"

took=$(kabu_quit_from_menu "$strip" "$E2E_APP_PID" 1000) || e2e_fail "終了 did not end the process within 1000 ms"
e2e_expect_clean_exit
echo "quit: the process ended $took ms after the click on 終了"
echo "PASS (screenshots in $shots)"
