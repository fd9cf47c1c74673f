#!/bin/sh
# Runs a program on a virtual X display of its own, for `make run` on a machine with no display:
#
#   tools/run-on-virtual-display.sh PROGRAM [ARGUMENT...]
#
# The display server (Xvfb) runs in a session of its own, so Ctrl+C and the hang-up of the
# terminal reach the program alone, which ends as it does on a desktop; the display server is
# stopped, and its files and this script's removed, once the program has ended. The exit status
# is the program's, or 0 when Ctrl+C came before the program was started.
set -u

dir=$(mktemp -d "${TMPDIR:-/tmp}/tallix-display.XXXXXX") || exit 1
xvfb=
ready=
stopped=
# Caught, not ignored: the program started below gets the default actions back, and this script
# waits for it and cleans up after it. Xvfb tells it is ready with SIGUSR1.
trap 'stopped=1' INT HUP TERM
trap 'ready=1' USR1

clean_up() {
    if [ -n "$xvfb" ]; then
        kill -TERM "$xvfb" 2>/dev/null
        wait "$xvfb" 2>/dev/null
    fi
    rm -rf "$dir"
}

# An authority file with one random cookie for any display: only who holds it gets in.
{
    printf '\377\377\000\000\000\000\000\022MIT-MAGIC-COOKIE-1\000\020'
    head -c 16 /dev/urandom
} >"$dir/auth"

# The first display number from 99 on that no server holds (as xvfb-run -a chooses it); the next
# one when another server takes it first. Xvfb started with SIGUSR1 ignored sends it to its parent
# once it takes clients; it leaves its lock file /tmp/.X<n>-lock until it is stopped.
number=99
while [ -z "$stopped" ] && [ -z "$ready" ]; do
    while [ -e "/tmp/.X$number-lock" ] && [ "$number" -lt 199 ]; do
        number=$((number + 1))
    done
    ready=
    (trap '' USR1 INT; exec setsid Xvfb ":$number" -nolisten tcp -auth "$dir/auth" \
        -screen 0 1280x1024x24 </dev/null >"$dir/log" 2>&1) &
    xvfb=$!
    waited=0
    while [ -z "$ready" ] && [ -z "$stopped" ] && kill -0 "$xvfb" 2>/dev/null; do
        if [ "$waited" -ge 300 ]; then
            echo "The virtual display (Xvfb) did not start within 30 seconds." >&2
            clean_up
            exit 1
        fi
        sleep 0.1
        waited=$((waited + 1))
    done
    if [ -z "$ready" ] && [ -z "$stopped" ]; then
        wait "$xvfb" 2>/dev/null
        xvfb=
        if [ "$number" -ge 199 ]; then
            echo "The virtual display (Xvfb) did not start:" >&2
            cat "$dir/log" >&2
            clean_up
            exit 1
        fi
        number=$((number + 1))
    fi
done

status=0
if [ -z "$stopped" ]; then
    DISPLAY=":$number" XAUTHORITY="$dir/auth" "$@"
    status=$?
fi
clean_up
exit "$status"
