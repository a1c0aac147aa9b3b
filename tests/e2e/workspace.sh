#!/usr/bin/env bash
# End to end under Xvfb with a real window manager (openbox): the strip is a panel item. It sits
# at the top-right corner of the screen and reserves that place, so a maximised window's frame
# never covers it; under a panel that reserves the top edge it moves below that panel, and it
# follows the screen's corner when the screen shrinks. It asks
# to be on every workspace and out of taskbars and pagers, is still shown on the second
# workspace, where a click on it still opens the menu, and never takes the focus.
# usage: workspace.sh KABU_TICKER SCREENSHOT_DIR
# shellcheck source=tests/e2e/e2e-common.sh
source "$(dirname "$0")/e2e-common.sh"

app=$1 shots=$2
for tool in openbox wmctrl xrandr; do
  command -v $tool >/dev/null || {
    echo "SKIP: no $tool (scripts/install-deps installs it)"
    exit $E2E_SKIP
  }
done
e2e_setup # an empty watch list: the strip shows the title
wm_pid="" maximised_pid="" panel_pid=""
trap 'kabu_stop "$wm_pid" "$maximised_pid" "$panel_pid"; e2e_cleanup' EXIT
kabu_start_xvfb "$E2E_DIR" || e2e_fail "no X server"

# A window manager with four workspaces, as openbox's default configuration has.
openbox --sm-disable >"$E2E_DIR/openbox.log" 2>&1 &
wm_pid=$!
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.1
done
xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id' || e2e_fail "openbox did not start"
timeout 5 xdotool set_num_desktops 4

e2e_start_ticker "$app"
strip=$(kabu_wait_for_windows 1 10) || e2e_fail "the status strip did not appear"

# settle COMMAND...: waits up to five seconds for the command to succeed.
settle() {
  local _
  for _ in $(seq 50); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}
# cardinals WINDOW PROPERTY: its numbers, separated by spaces.
cardinals() { xprop -id "$1" -notype "$2" | sed 's/.*= //; s/,//g'; }
# The first workspace's work area: "X Y W H".
work_area() { xprop -root -notype _NET_WORKAREA | tr -d ',' | awk '{ print $3, $4, $5, $6 }'; }
# frame WINDOW: "X Y W H" of the window with the frame openbox drew around it.
frame() {
  local x y w h l r t b
  read -r x y w h < <(kabu_geometry "$1")
  read -r l r t b < <(cardinals "$1" _NET_FRAME_EXTENTS)
  echo $((x - l)) $((y - t)) $((w + l + r)) $((h + t + b))
}
# in_place TOP: the strip is at the right edge of the work area, TOP pixels down, reserves the
# band from the screen's top to its bottom, the work area begins under it, and the maximised
# window's frame fills the work area, so it never meets the strip.
in_place() {
  local x y w h ax ay aw
  read -r x y w h < <(kabu_geometry "$strip")
  read -r ax ay aw _ < <(work_area)
  [ "$y" -eq "$1" ] && [ $((x + w)) -eq $((ax + aw)) ] && [ "$ay" -eq $((y + h)) ] &&
    [ "$(cardinals "$strip" _NET_WM_STRUT_PARTIAL)" = "0 0 $ay 0 0 0 0 0 $x $((x + w - 1)) 0 0" ] &&
    [ "$(cardinals "$strip" _NET_WM_STRUT)" = "0 0 $ay 0" ] && [ "$(frame "$maximised")" = "$(work_area)" ]
}
# expect_in_place TOP WHAT
expect_in_place() {
  local ok=true seen
  settle in_place "$1" || ok=false
  seen="strip $(kabu_geometry "$strip"), work area $(work_area), maximised $(frame "$maximised")"
  $ok || e2e_fail "$2: $seen, strut $(cardinals "$strip" _NET_WM_STRUT_PARTIAL)"
  echo "$2: $seen"
}
# open_window TITLE: opens an xmessage window with that title; sets window and window_pid.
open_window() {
  xmessage -title "$1" "$1" >/dev/null 2>&1 &
  window_pid=$!
  window=$(timeout 5 xdotool search --sync --onlyvisible --name "^$1\$" | head -n1)
  [ -n "$window" ]
}

open_window kabu-maximised || e2e_fail "no window to maximise"
maximised=$window maximised_pid=$window_pid
wmctrl -i -r "$maximised" -b add,maximized_vert,maximized_horz
expect_in_place 0 "a maximised window"
mkdir -p "$shots"
kabu_screenshot "$shots/workspace-maximised.png"

# A panel across the top edge, 40 pixels high, as a desktop's own panel reserves it.
open_window kabu-panel || e2e_fail "no window to stand for a panel"
panel_pid=$window_pid
xprop -id "$window" -f _NET_WM_STRUT_PARTIAL 32c -set _NET_WM_STRUT_PARTIAL \
  "0, 0, 40, 0, 0, 0, 0, 0, 0, $((KABU_SCREEN_WIDTH - 1)), 0, 0"
expect_in_place 40 "under a panel"

# The screen shrinks to 1024 x 600, as a small laptop's.
output=$(xrandr | awk '/ connected/ { print $1; exit }')
xrandr --newmode 1024x600 60 1024 1024 1024 1024 600 600 600 600
xrandr --addmode "$output" 1024x600
xrandr --output "$output" --mode 1024x600 --fb 1024x600
expect_in_place 40 "on a 1024 x 600 screen"

# property NAME: the strip's property as xprop prints it.
property() { xprop -id "$strip" "$1"; }
# Openbox keeps "on every workspace" in _NET_WM_DESKTOP alone and drops the sticky state.
for state in SKIP_TASKBAR SKIP_PAGER ABOVE; do
  property _NET_WM_STATE | grep -q "_NET_WM_STATE_$state" ||
    e2e_fail "the strip lacks _NET_WM_STATE_$state: $(property _NET_WM_STATE)"
done
property _NET_WM_WINDOW_TYPE | grep -q _NET_WM_WINDOW_TYPE_DOCK ||
  e2e_fail "the strip is not a dock: $(property _NET_WM_WINDOW_TYPE)"
property _NET_WM_DESKTOP | grep -q '= 4294967295$' ||
  e2e_fail "the strip is not on all workspaces: $(property _NET_WM_DESKTOP)"
echo "hints: $(property _NET_WM_STATE)"

timeout 5 xdotool set_desktop 1
for _ in $(seq 50); do
  [ "$(timeout 5 xdotool get_desktop)" = 1 ] && break
  sleep 0.1
done
[ "$(timeout 5 xdotool get_desktop)" = 1 ] || e2e_fail "openbox did not switch to the second workspace"
xwininfo -id "$strip" | grep -q 'IsViewable' || e2e_fail "the strip is gone on the second workspace"
echo "workspace 2: the strip is shown"

menu=$(kabu_open_menu "$strip") || e2e_fail "a click on the strip opened no menu on the second workspace"
active=$(xprop -root _NET_ACTIVE_WINDOW | grep -o '0x[0-9a-f]*' || echo 0) # none: "not found."
[ "$((active))" -ne "$((strip))" ] || e2e_fail "the strip took the focus"
e2e_close_menus 1 || e2e_fail "the menu stayed open after Escape"
echo "PASS: the menu opened on the second workspace; the strip never had the focus"
