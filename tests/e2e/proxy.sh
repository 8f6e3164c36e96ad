#!/usr/bin/env bash
# The proxy variables apply: with http_proxy pointing at fakehub, a request for another host reaches fakehub
# as a proxy request (the absolute address in its request line); a request for the loopback goes direct.
#   proxy.sh NORVANE_BIN FAKEHUB_BIN SCENARIO
set -u
norvane="$1"; fakehub="$2"; scenario="$3"
work="$(mktemp -d -t norvane-proxy.XXXXXX)"
hub=""
cleanup() {
    if [ -n "$hub" ]; then kill "$hub" 2>/dev/null; wait "$hub" 2>/dev/null; fi
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "proxy: $*" >&2; cat "$work/hub.log" >&2; exit 1; }

"$fakehub" --scenario "$scenario" --log-requests >"$work/hub.log" 2>&1 &
hub=$!
for _ in $(seq 100); do [ -s "$work/hub.log" ] && break; sleep 0.1; done
base="$(head -n 1 "$work/hub.log")"
[ -n "$base" ] || fail "fakehub did not start"

run() { # API_URL: one `prs` run through the proxy variables, signed in as the demo user
    http_proxy="$base" HTTP_PROXY="$base" no_proxy="" T=demo-token \
        timeout 30 "$norvane" prs --json --api-url "$1" --profile "$work/profile-$RANDOM" --user mona --token-env T \
        >/dev/null 2>>"$work/cli.log"
}
run "http://github.invalid:8080"
grep -q "GET http://github.invalid:8080/search/issues" "$work/hub.log" || fail "the request did not go through the proxy"
run "$base"
run_ok=$?
[ "$run_ok" -eq 0 ] || { cat "$work/cli.log" >&2; fail "a loopback address did not go direct (exit $run_ok)"; }
echo "proxy: another host went through http_proxy, the loopback went direct"
