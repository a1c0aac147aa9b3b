# shellcheck shell=bash disable=SC2034 # build, seconds and work are the callers' to read
# Sourced by the benchmarks that run the ticker from outside: ten securities against the quote-site
# simulator, a throw-away home and an Xvfb of their own. Callers kill what it starts.
# shellcheck source=scripts/x11-session.sh
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/x11-session.sh"

# bench_site_port BUILD_DIR: the simulator's port the build's quote site names.
bench_site_port() {
  local base
  base=$(sed -n 's/^QUOTE_SITE_BASE_URL:STRING=//p' "$1/CMakeCache.txt")
  if [[ ! "$base" =~ ^http://127\.0\.0\.1:([0-9]+)$ ]]; then
    echo "built for the quote site $base; the benchmark needs the simulator on loopback" >&2
    return 1
  fi
  echo "${BASH_REMATCH[1]}"
}

# bench_private_loopback SCRIPT ARG...: as root, runs the script again with a loopback of its
# own, where the site's fixed port is surely free.
bench_private_loopback() {
  if [ -z "${KABU_BENCH_NETNS:-}" ] && [ "$(id -u)" -eq 0 ] && unshare -n true 2>/dev/null; then
    KABU_BENCH_NETNS=1 exec unshare -n -- "$BASH" "$@"
  fi
  [ -z "${KABU_BENCH_NETNS:-}" ] || ip link set lo up
}

# bench_start_session BUILD_DIR PORT WORK: the home with ten securities, the simulator and Xvfb.
bench_start_session() {
  export HOME=$3/home XDG_CONFIG_HOME=$3/home/.config XDG_RUNTIME_DIR=$3/runtime
  mkdir -p "$XDG_CONFIG_HOME/kabu-ticker" "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
  printf '[General]\nKEY_CODES=%s\n' \
    "7203, 6758, 9984, 7974, 8306, 9432, 6501, 6861, 8035, 4063" \
    >"$XDG_CONFIG_HOME/kabu-ticker/kabu-ticker.conf"
  if kabu_port_free "$2"; then
    kabu_start_quotesim "$1/tools/quotesim/quotesim" "$2" "$3"
  else
    echo "note: port $2 is taken; measuring against the quote site already listening there"
  fi
  kabu_start_xvfb "$3"
  export QT_QPA_PLATFORM=xcb
}

# bench_begin SCRIPT [BUILD_DIR] [SECONDS]: sets build, seconds and work, runs the script again
# with a loopback of its own when it can, and starts the session. On exit it stops the pids the
# caller has added to bench_pids, the simulator and Xvfb.
bench_begin() {
  build=$(realpath "${2:-build}")
  seconds=${3:-60}
  local port
  port=$(bench_site_port "$build")
  bench_private_loopback "$1" "$build" "$seconds"
  work=$(mktemp -d)
  bench_pids=()
  KABU_SIM_PID=""
  KABU_XVFB_PID=""
  trap 'kabu_stop "${bench_pids[@]}" "$KABU_SIM_PID" "$KABU_XVFB_PID"; rm -rf "$work"' EXIT
  bench_start_session "$build" "$port" "$work"
}
