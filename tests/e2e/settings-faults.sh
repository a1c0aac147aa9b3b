#!/usr/bin/env bash
# End to end under Xvfb: settings that cannot be read or written. With binary garbage or a folder
# in place of the settings file, a settings folder that is read-only, or a full disk, the program
# starts, takes a security added in the preferences into its list and menu, shows nothing but its
# own windows, and leaves whatever the file held untouched unless it could save whole.
# usage: settings-faults.sh KABU_TICKER QUOTESIM QUOTE_SITE_BASE_URL
# shellcheck source=tests/e2e/e2e-common.sh
source "$(dirname "$0")/e2e-common.sh"

app=$1 quotesim=$2 base=$3
port=$(e2e_site_port "$base")
E2E_UNSHARE_MOUNTS=1 # the read-only folder and the full disk are mounts of the test's own
e2e_private_loopback "$port" "$0" "$@"
e2e_setup
folder=$XDG_CONFIG_HOME/kabu-ticker
settings=$folder/kabu-ticker.conf
added=9984

kabu_start_quotesim "$quotesim" "$port" "$E2E_DIR" || e2e_fail "no simulator"
kabu_start_xvfb "$E2E_DIR" || e2e_fail "no X server"

# stocks_menu_height STRIP WINDOWS: the height of the stocks menu, 0 when 銘柄 opens none; WINDOWS
# is how many windows the program shows with its menus closed.
stocks_menu_height() {
  local stocks h=0
  if read -r _ stocks < <(e2e_open_stocks_menu "$1"); then
    read -r _ _ _ h < <(kabu_geometry "$stocks")
  fi
  e2e_close_menus "$2" || return 1
  echo "$h"
}

# What the settings file is: its kind, mode, size, time of change and contents.
fingerprint() {
  stat -c '%F %a %s %Y' "$settings" 2>/dev/null || true
  [ ! -f "$settings" ] || sha256sum "$settings"
}

# check_case NAME: starts the program on the settings as they are, adds a security in the
# preferences, and checks the menu grew, no other window came up and the file is as expected
# (the fingerprint of what it held, or the added code once the first change could be saved).
check_case() {
  local name=$1 expect_file=$2 fingerprint strip prefs before after leftovers
  fingerprint=$(fingerprint)
  e2e_start_ticker "$app"
  strip=$(kabu_wait_for_windows 1 10) || e2e_fail "$name: the status strip did not appear"
  before=$(stocks_menu_height "$strip" 1) || e2e_fail "$name: the menus did not close"
  prefs=$(e2e_open_preferences "$strip") || e2e_fail "$name: no preferences window"
  sleep 0.3
  e2e_add_code "$prefs" "$added" || e2e_fail "$name: + opened no input sheet"
  # The sheets go once the page is read; nothing else may come up, no error dialog.
  kabu_wait_for_windows 2 10 >/dev/null || e2e_fail "$name: a window other than the program's own"
  after=$(stocks_menu_height "$strip" 2) || e2e_fail "$name: the menus did not close"
  [ "$after" -gt "$before" ] || e2e_fail "$name: the stocks menu did not grow ($before -> $after px)"

  if [ "$expect_file" = kept ]; then
    [ "$fingerprint" = "$(fingerprint)" ] || e2e_fail "$name: the settings file changed"
  else
    [ "$(e2e_stored_codes)" = "$expect_file" ] ||
      e2e_fail "$name: the file holds '$(e2e_stored_codes)', not $expect_file"
  fi
  # A save that failed leaves no temporary file behind either.
  leftovers=$(find "$folder" -mindepth 1 -maxdepth 1 ! -name kabu-ticker.conf ! -name filler)
  [ -z "$leftovers" ] || e2e_fail "$name: left behind: $leftovers"
  kabu_stop "$E2E_APP_PID"
  E2E_APP_PID=""
  echo "$name: the menu grew from $before to $after px; the file: $expect_file"
}

printf '\x00\xff\xfeKEY_CODES\x00[General\n\x89PNG' >"$settings"
check_case "binary garbage" "$added" # the first change replaces what could not be read

rm -f "$settings"
mkdir "$settings"
check_case "a folder in place of the file" kept
rmdir "$settings"

if [ -n "${KABU_E2E_NETNS:-}" ]; then
  e2e_store_codes 7203 6758
  mount --bind "$folder" "$folder" && mount -o remount,bind,ro "$folder" ||
    e2e_fail "could not make the settings folder read-only"
  check_case "a read-only settings folder" kept
  umount "$folder"

  mount -t tmpfs -o size=64k tmpfs "$folder" || e2e_fail "could not mount a small tmpfs"
  e2e_store_codes 7203 6758
  dd if=/dev/zero of="$folder/filler" bs=4k 2>/dev/null || true # until the disk is full
  check_case "a full disk" kept
  umount "$folder"
else
  echo "SKIP: the read-only folder and full disk cases need a mount namespace of their own (root)"
fi
echo PASS
