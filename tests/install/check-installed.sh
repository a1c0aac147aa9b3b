#!/usr/bin/env bash
# Checks an installed tree (an install prefix, or the usr/ of an unpacked package): exactly the
# program and its desktop files are there, the validators accept them, they name each other
# rightly, and the installed program starts under Xvfb and shows prices from the simulator.
# usage: check-installed.sh ROOT VERSION QUOTESIM QUOTE_SITE_BASE_URL
# shellcheck source=tests/e2e/e2e-common.sh
source "$(dirname "$0")/../e2e/e2e-common.sh"

root=$1 version=$2 quotesim=$3 base=$4
port=$(e2e_site_port "$base")
e2e_private_loopback "$port" "$0" "$@"

app_id=io.github.kabuticker.KabuTicker
icons=$(dirname "$0")/../../dist/linux/icons
desktop=$root/share/applications/$app_id.desktop
metainfo=$root/share/metainfo/$app_id.metainfo.xml

# What must be installed, and nothing else: no test, tool or benchmark rides along.
expected_files() {
  printf '%s\n' bin/kabu-ticker "share/applications/$app_id.desktop" \
    "share/metainfo/$app_id.metainfo.xml" share/doc/kabu-ticker/copyright
  (cd "$icons" && find hicolor -type f \( -name '*.png' -o -name '*.svg' \)) | sed 's|^|share/icons/|'
}
unexpected=$(diff <(expected_files | sort) <(cd "$root" && find . ! -type d | sed 's|^\./||' | sort)) ||
  e2e_fail "the installed files differ from the expected ones (< missing, > extra):"$'\n'"$unexpected"
for icon in scalable/apps/$app_id.svg 48x48/apps/$app_id.png scalable/status/$app_id-status.svg; do
  [ -s "$root/share/icons/hicolor/$icon" ] || e2e_fail "no icon $icon"
done
echo "files: $(expected_files | wc -l) as expected"

desktop-file-validate "$desktop" || e2e_fail "desktop-file-validate rejects $desktop"
appstreamcli validate --no-net "$metainfo" || e2e_fail "appstreamcli rejects $metainfo"

key() { sed -n "s/^$1=//p" "$desktop"; }
exec_program=$(key Exec)
[ -x "$root/bin/${exec_program%% *}" ] || e2e_fail "Exec=$exec_program starts no installed program"
[ -s "$root/share/icons/hicolor/scalable/apps/$(key Icon).svg" ] ||
  e2e_fail "Icon=$(key Icon) names no installed icon"
launchable=$(xmllint --xpath 'string(/component/launchable[@type="desktop-id"])' "$metainfo")
[ "$launchable" = "$(basename "$desktop")" ] || e2e_fail "the metainfo launches '$launchable'"
release=$(xmllint --xpath 'string(/component/releases/release[1]/@version)' "$metainfo")
[ "$release" = "$version" ] || e2e_fail "the newest release in the metainfo is '$release', not $version"
# A run path into the build tree would load the build's libraries, or none once it is gone.
if readelf -d "$root/bin/kabu-ticker" | grep -E 'R(UN)?PATH'; then
  e2e_fail "the installed program carries a run path"
fi
echo "desktop entry, metainfo and program agree (version $version)"

e2e_setup
e2e_store_codes 7203 6758
kabu_start_quotesim "$quotesim" "$port" "$E2E_DIR" || e2e_fail "no simulator"
kabu_start_xvfb "$E2E_DIR" || e2e_fail "no X server"
e2e_start_ticker "$root/bin/kabu-ticker"
strip=$(kabu_wait_for_windows 1 10) || e2e_fail "the installed program showed no window"
read -r sx sy sw sh < <(kabu_geometry "$strip")
coloured=$(e2e_wait_for_price "$sx" "$sy" "$sw" "$sh")
echo "installed program: strip $sw x $sh at $sx,$sy, $coloured pixels in the price colours"
kabu_quit_from_menu "$strip" "$E2E_APP_PID" 3000 >/dev/null || e2e_fail "終了 did not end the installed program"
e2e_expect_clean_exit
echo "PASS"
