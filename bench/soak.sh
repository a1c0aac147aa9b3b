#!/usr/bin/env bash
# The whole program over a long run: the ticker with forty securities (some of them failing every
# fetch) against the simulator under Xvfb, the shortest refresh interval, and the status menu
# opened every half minute. Samples resident memory every ten seconds and fails when it grew by
# more than GROWTH_KB after the first refresh pass, or when the log holds anything but the fixed
# lines of pages that could not be read.
# usage: bench/soak.sh [BUILD_DIR (default build)] [SECONDS (default 600)] [GROWTH_KB (default 1024)]
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=tests/e2e/e2e-common.sh
source tests/e2e/e2e-common.sh

build=$(realpath "${1:-build}")
seconds=${2:-600}
growth_kb=${3:-1024}
base=$(sed -n 's/^QUOTE_SITE_BASE_URL:STRING=//p' "$build/CMakeCache.txt")
port=$(e2e_site_port "$base")
e2e_private_loopback "$port" "$0" "$build" "$seconds" "$growth_kb"
e2e_setup

# 36 listings and four codes that fail: not found, a server error, an error status with a quote
# page, a redirect.
codes=(7203 6758 9984 7974 8306 9432 6501 6861 8035 4063 6098 8058 8001 6902 7267 4502 6367 9433
  8766 6981 4568 7741 6954 8031 9983 6273 4519 6594 7751 8411 6702 1605 2802 3382 4661 2914
  0000 9991 9992 9994)
e2e_store_codes "${codes[@]}"
printf 'KEY_INTERVAL=5\n' >>"$XDG_CONFIG_HOME/kabu-ticker/kabu-ticker.conf"

kabu_start_quotesim "$build/tools/quotesim/quotesim" "$port" "$E2E_DIR" || e2e_fail "no simulator"
kabu_start_xvfb "$E2E_DIR" || e2e_fail "no X server"
e2e_start_ticker "$build/src/app/kabu-ticker"
strip=$(kabu_wait_for_windows 1 10) || e2e_fail "the status strip did not appear"

rss_kb() { awk '/^VmRSS:/ { print $2 }' "/proc/$E2E_APP_PID/status"; }

# The first pass takes a second and a fetch per security; memory is counted from its end.
warm_up=$((${#codes[@]} + 20))
start=$(date +%s)
baseline="" peak=0 samples=0
while :; do
  elapsed=$(($(date +%s) - start))
  [ "$elapsed" -lt "$seconds" ] || break
  kabu_stopped "$E2E_APP_PID" && e2e_fail "the program ended after $elapsed s"
  if [ $((samples % 3)) -eq 0 ]; then # the menu, every half minute
    kabu_open_menu "$strip" >/dev/null || e2e_fail "the status menu did not open after $elapsed s"
    e2e_close_menus 1 || e2e_fail "the status menu did not close after $elapsed s"
  fi
  rss=$(rss_kb)
  if [ "$elapsed" -ge "$warm_up" ]; then
    [ -n "$baseline" ] || baseline=$rss
    [ "$rss" -le "$peak" ] || peak=$rss
  fi
  samples=$((samples + 1))
  sleep 10
done
final=$(rss_kb)
[ -n "$baseline" ] || e2e_fail "the run was shorter than the warm-up ($warm_up s)"

fixed='Unable to parse\.|Unable to create XPath context\.|Unable to evaluate XPath\.|Nodes was nil\.'
unexpected=$(grep -Evc "^[0-9-]+ [0-9:.]+ kabu-ticker\[[0-9]+\] ($fixed)\$" "$E2E_DIR/ticker.log" || true)
echo "soak: $seconds s, $samples samples; resident memory after warm-up ${baseline} kB," \
  "peak ${peak} kB, at the end ${final} kB; $(wc -l <"$E2E_DIR/ticker.log") log lines," \
  "$unexpected unexpected"
[ "$unexpected" -eq 0 ] || e2e_fail "the log holds lines other than the fixed ones"
[ $((final - baseline)) -le "$growth_kb" ] ||
  e2e_fail "resident memory grew by $((final - baseline)) kB after the warm-up"
echo PASS
