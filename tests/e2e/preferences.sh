#!/usr/bin/env bash
# End to end under Xvfb against the simulator: 環境設定 in the status menu opens the preferences
# window on its general pane with the stored watch list; the 情報 toolbar item switches to the info
# pane and 一般 back; + with a code with a letter typed in lower case into the input sheet, opened
# again after キャンセル, adds that security in capitals at the end of the stored list and as a
# third line of the stocks menu, which opens its page; 終了 then still ends the process.
# usage: preferences.sh KABU_TICKER QUOTESIM QUOTE_SITE_BASE_URL SCREENSHOT_DIR
# shellcheck source=tests/e2e/e2e-common.sh
source "$(dirname "$0")/e2e-common.sh"

app=$1 quotesim=$2 base=$3 shots=$4
port=$(e2e_site_port "$base")
e2e_private_loopback "$port" "$0" "$@"
e2e_setup
e2e_store_codes 7203 6758
typed=130a # a listing of the simulator whose page reads fine
added=130A

# wait_for_height WINDOW HEIGHT SECONDS: waits until the window is that high (its resizes are
# animated).
wait_for_height() {
  local tries=$(($3 * 20)) h _
  for _ in $(seq "$tries"); do
    read -r _ _ _ h < <(kabu_geometry "$1")
    [ "$h" -ne "$2" ] || return 0
    sleep 0.05
  done
  return 1
}

# wait_for_lower WINDOW HEIGHT SECONDS: waits until the window has settled lower than that and
# prints its new height.
wait_for_lower() {
  local tries=$(($3 * 4)) h last=0 _
  for _ in $(seq "$tries"); do
    read -r _ _ _ h < <(kabu_geometry "$1")
    if [ "$h" -lt "$2" ] && [ "$h" -eq "$last" ]; then
      echo "$h"
      return 0
    fi
    last=$h
    sleep 0.25
  done
  return 1
}

kabu_start_quotesim "$quotesim" "$port" "$E2E_DIR" || e2e_fail "no simulator"
kabu_start_xvfb "$E2E_DIR" || e2e_fail "no X server"
e2e_start_ticker "$app"
strip=$(kabu_wait_for_windows 1 10) || e2e_fail "the status strip did not appear"
read -r sx sy sw sh < <(kabu_geometry "$strip")

# The first tick shows that the stored securities have been read.
e2e_wait_for_price "$sx" "$sy" "$sw" "$sh" >/dev/null

# The stocks menu with the two stored lines, to measure a line against later.
read -r _ stocks < <(e2e_open_stocks_menu "$strip") || e2e_fail "the stocks menu did not open"
read -r _ _ _ two_lines < <(kabu_geometry "$stocks")
e2e_close_menus 1 || e2e_fail "the menus stayed open after Escape"
echo "stocks menu with two lines: $two_lines px high"

prefs=$(e2e_open_preferences "$strip") || e2e_fail "環境設定 opened no preferences window"
kabu_wait_for_windows 2 5 >/dev/null || e2e_fail "the status menu stayed open after 環境設定"
read -r px py pw general_height < <(kabu_geometry "$prefs")
echo "preferences window: $pw x $general_height at $px,$py"
sleep 0.3 # the first paint
mkdir -p "$shots"
kabu_screenshot "$shots/preferences-general.png" "${pw}x${general_height}+${px}+${py}"

# The toolbar items sit side by side in the window's first line, 一般 then 情報, each about two
# characters wide.
toolbar_y=$((py + 16))
kabu_click $((px + 65)) $toolbar_y # 情報
info_height=$(wait_for_lower "$prefs" "$general_height" 5) || {
  kabu_screenshot "$E2E_DIR/info-failed.png"
  e2e_fail "情報 did not bring the info pane (the window stayed $(kabu_geometry "$prefs"))"
}
kabu_screenshot "$shots/preferences-info.png" "${pw}x${info_height}+${px}+${py}"
echo "info pane: the window is $info_height px high"

kabu_click $((px + 24)) $toolbar_y # 一般
wait_for_height "$prefs" "$general_height" 5 || e2e_fail "一般 did not bring the general pane back"
sleep 0.2

# Closed by its キャンセル button, the sheet opens again with the focus in its field: the digits
# typed next go there, and Return adds the code.
sheet=$(e2e_open_add_sheet "$prefs") || e2e_fail "+ opened no input sheet"
xdotool windowfocus --sync "$sheet" 2>/dev/null || true
sleep 0.2
xdotool key Tab space # past the disabled OK to キャンセル, which takes the focus and closes the sheet
for _ in $(seq 50); do
  [ -n "$(timeout 5 xdotool search --onlyvisible --name '^銘柄の追加$' 2>/dev/null)" ] || break
  sleep 0.1
done
[ -z "$(timeout 5 xdotool search --onlyvisible --name '^銘柄の追加$' 2>/dev/null)" ] ||
  e2e_fail "キャンセル did not close the input sheet"
e2e_add_code "$prefs" "$typed" || e2e_fail "+ opened no input sheet a second time"
for _ in $(seq 100); do
  [ "$(e2e_stored_codes)" != "7203,6758" ] && break
  sleep 0.1
done
[ "$(e2e_stored_codes)" = "7203,6758,$added" ] ||
  e2e_fail "the stored list is '$(e2e_stored_codes)', expected 7203,6758,$added"
echo "stored list: $(e2e_stored_codes)"
# The loading sheet goes once the page is read; the strip and the preferences window stay.
kabu_wait_for_windows 2 10 >/dev/null || e2e_fail "the input or loading sheet stayed open"

read -r menu stocks < <(e2e_open_stocks_menu "$strip") || e2e_fail "the stocks menu did not open"
read -r _ my _ mh < <(kabu_geometry "$menu")
read -r kx ky _ three_lines < <(kabu_geometry "$stocks")
line=$((three_lines - two_lines))
echo "stocks menu after the addition: $three_lines px high (a line: $line px)"
margin=$((two_lines - 2 * line)) # the menu's frame, less than a line
if [ "$line" -lt 12 ] || [ "$margin" -lt 0 ] || [ "$margin" -ge "$line" ]; then
  e2e_fail "the stocks menu went from $two_lines to $three_lines px, not one line more"
fi
sleep 0.2
bottom=$((my + mh > ky + three_lines ? my + mh : ky + three_lines))
kabu_screenshot "$shots/preferences-added-menu.png" \
  "$((KABU_SCREEN_WIDTH - kx + 10))x$((bottom + 10))+$((kx - 10))+0"
kabu_click $((kx + 40)) $((ky + margin / 2 + 2 * line + line / 2)) # the third line
e2e_expect_opened "$base/stocks/detail/?code=$added" "the third line"

menu=$(kabu_open_menu "$strip") || e2e_fail "the status menu did not open for 終了"
# shellcheck disable=SC2046
xdotool mousemove $(kabu_item_point "$menu" last)
sleep 0.3 # the entry under the pointer is selected on motion
start=$(date +%s%N)
xdotool click 1
took=$(kabu_wait_stopped "$E2E_APP_PID" 2000 "$start") ||
  e2e_fail "終了 with the preferences window open did not end the process within 2 s"
e2e_expect_clean_exit
echo "quit: the process ended $took ms after the click on 終了"
echo "PASS (screenshots in $shots)"
