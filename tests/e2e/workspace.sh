#!/usr/bin/env bash
# End to end under Xvfb with a real window manager (openbox): the strip is a panel item. It sits
# at the top-right corner of the work area, asks to be on every workspace and out of taskbars and
# pagers, is still shown on the second workspace, where a click on it still opens the menu, and
# never takes the focus.
# usage: workspace.sh KABU_TICKER
# shellcheck source=tests/e2e/e2e-common.sh
source "$(dirname "$0")/e2e-common.sh"

app=$1
command -v openbox >/dev/null || {
  echo "SKIP: no openbox (scripts/install-deps installs it)"
  exit $E2E_SKIP
}
e2e_setup # an empty watch list: the strip shows the title
wm_pid=""
trap 'kabu_stop "$wm_pid"; e2e_cleanup' EXIT
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
read -r x y w h < <(kabu_geometry "$strip")
# The first workspace's work area: "_NET_WORKAREA = X, Y, W, H, ...".
read -r ax ay aw _ < <(xprop -root -notype _NET_WORKAREA | tr -d ',' | awk '{ print $3, $4, $5, $6 }')
if [ $((x + w)) -ne $((ax + aw)) ] || [ "$y" -ne "$ay" ]; then
  e2e_fail "the strip is at $x,$y ($w x $h), not at the top-right of the work area at $ax,$ay"
fi
echo "strip: $w x $h at $x,$y"

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
