#!/usr/bin/env bash
# End to end under Xvfb with a real system tray (trayer): without a tray the program shows no
# icon and writes no warning; a tray started later gets the icon, and so does one that is there
# before the program; a real click on the icon opens the status menu beside it, whose 終了 ends
# the program.
# usage: tray.sh KABU_TICKER
# shellcheck source=tests/e2e/e2e-common.sh
source "$(dirname "$0")/e2e-common.sh"

app=$1
command -v trayer >/dev/null || {
  echo "SKIP: no trayer (scripts/install-deps installs it)"
  exit $E2E_SKIP
}
e2e_setup # an empty watch list: nothing is fetched
tray_pid=""
trap 'kabu_stop "$tray_pid"; e2e_cleanup' EXIT
kabu_start_xvfb "$E2E_DIR" || e2e_fail "no X server"

start_tray() {
  trayer --edge bottom --align right --widthtype request --height 24 >"$E2E_DIR/trayer.log" 2>&1 &
  tray_pid=$!
}

# expect_icon STRIP: waits for the icon to be docked in the tray and prints its window.
expect_icon() {
  local windows icon panel px py pw ph x y w h
  windows=$(kabu_wait_for_windows 2 10) || e2e_fail "no icon appeared in the tray"
  icon=$(grep -vx "$1" <<<"$windows")
  panel=$(timeout 5 xdotool search --onlyvisible --name '^panel$' | head -n1)
  read -r px py pw ph < <(kabu_geometry "$panel")
  read -r x y w h < <(kabu_geometry "$icon")
  if [ "$x" -lt "$px" ] || [ "$y" -lt "$py" ] || [ $((x + w)) -gt $((px + pw)) ] ||
    [ $((y + h)) -gt $((py + ph)) ]; then
    e2e_fail "the icon at $x,$y is not in the tray at $px,$py"
  fi
  for _ in $(seq 30); do # docked first, painted a moment later
    kabu_screenshot "$E2E_DIR/icon.png" "${w}x${h}+${x}+${y}"
    [ "$(convert "$E2E_DIR/icon.png" -format %k info:)" -le 2 ] || break
    sleep 0.1
  done
  [ "$(convert "$E2E_DIR/icon.png" -format %k info:)" -gt 2 ] || e2e_fail "the icon is blank"
  echo "$icon"
}

# quit_through_icon STRIP ICON: a click on the icon opens the status menu at the pointer, on
# the tray; its last entry, 終了, ends the program.
quit_through_icon() {
  local x y w h menu
  read -r x y w h < <(kabu_geometry "$2")
  kabu_click $((x + w / 2)) $((y + h / 2))
  menu=$(kabu_wait_for_windows 3 5 | grep -vx -e "$1" -e "$2") ||
    e2e_fail "a click on the icon opened no menu"
  read -r _ y _ _ < <(kabu_geometry "$menu")
  [ "$y" -gt $((KABU_SCREEN_HEIGHT / 2)) ] || e2e_fail "the menu opened at the top, not at the icon"
  # shellcheck disable=SC2046
  xdotool mousemove $(kabu_item_point "$menu" last)
  sleep 0.3 # the entry under the pointer is selected on motion
  xdotool click 1
  xdotool mousemove $((KABU_SCREEN_WIDTH / 2)) $((KABU_SCREEN_HEIGHT / 2)) # off the tray
  kabu_wait_stopped "$E2E_APP_PID" 3000 >/dev/null || e2e_fail "終了 did not end the program"
  e2e_expect_clean_exit
  [ ! -s "$E2E_DIR/ticker.log" ] || e2e_fail "the program wrote to its log"
}

e2e_start_ticker "$app"
strip=$(kabu_wait_for_windows 1 10) || e2e_fail "the status strip did not appear"
sleep 1 # the icon would be asked for along with the strip
[ "$(kabu_windows | wc -l)" -eq 1 ] || e2e_fail "a window besides the strip with no tray"
[ ! -s "$E2E_DIR/ticker.log" ] || e2e_fail "the program wrote to its log with no tray"
echo "no tray: no icon, nothing in the log"

start_tray
icon=$(expect_icon "$strip")
echo "a tray started later: the icon is in it"
quit_through_icon "$strip" "$icon"
echo "a click on the icon opened the status menu; 終了 ended the program"

e2e_start_ticker "$app"
windows=$(kabu_wait_for_windows 2 10) || e2e_fail "the strip and the icon did not both appear"
for window in $windows; do
  read -r _ y _ _ < <(kabu_geometry "$window")
  [ "$y" -ne 0 ] || strip=$window # the strip is at the top of the screen, the tray at the bottom
done
icon=$(expect_icon "$strip")
echo "a tray there before the program: the icon is in it"
quit_through_icon "$strip" "$icon"
echo "PASS"
