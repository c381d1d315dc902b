#!/usr/bin/env bash
# Installs whatever is missing, builds the native and the Windows configurations and runs every
# test: the native ones directly, the Windows ones under Wine on a virtual display.
set -euo pipefail
source "$(dirname "$0")/tools/common.sh"
cd "$TIREMOLA_ROOT"

ensure_packages
build_preset host
build_preset windows

ensure_wine_prefix "$TIREMOLA_BUILD/windows/wineprefix" desktop
start_virtual_display
trap 'stop_wine; stop_virtual_display' EXIT
start_wine

ctest --preset windows "$@"
