# shellcheck shell=bash disable=SC2034 # the constants and pids are the callers' to read
# Shell helpers for running and driving kabu-ticker on a private X server, sourced by ./run, the
# end-to-end tests and the idle benchmark. Every wait is bounded; callers kill what they start.

KABU_UP_COLOUR='#007300'   # rgb(0,115,0): a price at or above the previous close
KABU_DOWN_COLOUR='#C41A1A' # rgb(196,26,26): a price below it
KABU_SCREEN_WIDTH=1280      # of the X servers started here
KABU_SCREEN_HEIGHT=800

# Whether nothing listens on the loopback port.
kabu_port_free() {
  ! (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}

# kabu_start_xvfb DIR: starts Xvfb on a display it finds free; sets DISPLAY and KABU_XVFB_PID.
kabu_start_xvfb() {
  local number_file=$1/xvfb.display
  : >"$number_file"
  # -noreset: a program killed as the last client would otherwise make the server reset, and one
  # started at that moment could not connect.
  Xvfb -displayfd 3 -screen 0 "${KABU_SCREEN_WIDTH}x${KABU_SCREEN_HEIGHT}x24" -nolisten tcp -noreset 3>"$number_file" >"$1/xvfb.log" 2>&1 &
  KABU_XVFB_PID=$!
  local _
  for _ in $(seq 100); do
    [ -s "$number_file" ] && break
    sleep 0.1
  done
  if [ ! -s "$number_file" ]; then
    echo "Xvfb did not start:" >&2
    cat "$1/xvfb.log" >&2
    return 1
  fi
  DISPLAY=":$(head -n1 "$number_file")"
  export DISPLAY
}

# kabu_start_quotesim PROGRAM PORT DIR [OPTION...]: starts the simulator and waits until it
# listens; sets KABU_SIM_PID.
kabu_start_quotesim() {
  local program=$1 port=$2 out=$3/quotesim.out
  shift 3
  "$program" --port "$port" "$@" >"$out" 2>&1 &
  KABU_SIM_PID=$!
  local _
  for _ in $(seq 100); do
    grep -q '^http://' "$out" && return 0
    kill -0 "$KABU_SIM_PID" 2>/dev/null || break
    sleep 0.1
  done
  echo "the quote-site simulator did not start on port $port:" >&2
  cat "$out" >&2
  return 1
}

# The ids of the program's visible windows: the status strip and any open menus.
# xdotool has been seen to wait forever for an answer from Xvfb, so a call is bounded too.
kabu_windows() {
  timeout 5 xdotool search --onlyvisible --class '^kabu-ticker$' 2>/dev/null || true
}

# kabu_wait_for_windows COUNT SECONDS: waits until the program shows COUNT windows and prints
# their ids, newest last.
kabu_wait_for_windows() {
  local want=$1 tries=$(($2 * 20)) windows _
  for _ in $(seq "$tries"); do
    windows=$(kabu_windows)
    if [ "$(printf '%s' "$windows" | grep -c .)" -eq "$want" ]; then
      printf '%s\n' "$windows"
      return 0
    fi
    sleep 0.05
  done
  return 1
}

# kabu_geometry WINDOW: prints "X Y WIDTH HEIGHT" of the window on the screen.
kabu_geometry() {
  xwininfo -id "$1" | awk '
    /Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
    /Width:/ { w = $NF } /Height:/ { h = $NF } END { print x, y, w, h }'
}

# kabu_click X Y: moves the pointer there and clicks the left button.
kabu_click() {
  xdotool mousemove "$1" "$2" click 1
}

# kabu_screenshot FILE [WxH+X+Y]: the root window, or a part of it.
kabu_screenshot() {
  if [ -n "${2:-}" ]; then
    import -window root -crop "$2" +repage "$1"
  else
    import -window root "$1"
  fi
}

# kabu_count_colour FILE COLOUR: how many pixels of the picture have exactly that colour.
kabu_count_colour() {
  convert "$1" txt:- | grep -ci " $2 " || true
}

# kabu_open_menu STRIP: clicks the strip and prints the id of the menu that opens; other windows
# of the program (the preferences window, its sheets) may be open meanwhile.
kabu_open_menu() {
  local before count x y w h
  before=$(kabu_windows)
  count=$(printf '%s' "$before" | grep -c .)
  read -r x y w h < <(kabu_geometry "$1")
  kabu_click $((x + w / 2)) $((y + h / 2))
  kabu_wait_for_windows $((count + 1)) 5 | grep -vxF "$before"
}

# kabu_item_point MENU first|last: a point inside the first or the last entry of an open menu,
# as "X Y" (an entry is at least a line of text high).
kabu_item_point() {
  local x y w h
  read -r x y w h < <(kabu_geometry "$1")
  if [ "$2" = first ]; then
    echo $((x + w / 3)) $((y + 11))
  else
    echo $((x + w / 3)) $((y + h - 11))
  fi
}

# kabu_stopped PID: whether the process has ended (gone, or a zombie waiting for its parent).
kabu_stopped() {
  local state
  state=$(awk '{ print $3 }' "/proc/$1/stat" 2>/dev/null) || return 0
  [ -z "$state" ] || [ "$state" = Z ]
}

# kabu_wait_stopped PID MILLISECONDS [START_NS]: waits for the process to end; prints the
# milliseconds from START_NS (default: now) to its end, fails when it did not end in time.
kabu_wait_stopped() {
  local pid=$1 limit=$2 start=${3:-$(date +%s%N)} now
  while :; do
    now=$(date +%s%N)
    if kabu_stopped "$pid"; then
      echo $(((now - start) / 1000000))
      return 0
    fi
    [ $(((now - start) / 1000000)) -lt "$limit" ] || return 1
    sleep 0.005
  done
}

# kabu_quit_from_menu STRIP PID MILLISECONDS: chooses 終了 in the status menu and prints how long
# the process took to end after the click; fails when it outlives the limit.
kabu_quit_from_menu() {
  local strip=$1 pid=$2 limit=$3 menu point
  menu=$(kabu_open_menu "$strip") || { echo "the status menu did not open" >&2; return 1; }
  point=$(kabu_item_point "$menu" last)
  # shellcheck disable=SC2086
  xdotool mousemove $point
  sleep 0.3 # the entry under the pointer is selected on motion
  local start
  start=$(date +%s%N)
  xdotool click 1
  kabu_wait_stopped "$pid" "$limit" "$start"
}

# kabu_bus_has NAME: whether the name has an owner on the session bus.
kabu_bus_has() {
  timeout 5 gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
    --method org.freedesktop.DBus.NameHasOwner "$1" 2>/dev/null | grep -q true
}

# kabu_start_session_bus DIR: a session bus of its own, which starts services on demand as a
# desktop session's does; sets DBUS_SESSION_BUS_ADDRESS and KABU_BUS_PID.
kabu_start_session_bus() {
  dbus-daemon --session --fork --print-address=3 --print-pid=4 3>"$1/bus.address" \
    4>"$1/bus.pid" >"$1/bus.log" 2>&1 || { cat "$1/bus.log" >&2; return 1; }
  DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$1/bus.address")
  KABU_BUS_PID=$(head -n1 "$1/bus.pid")
  export DBUS_SESSION_BUS_ADDRESS
}

# kabu_start_panel DIR: starts MATE's panel, whose notification area hosts status items and
# draws their labels, with its settings in memory; waits for its StatusNotifierWatcher on the
# session bus and sets KABU_PANEL_PID.
kabu_start_panel() {
  export GSETTINGS_BACKEND=memory
  # The applets are started by the bus, which must hand them the display.
  dbus-update-activation-environment DISPLAY GSETTINGS_BACKEND HOME XDG_CONFIG_HOME \
    XDG_DATA_HOME XDG_CACHE_HOME XDG_RUNTIME_DIR >"$1/panel.log" 2>&1
  mate-panel >>"$1/panel.log" 2>&1 &
  KABU_PANEL_PID=$!
  local _
  for _ in $(seq 100); do
    kabu_bus_has org.kde.StatusNotifierWatcher && return 0
    sleep 0.1
  done
  echo "mate-panel's notification area did not come up:" >&2
  cat "$1/panel.log" >&2
  return 1
}

# kabu_stop PID...: ends the processes and waits a little for them.
kabu_stop() {
  local pid
  for pid in "$@"; do
    if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; fi
  done
  for pid in "$@"; do
    if [ -n "$pid" ]; then kabu_wait_stopped "$pid" 3000 >/dev/null || true; fi
  done
}
