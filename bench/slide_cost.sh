#!/usr/bin/env bash
# What the ticker's slides cost in instructions, which the machine's load does not change: the
# ticker with ten securities runs under callgrind, counting from the end of its first refresh pass
# for the given seconds, one slide every five. Prints `instructions per slide = X`.
# usage: bench/slide_cost.sh [BUILD_DIR] [SECONDS]   (after building kabu-ticker and quotesim)
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=bench/ticker-session.sh
source bench/ticker-session.sh

bench_begin "$0" "$@"

valgrind --tool=callgrind --instr-atstart=no --callgrind-out-file="$work/callgrind.out" \
  "$build/src/app/kabu-ticker" >"$work/ticker.log" 2>&1 &
ticker_pid=$!
bench_pids+=("$ticker_pid")
# Ten fetches a second apart, slowed down by the emulation.
sleep 60
callgrind_control -i on "$ticker_pid" >/dev/null 2>&1
sleep "$seconds"
callgrind_control -d "$ticker_pid" >/dev/null 2>&1
kabu_stop "$ticker_pid"

# The slides are the calls of animationDidEnd; names are written once, then by number.
awk '
  /^c?fn=\([0-9]+\)/ { match($0, /\([0-9]+\)/); id = substr($0, RSTART, RLENGTH)
                       if (index($0, "StripPresenter::animationDidEnd")) slide = id }
  /^cfn=/ { match($0, /\([0-9]+\)/); callee = substr($0, RSTART, RLENGTH) }
  /^calls=/ && callee == slide { split($0, c, /[= ]/); slides += c[2] }
  /^summary:/ { total = $2 }
  END {
    printf "slides = %d, instructions = %d\n", slides, total
    if (slides) printf "instructions per slide = %.0f\n", total / slides
  }' "$work/callgrind.out.1"
