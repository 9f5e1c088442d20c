#!/usr/bin/env bash
# Starts the program. Without a display (a bare console or CI box) it runs under Xvfb.
set -euo pipefail
program="$1"; shift || true
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: starting the program under Xvfb on :99"
    exec xvfb-run -a -s "-screen 0 1280x800x24" "$program" "$@"
fi
# On Wayland, windows cannot stay on top, pick their own position or use a colour key;
# XWayland gives us all three.
if [ -n "${WAYLAND_DISPLAY:-}" ] && [ -n "${DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    export QT_QPA_PLATFORM=xcb
fi
exec "$program" "$@"
