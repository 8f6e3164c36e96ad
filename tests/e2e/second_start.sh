#!/usr/bin/env bash
# One norvane per user and profile: a second start hands over to the running one and leaves at once with
# status 0; five starts at the same moment give one running norvane; after the running one is killed, its
# socket file does not keep the next start from running.
#   second_start.sh NORVANE_BINARY
set -u
norvane="$1"
work="$(mktemp -d -t norvane-second.XXXXXX)"
first=""
cleanup() {
    if [ -n "$first" ]; then kill -9 "$first" 2>/dev/null; wait "$first" 2>/dev/null; fi
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "second_start: $*" >&2; for f in "$work"/*.log; do echo "--- $f" >&2; cat "$f" >&2; done; exit 1; }

export QT_QPA_PLATFORM=offscreen HOME="$work/home" XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/home/config"
mkdir -p "$work/run" "$HOME" && chmod 700 "$work/run"
banner="Norvane starting up"

"$norvane" --profile "$work/profile" --quit-after 60 >"$work/first.log" 2>&1 &
first=$!
for _ in $(seq 200); do
    grep -q "$banner" "$work/first.log" && compgen -G "$work/run/norvane-*.socket" >/dev/null && break
    sleep 0.05
done
grep -q "$banner" "$work/first.log" || fail "the first start did not come up"

timeout 20 "$norvane" --profile "$work/profile" --quit-after 30 >"$work/second.log" 2>&1
status=$?
[ "$status" -eq 0 ] || fail "the second start exited with $status"
grep -q "$banner" "$work/second.log" && fail "the second start started a second app"
kill -0 "$first" 2>/dev/null || fail "the first start is gone"

# Five starts at once (login autostart and clicks in the menu): exactly one runs, the others hand over
# and exit 0.
pids=()
for i in 1 2 3 4 5; do
    timeout 60 "$norvane" --profile "$work/five" --quit-after 10 >"$work/five-$i.log" 2>&1 &
    pids+=("$!")
done
for i in 0 1 2 3 4; do
    wait "${pids[$i]}"
    status=$?
    [ "$status" -eq 0 ] || fail "start $((i + 1)) of five exited with $status"
done
running=$(grep -l "$banner" "$work"/five-*.log | wc -l)
[ "$running" -eq 1 ] || fail "five starts at once ran $running instances"

# A crash leaves the socket file behind; the next start still runs.
kill -9 "$first"; wait "$first" 2>/dev/null; first=""
compgen -G "$work/run/norvane-*.socket" >/dev/null || fail "expected the killed start's socket file"
timeout 30 "$norvane" --profile "$work/profile" --quit-after 1 >"$work/third.log" 2>&1
status=$?
[ "$status" -eq 0 ] || fail "the start after a crash exited with $status"
grep -q "$banner" "$work/third.log" || fail "the start after a crash did not run"
echo "second_start: handed over, five starts made one, and started after a crash"
