#!/usr/bin/env bash
# Two builds side by side: the five budget measures of each, taken in turns in one run, and the
# median of the rounds. A measure whose program a build lacks shows as "-".
# usage: bench/compare.sh BEFORE_BUILD AFTER_BUILD [ROUNDS] [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
before=$(realpath "$1")
after=$(realpath "$2")
rounds=${3:-3}
seconds=${4:-60}
results=$(mktemp)
trap 'rm -f "$results"' EXIT

# record BUILD MEASURE VALUE
record() { [ -z "$3" ] || echo "$1 $2 $3" >>"$results"; }

# value PATTERN: the number after "PATTERN = " in what comes in.
value() { sed -n "s/^$1 = \([0-9.]*\).*/\1/p" | tail -n 1; }

measure() {
  local build=$1 out
  out=$(bench/idle.sh "$build" "$seconds")
  record "$build" idle "$(value 'idle CPU' <<<"$out")"
  record "$build" rss "$(value 'peak RSS ratio' <<<"$out")"
  record "$build" anonymous "$(value 'anonymous memory ratio' <<<"$out")"
  record "$build" start "$(value 'start ratio' <<<"$out")"
  if [ -x "$build/bench/bench_menu" ]; then
    record "$build" menu "$("$build/bench/bench_menu" 2>/dev/null | value 'menu rebuild 1000')"
  fi
  if [ -x "$build/bench/bench_scrape" ]; then
    record "$build" scrape "$("$build/bench/bench_scrape" 2>/dev/null | value 'scrape \/ one parse')"
  fi
}

for round in $(seq "$rounds"); do
  echo "round $round of $rounds, load average $(cut -d' ' -f1-3 /proc/loadavg)" >&2
  measure "$before"
  measure "$after"
done

# median BUILD MEASURE
median() {
  awk -v b="$1" -v m="$2" '$1 == b && $2 == m { print $3 }' "$results" | sort -g |
    awk '{ v[NR] = $1 } END { if (NR == 0) print "-"; else print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'
}

printf '\n%-44s %10s %10s %8s\n' "median of $rounds rounds" before after budget
while IFS='|' read -r key label budget; do
  printf '%-44s %10s %10s %8s\n' "$label" "$(median "$before" "$key")" "$(median "$after" "$key")" \
    "$budget"
done <<'EOF'
idle|idle CPU %, second period (bench/idle.sh)|0.20
rss|peak RSS / minimal label (bench/idle.sh)|1.35
anonymous|anonymous memory / minimal label (bench/idle.sh)|2.0
menu|menu rebuild 1000 ms (bench_menu)|10
scrape|scrape / one parse (bench_scrape)|1.15
start|start to window / minimal label|1.5
EOF
