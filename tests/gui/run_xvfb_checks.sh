#!/bin/sh
# Runs the GUI checks under a real X server (Xvfb), then starts the real program
# there and reads its main window's title back from the X server.
# Usage: run_xvfb_checks.sh CHECKS_EXECUTABLE PINLOOM_EXECUTABLE
# Exits 77 (skipped) when Xvfb is not installed.
set -eu
checks=$1
pinloom=$2
command -v xvfb-run >/dev/null 2>&1 || { echo "xvfb-run not found: skipped"; exit 77; }
command -v Xvfb >/dev/null 2>&1 || { echo "Xvfb not found: skipped"; exit 77; }
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb

xvfb-run -a -s "-screen 0 1280x1024x24" "$checks"

command -v xwininfo >/dev/null 2>&1 || { echo "xwininfo not found: title of the real program not read"; exit 0; }
xvfb-run -a -s "-screen 0 1280x1024x24" sh -c '
  "$1" &
  pid=$!
  found=no
  for i in $(seq 1 50); do
    if xwininfo -root -tree | grep -q "\"Pinloom Programmer - V 1.0.0.5\""; then found=yes; break; fi
    sleep 0.2
  done
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  echo "main window title on the X server: $found"
  [ "$found" = yes ]
' sh "$pinloom"
