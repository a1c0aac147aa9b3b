#!/usr/bin/env bash
# Installs the build into a throw-away prefix and checks what landed there.
# usage: install.sh BUILD_DIR VERSION QUOTESIM QUOTE_SITE_BASE_URL
set -euo pipefail

build=$1
shift
work=$(mktemp -d "${TMPDIR:-/tmp}/kabu-install.XXXXXX")
trap 'rm -rf "$work"' EXIT
cmake --install "$build" --prefix "$work/prefix" >"$work/install.log" 2>&1 || {
  cat "$work/install.log" >&2
  exit 1
}
bash "$(dirname "$0")/check-installed.sh" "$work/prefix" "$@"
