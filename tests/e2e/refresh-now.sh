#!/usr/bin/env bash
# End to end under Xvfb against the simulator: with an hour between passes, a stocks-menu line
# stays as it is across a minute; 今すぐ更新, chosen by keyboard in the status menu, reads the
# page again at once and the line shows the new minute (and the simulator's new volume; its
# price is held).
# usage: refresh-now.sh KABU_TICKER QUOTESIM QUOTE_SITE_BASE_URL
# shellcheck source=tests/e2e/e2e-common.sh
source "$(dirname "$0")/e2e-common.sh"

app=$1 quotesim=$2 base=$3
port=$(e2e_site_port "$base")
e2e_private_loopback "$port" "$0" "$@"
e2e_setup
e2e_store_codes 7203
echo 'KEY_INTERVAL=60' >>"$XDG_CONFIG_HOME/kabu-ticker/kabu-ticker.conf" # one pass, at launch
kabu_start_quotesim "$quotesim" "$port" "$E2E_DIR" --walk '7203=2990' || e2e_fail "no simulator"
kabu_start_xvfb "$E2E_DIR" || e2e_fail "no X server"
e2e_start_ticker "$app"
strip=$(kabu_wait_for_windows 1 10) || e2e_fail "the status strip did not appear"
read -r sx sy sw sh < <(kabu_geometry "$strip")
e2e_wait_for_price "$sx" "$sy" "$sw" "$sh" >/dev/null

# stocks_line NAME: a picture of the open stocks menu, then the menus closed again.
stocks_line() {
  local menus
  menus=$(e2e_open_stocks_menu "$strip") || e2e_fail "hovering 銘柄 opened no stocks menu"
  read -r x y w h < <(kabu_geometry "${menus#* }")
  kabu_screenshot "$E2E_DIR/$1.png" "${w}x${h}+${x}+${y}"
  e2e_close_menus 1 || e2e_fail "the menus did not close"
}

differ() {
  local pixels
  pixels=$(compare -metric AE "$E2E_DIR/$1.png" "$E2E_DIR/$2.png" null: 2>&1 || true)
  [ "${pixels%% *}" != 0 ]
}

stocks_line read
minute=$(date +%H:%M)
while [ "$(date +%H:%M)" = "$minute" ]; do sleep 1; done
stocks_line later
! differ read later || e2e_fail "the line changed without a pass"
echo "a minute later, with no pass due, the line is as it was"

kabu_open_menu "$strip" >/dev/null || e2e_fail "a click on the strip opened no menu"
sleep 0.2                    # the menu takes the keyboard once it is mapped
xdotool key Down Down Return # 銘柄, 今すぐ更新
sleep 3 # one page from the simulator
stocks_line refreshed
differ later refreshed || e2e_fail "今すぐ更新 left the line's time as it was"
echo "今すぐ更新 read the page again: the line shows the new minute"
