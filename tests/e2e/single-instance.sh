#!/usr/bin/env bash
# End to end under Xvfb: a second start while the program runs ends at once with status 0, and
# instead of a second ticker the running one opens its status menu under the strip. Once the
# first is killed (SIGKILL, so its lock file stays behind) the next start runs all the same.
# usage: single-instance.sh KABU_TICKER
# shellcheck source=tests/e2e/e2e-common.sh
source "$(dirname "$0")/e2e-common.sh"

app=$1
e2e_setup # an empty watch list: nothing is fetched
lock=$XDG_RUNTIME_DIR/kabu-ticker-$(id -u).lock
kabu_start_xvfb "$E2E_DIR" || e2e_fail "no X server"

# The program's processes in this test's session, told apart by its runtime directory.
instances() {
  local exe proc
  exe=$(readlink -f "$app")
  for proc in /proc/[0-9]*; do
    [ "$(readlink "$proc/exe" 2>/dev/null)" = "$exe" ] || continue
    if grep -zqxF "XDG_RUNTIME_DIR=$XDG_RUNTIME_DIR" "$proc/environ" 2>/dev/null; then
      echo "${proc#/proc/}"
    fi
  done
}

# start_again STRIP: a further start ends with status 0 within two seconds, and the running
# program's menu opens directly under its strip.
start_again() {
  local strip=$1 second took status=0 windows menu sx sy sh mx my
  QT_QPA_PLATFORM=xcb LANG=C.UTF-8 "$app" >"$E2E_DIR/second.log" 2>&1 &
  second=$!
  took=$(kabu_wait_stopped "$second" 2000) || e2e_fail "a second start still ran after 2 s"
  wait "$second" || status=$?
  [ "$status" -eq 0 ] || e2e_fail "a second start ended with status $status"
  [ ! -s "$E2E_DIR/second.log" ] || e2e_fail "a second start wrote: $(cat "$E2E_DIR/second.log")"
  windows=$(kabu_wait_for_windows 2 5) || e2e_fail "the running program's menu did not open"
  menu=$(grep -vx "$strip" <<<"$windows") || e2e_fail "the strip is gone"
  read -r sx sy _ sh < <(kabu_geometry "$strip")
  read -r mx my _ _ < <(kabu_geometry "$menu")
  if [ "$my" -ne $((sy + sh)) ] || [ "$mx" -gt "$sx" ]; then
    e2e_fail "the menu opened at $mx,$my, not under the strip at $sx,$sy"
  fi
  [ "$(instances | wc -l)" -eq 1 ] || e2e_fail "running: $(instances | xargs)"
  echo "second start: ended after $took ms, the menu opened under the strip"
  xdotool key Escape
  kabu_wait_for_windows 1 5 >/dev/null || e2e_fail "a second strip or the menu stayed on screen"
}

e2e_start_ticker "$app"
strip=$(kabu_wait_for_windows 1 10) || e2e_fail "the status strip did not appear"
start_again "$strip"

{ kill -KILL "$E2E_APP_PID" && wait "$E2E_APP_PID"; } 2>/dev/null || true # no "Killed" note
[ -s "$lock" ] || e2e_fail "the killed program left no lock file at $lock"
e2e_start_ticker "$app"
strip=$(kabu_wait_for_windows 1 10) || e2e_fail "no start after the first was killed"
echo "after SIGKILL: the next start runs"
start_again "$strip"

kabu_quit_from_menu "$strip" "$E2E_APP_PID" 1000 >/dev/null || e2e_fail "終了 did not end the process"
e2e_expect_clean_exit
[ ! -e "$lock" ] || e2e_fail "the lock file outlived the program"
echo "PASS"
