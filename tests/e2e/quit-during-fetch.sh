#!/usr/bin/env bash
# End to end under Xvfb: 終了 while the first fetch of a refresh pass hangs on a slow quote page
# still ends the process within about a second.
# usage: quit-during-fetch.sh KABU_TICKER QUOTESIM QUOTE_SITE_BASE_URL
# shellcheck source=tests/e2e/e2e-common.sh
source "$(dirname "$0")/e2e-common.sh"

app=$1 quotesim=$2 base=$3
port=$(e2e_site_port "$base")
e2e_private_loopback "$port" "$0" "$@"
e2e_setup
e2e_store_codes 9993 7203 # the simulator holds 9993's page back
kabu_start_quotesim "$quotesim" "$port" "$E2E_DIR" --slow-seconds 120 || e2e_fail "no simulator"
kabu_start_xvfb "$E2E_DIR" || e2e_fail "no X server"
e2e_start_ticker "$app"

strip=$(kabu_wait_for_windows 1 10) || e2e_fail "the status strip did not appear"
fetching=""
for _ in $(seq 100); do
  fetching=$(ss -tnpH state established "( dport = :$port )" | grep "pid=$E2E_APP_PID," || true)
  [ -z "$fetching" ] || break
  sleep 0.1
done
[ -n "$fetching" ] || e2e_fail "the program never connected to the simulator"
sleep 1.5 # well into the fetch

took=$(kabu_quit_from_menu "$strip" "$E2E_APP_PID" 1000) ||
  e2e_fail "終了 during a hanging fetch did not end the process within a second"
e2e_expect_clean_exit
echo "quit during a fetch: the process ended $took ms after the click on 終了"
echo PASS
