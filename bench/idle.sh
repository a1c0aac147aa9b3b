#!/usr/bin/env bash
# The idle budget, measured from outside: the ticker with ten securities against the simulator,
# beside a minimal Qt program that shows one label, both under one Xvfb. Prints the time from
# start to the window on screen, the average CPU share of one core over two periods (the first
# with the first refresh pass) and the peak resident memory of each, then the three budget lines:
# `idle CPU = X %` (the ticker over the second period), `peak RSS ratio = X`,
# `anonymous memory ratio = X` (what the program alone adds, heap and thread arenas, after the
# first pass; shared libraries count in the peak only) and `start ratio = X` (ticker ÷ label).
# With --mode panel the ticker shows as a labelled item in MATE's panel (on a session bus of its
# own) instead of the strip; the start is then the time until the item has its first label.
# usage: bench/idle.sh [--mode strip|panel] [BUILD_DIR] [SECONDS]
#        (after building kabu-ticker, quotesim, minimal-label)
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=bench/ticker-session.sh
source bench/ticker-session.sh

if [ "${1:-}" = --mode ]; then
  export KABU_IDLE_MODE=$2 # kept when the script runs again in a loopback of its own
  shift 2
fi
mode=${KABU_IDLE_MODE:-strip}
case $mode in
strip | panel) ;;
*) echo "usage: $0 [--mode strip|panel] [BUILD_DIR] [SECONDS]" >&2 && exit 2 ;;
esac
bench_begin "$0" "$@"
if [ "$mode" = panel ]; then
  kabu_start_session_bus "$work"
  kabu_start_panel "$work"
  bench_pids+=("$KABU_PANEL_PID" "$KABU_BUS_PID")
  printf 'KEY_DISPLAY_PLACE=panel\n' >>"$XDG_CONFIG_HOME/kabu-ticker/kabu-ticker.conf"
fi

# shown PID CLASS: whether the program shows itself: a visible window of the class, or in panel
# mode the ticker's item with a label on the bus.
shown() {
  if [ "$2" = kabu-ticker ] && [ "$mode" = panel ]; then
    gdbus call --session --dest "org.kde.StatusNotifierItem-$1-1" --object-path \
      /StatusNotifierItem --method org.freedesktop.DBus.Properties.Get \
      org.kde.StatusNotifierItem XAyatanaLabel >/dev/null 2>&1
  else
    xdotool search --onlyvisible --class "^$2\$" >/dev/null 2>&1
  fi
}

# launch PROGRAM CLASS: starts it and prints "PID MILLISECONDS", the time until a window of the
# class is on screen (polled, so a few milliseconds late at most).
launch() {
  local start now pid _
  start=$(date +%s%N)
  "$1" >>"$work/$2.log" 2>&1 &
  pid=$!
  for _ in $(seq 2000); do
    if shown "$pid" "$2"; then
      now=$(date +%s%N)
      echo "$pid" $(((now - start) / 1000000))
      return 0
    fi
  done
  echo "$2 did not show a window" >&2
  return 1
}

# median_start PROGRAM CLASS: the median of five launches, each ended once on screen.
median_start() {
  local pid ms times=() _
  for _ in 1 2 3 4 5; do
    read -r pid ms < <(launch "$1" "$2")
    kabu_stop "$pid"
    times+=("$ms")
  done
  printf '%s\n' "${times[@]}" | sort -n | sed -n 3p
}

cpu_ticks() { # user + system time of the process so far, in clock ticks
  sed 's/^.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'
}

anonymous_kib() {
  awk '/^Anonymous:/ { print $2 }' "/proc/$1/smaps_rollup"
}

peak_kib() {
  awk '/^VmHWM:/ { print $2 }' "/proc/$1/status"
}

hz=$(getconf CLK_TCK)
percent() { awk -v t="$1" -v hz="$hz" -v s="$seconds" 'BEGIN { printf "%.3f", 100 * t / hz / s }'; }
mib() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }
row() { printf '%-40s %12s %14s %8s\n' "$@"; }

ticker=$build/src/app/kabu-ticker
label=$build/bench/minimal-label
ticker_start=$(median_start "$ticker" kabu-ticker)
label_start=$(median_start "$label" minimal-label)

read -r ticker_pid _ < <(launch "$ticker" kabu-ticker)
bench_pids+=("$ticker_pid")
read -r label_pid _ < <(launch "$label" minimal-label)
bench_pids+=("$label_pid")
# The first period holds the first refresh pass (ten fetches a second apart); the second only
# the ticking, as most of the ten minutes between passes do.
cpu=()
for period in first second; do
  ticker_before=$(cpu_ticks "$ticker_pid")
  label_before=$(cpu_ticks "$label_pid")
  sleep "$seconds"
  cpu+=("$(percent $(($(cpu_ticks "$ticker_pid") - ticker_before)))")
  cpu+=("$(percent $(($(cpu_ticks "$label_pid") - label_before)))")
  if [ "$period" = first ]; then
    ticker_anonymous=$(anonymous_kib "$ticker_pid")
    label_anonymous=$(anonymous_kib "$label_pid")
  fi
done

printf '\nten securities against the simulator, %s mode, Xvfb %s, load average %s\n' "$mode" "$DISPLAY" \
  "$(cut -d' ' -f1-3 /proc/loadavg)"
row "" kabu-ticker minimal-label budget
row "start to window on screen, median of 5 ms" "$ticker_start" "$label_start" "< 500"
row "CPU % of one core, first ${seconds} s (1st pass)" "${cpu[0]}" "${cpu[1]}" "< 0.5"
row "CPU % of one core, next ${seconds} s (ticking)" "${cpu[2]}" "${cpu[3]}" "< 0.5"
ticker_peak=$(peak_kib "$ticker_pid")
label_peak=$(peak_kib "$label_pid")
row "peak resident memory MiB" "$(mib "$ticker_peak")" "$(mib "$label_peak")" "< 80"
row "Anonymous after the 1st pass MiB" "$(mib "$ticker_anonymous")" "$(mib "$label_anonymous")" ""
echo
echo "idle CPU = ${cpu[2]} %"
awk -v t="$ticker_peak" -v l="$label_peak" 'BEGIN { printf "peak RSS ratio = %.2f\n", t / l }'
awk -v t="$ticker_anonymous" -v l="$label_anonymous" \
  'BEGIN { printf "anonymous memory ratio = %.2f\n", t / l }'
awk -v t="$ticker_start" -v l="$label_start" 'BEGIN { printf "start ratio = %.2f\n", t / l }'
