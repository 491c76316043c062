#!/bin/sh
# Runs a test program on a virtual X screen of the size given (WIDTHxHEIGHT)
# with a real window manager, which frames each window after it has shown,
# as the window managers of a desktop do. Exits 77 (skipped) where Xvfb or
# the window manager is not installed.
#   with_window_manager.sh 1366x768 program [args...]
size=$1
shift
command -v xvfb-run >/dev/null 2>&1 && command -v openbox >/dev/null 2>&1 || exit 77
exec xvfb-run -a -s "-screen 0 ${size}x24 -nolisten tcp" sh -c '
    home=$(mktemp -d)
    # The window manager runs its start-up command once it manages the screen.
    HOME=$home openbox --sm-disable --startup "touch $home/ready" >/dev/null 2>&1 &
    wm=$!
    i=0
    while [ ! -e "$home/ready" ] && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done
    "$@"
    rc=$?
    kill "$wm" 2>/dev/null
    wait "$wm" 2>/dev/null
    rm -rf "$home"
    exit "$rc"' sh "$@"
