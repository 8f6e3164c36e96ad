# Sourced by the e2e scripts that run a desktop of their own (wayland_tray.sh, shells.sh). Those desktops refuse
# to run as root, so under root (CI) the session runs as `nobody` (setpriv) with its own runtime directory and
# home, in a clean environment: nothing of the caller's display, bus or runtime directory leaks in.

# new_session_dir NAME: sets $work to a fresh directory whose run/, home/ and shots/ the session's user owns.
new_session_dir() {
    work="$(mktemp -d -t "$1.XXXXXX")"
    chmod 755 "$work"
    mkdir -p "$work/run" "$work/home" "$work/shots" "$shots"
    chmod 700 "$work/run"
    as=()
    if [ "$(id -u)" -eq 0 ]; then
        chown nobody:nogroup "$work/run" "$work/home" "$work/shots"
        as=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
    fi
}

# run_session [VAR=VALUE...] COMMAND...: COMMAND as the session's user on a session bus of its own; then the
# pictures it took go to $shots, the tails of its logs are printed if it failed, and the script exits with its
# status.
run_session() {
    "${as[@]}" env -i PATH="$PATH" HOME="$work/home" XDG_RUNTIME_DIR="$work/run" TMPDIR="$work/home" \
        ASAN_OPTIONS="${ASAN_OPTIONS:-}" UBSAN_OPTIONS="${UBSAN_OPTIONS:-}" LSAN_OPTIONS="${LSAN_OPTIONS:-}" \
        "$@"
    local status=$?
    cp "$work"/shots/*.png "$shots"/ 2>/dev/null
    [ "$status" -eq 0 ] || { for log in "$work"/home/*.log; do echo "--- $log" >&2; tail -n 30 "$log" >&2; done; }
    exit "$status"
}

# Inside the session.
fail() { echo "$(basename "$0" .sh): $*" >&2; exit 1; }
wait_for() { # DESCRIPTION SECONDS COMMAND...
    local what="$1" limit="$2"; shift 2
    for _ in $(seq $((limit * 10))); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
    fail "no $what within ${limit}s"
}
bus_has() { gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
    --method org.freedesktop.DBus.NameHasOwner "$1" | grep -q true; }
