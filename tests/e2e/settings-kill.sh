#!/usr/bin/env bash
# End to end under Xvfb: the program is killed (SIGKILL) at a random moment while rows of its
# watch list are dragged around in the preferences window, round after round. After every kill
# the settings file holds the whole list in one of the orders the drags produced, and the next
# start reads it.
# usage: settings-kill.sh KABU_TICKER QUOTESIM QUOTE_SITE_BASE_URL [ROUNDS (default 200)]
# shellcheck source=tests/e2e/e2e-common.sh
source "$(dirname "$0")/e2e-common.sh"

app=$1 quotesim=$2 base=$3 rounds=${4:-200}
port=$(e2e_site_port "$base")
e2e_private_loopback "$port" "$0" "$@"
e2e_setup
codes=(7203 6758 9984 6501)
e2e_store_codes "${codes[@]}"

# The orders a series of drags of the first row to the end can leave: the rotations of the list.
rotations=()
for ((i = 0; i < ${#codes[@]}; ++i)); do
  rotated=("${codes[@]:i}" "${codes[@]:0:i}")
  rotations+=("$(IFS=,; echo "${rotated[*]}")")
done
is_rotation() {
  local r
  for r in "${rotations[@]}"; do [ "$1" != "$r" ] || return 0; done
  return 1
}

# drag_first_row_to_end PREFERENCES: the table's rows are 30 px high under a 25 px header; a
# drop on the last row's lower edge puts the dragged row after it.
drag_first_row_to_end() {
  local x y _ step
  read -r x y _ _ < <(kabu_geometry "$1")
  xdotool mousemove $((x + 60)) $((y + 70)) mousedown 1 2>/dev/null || return 1
  for step in 1 2 3 4 5 6; do
    xdotool mousemove $((x + 60)) $((y + 70 + 103 * step / 6)) 2>/dev/null || return 1
    sleep 0.03
  done
  xdotool mouseup 1 2>/dev/null
}

kabu_start_quotesim "$quotesim" "$port" "$E2E_DIR" || e2e_fail "no simulator"
kabu_start_xvfb "$E2E_DIR" || e2e_fail "no X server"

changed=0
for ((round = 1; round <= rounds; ++round)); do
  before=$(e2e_stored_codes)
  e2e_start_ticker "$app"
  strip=$(kabu_wait_for_windows 1 10) || e2e_fail "round $round: the status strip did not appear"
  prefs=$(e2e_open_preferences "$strip") || e2e_fail "round $round: no preferences window"
  sleep 0.3 # the first paint, before the rows take a press
  kill_after=$((RANDOM % 1500))
  start=$(date +%s%N)
  for _ in $(seq 50); do
    [ $((($(date +%s%N) - start) / 1000000)) -lt "$kill_after" ] || break
    drag_first_row_to_end "$prefs" || break
  done
  kill -KILL "$E2E_APP_PID"
  wait "$E2E_APP_PID" 2>/dev/null || true
  E2E_APP_PID=""

  after=$(e2e_stored_codes)
  is_rotation "$after" || e2e_fail "round $round: the file holds '$after', not a whole list"
  [ "$after" = "$before" ] || changed=$((changed + 1))
done
# The stranded temporary files of saves cut short; harmless, but worth knowing how many.
stranded=$(find "$XDG_CONFIG_HOME/kabu-ticker" -name 'kabu-ticker.conf.*' | wc -l)
echo "PASS: $rounds kills, $changed after the list had changed; $stranded temporary files stranded"
