#!/usr/bin/env bash
# End to end under Xvfb: 終了 ends the process within a second, every time, while the program is
# busy: in the middle of a refresh pass, while a fetch hangs on a slow quote page, and while an
# add task waits for such a page behind the loading sheet.
# usage: quit-under-load.sh KABU_TICKER QUOTESIM QUOTE_SITE_BASE_URL [TRIES EACH (default 50)]
# shellcheck source=tests/e2e/e2e-common.sh
source "$(dirname "$0")/e2e-common.sh"

app=$1 quotesim=$2 base=$3 tries=${4:-50}
port=$(e2e_site_port "$base")
e2e_private_loopback "$port" "$0" "$@"
e2e_setup
slow=9993 # the simulator holds this page back
kabu_start_quotesim "$quotesim" "$port" "$E2E_DIR" --slow-seconds 120 || e2e_fail "no simulator"
kabu_start_xvfb "$E2E_DIR" || e2e_fail "no X server"

# Waits until the program has a connection to the simulator open.
wait_for_fetch() {
  local _
  for _ in $(seq 100); do
    ! ss -tnpH state established "( dport = :$port )" | grep -q "pid=$E2E_APP_PID," || return 0
    sleep 0.1
  done
  return 1
}

# Each state: the watch list it starts with, and the way into it once the strip is up.
# A pass over ten securities, a fetch and a second's pause each; quit at some point in it.
in_a_pass_codes=(7203 6758 9984 6501 8306 9432 7974 4063 6098 8035)
in_a_pass() {
  wait_for_fetch || return 1
  sleep "0.$((RANDOM % 10))$((RANDOM % 10))"
}

# The first fetch of the pass hangs on the slow page.
in_a_stalled_fetch_codes=("$slow" 7203)
in_a_stalled_fetch() {
  wait_for_fetch || return 1
  sleep 0.5
}

# The add task fetches the slow page while the loading sheet shows.
in_an_add_task_codes=(7203)
in_an_add_task() {
  local prefs
  prefs=$(e2e_open_preferences "$1") || return 1
  sleep 0.3
  e2e_add_code "$prefs" "$slow" || return 1
  e2e_wait_for_window 取得中 5 >/dev/null || return 1
  sleep 0.5
}

for state in in_a_pass in_a_stalled_fetch in_an_add_task; do
  slowest=0
  for ((try = 1; try <= tries; ++try)); do
    codes="${state}_codes[@]"
    e2e_store_codes "${!codes}"
    e2e_start_ticker "$app"
    strip=$(kabu_wait_for_windows 1 10) || e2e_fail "$state, try $try: no status strip"
    "$state" "$strip" || e2e_fail "$state, try $try: the program did not get there"
    took=$(kabu_quit_from_menu "$strip" "$E2E_APP_PID" 1000) ||
      e2e_fail "$state, try $try: 終了 did not end the process within a second"
    e2e_expect_clean_exit
    [ "$took" -le "$slowest" ] || slowest=$took
  done
  echo "$state: $tries quits, the slowest ended $slowest ms after the click on 終了"
done
echo PASS
