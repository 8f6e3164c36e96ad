#!/usr/bin/env bash
# The tray on Wayland: sway's headless backend with waybar's tray (a StatusNotifierItem host and watcher) and
# norvane on Qt's native Wayland platform, on a session bus of their own. sway refuses to run as root, so
# under root (CI) the session runs as `nobody` (setpriv) with its own runtime directory and home.
# The journey: the icon registers with the watcher; Activate (what the host calls on a click) shows the panel
# window, a second hides it; the menu's DBusMenu lists "Open Norvane", "Refresh", "Settings..." and "Quit
# Norvane", its "Open Norvane" opens the panel (floated top right by the sway rule of docs/desktops.md), and "Quit
# Norvane" ends norvane with status 0. grim pictures the bar and the panel.
#   wayland_tray.sh NORVANE_BIN FAKEHUB_BIN SCREENSHOT_DIR
set -u
norvane_bin="$1" fakehub_bin="$2" shots="$3"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
. "$root/tests/e2e/session_user.sh"

if [ -z "${WAYLAND_TRAY_INNER:-}" ]; then
    for tool in sway waybar grim swaymsg gdbus dbus-run-session setpriv python3; do
        command -v "$tool" >/dev/null || { echo "wayland_tray: $tool is missing; run scripts/install-deps" >&2; exit 1; }
    done
    new_session_dir norvane-wayland
    trap 'rm -rf "$work"' EXIT
    run_session WAYLAND_TRAY_INNER="$work" dbus-run-session -- "$0" "$norvane_bin" "$fakehub_bin" "$work/shots"
fi

# Inside the session, as the unprivileged user.
work="$WAYLAND_TRAY_INNER/home"
pids=()
cleanup() { for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done; wait 2>/dev/null; }
trap cleanup EXIT

cat >"$work/waybar.json" <<'JSON'
{"layer": "top", "position": "top", "height": 28, "modules-right": ["tray"], "tray": {"icon-size": 22, "spacing": 6}}
JSON
cat >"$work/sway.conf" <<CONF
output HEADLESS-1 resolution 1280x720 position 0 0
# The rule of docs/desktops.md: the panel floats in the top right corner.
for_window [app_id="com.norvane.app"] floating enable, move position 100 ppt 0, move left 570 px, move down 40 px
exec waybar -c $work/waybar.json
CONF
WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman sway -c "$work/sway.conf" >"$work/sway.log" 2>&1 &
pids+=($!)
wait_for "Wayland display from sway" 15 sh -c 'ls "$XDG_RUNTIME_DIR" | grep -q "^wayland-[0-9]*$"'
export WAYLAND_DISPLAY="$(ls "$XDG_RUNTIME_DIR" | grep '^wayland-[0-9]*$' | head -n 1)"
export SWAYSOCK="$(ls "$XDG_RUNTIME_DIR"/sway-ipc.*.sock | head -n 1)"
wait_for "StatusNotifierWatcher from waybar" 20 bus_has org.kde.StatusNotifierWatcher

QT_QPA_PLATFORM=wayland NORVANE_BIN="$norvane_bin" FAKEHUB_BIN="$fakehub_bin" "$root/scripts/demo" --quit-after 120 \
    >"$work/demo.log" 2>&1 &
demo=$!
pids+=($demo)

items() { gdbus call --session --dest org.kde.StatusNotifierWatcher --object-path /StatusNotifierWatcher \
    --method org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierWatcher RegisteredStatusNotifierItems; }
wait_for "StatusNotifierItem registered with waybar's watcher" 60 sh -c "$(declare -f items); items | grep -q \"'\""
# An entry is "SERVICE/PATH" or a bare service whose item lives at /StatusNotifierItem.
item="$(items | grep -o "'[^']*'" | head -n 1 | tr -d "'")"
service="${item%%/*}"
path="/${item#*/}"
[ "$path" = "/$item" ] && path=/StatusNotifierItem
sni() { gdbus call --session --dest "$service" --object-path "$path" "$@"; }

# The panel window as sway sees it: "visible floating x y width" or nothing.
panel() { swaymsg -t get_tree | python3 -c '
import json, sys
def walk(node, floating=False):
    if node.get("app_id") == "com.norvane.app" and node.get("name") == "Norvane":
        r = node["rect"]
        print("%s %s %d %d %d" % (node.get("visible"), floating, r["x"], r["y"], r["width"]))
    for child in node.get("nodes", []):
        walk(child, floating)
    for child in node.get("floating_nodes", []):
        walk(child, True)
walk(json.load(sys.stdin))'; }
shown() { panel | grep -q '^True'; }
hidden() { ! shown; }

sleep 1
grim "$WAYLAND_TRAY_INNER/shots/wayland-bar.png"
sni --method org.kde.StatusNotifierItem.Activate 0 0 >/dev/null || fail "Activate failed"
wait_for "panel after Activate" 20 shown
read -r _ floating x y width < <(panel)
[ "$floating" = True ] && [ "$((x + width))" -ge 1200 ] && [ "$((x + width))" -le 1280 ] && [ "$y" -le 120 ] ||
    fail "the panel is not floated top right by the rule of docs/desktops.md: $(panel)"
sni --method org.kde.StatusNotifierItem.Activate 0 0 >/dev/null || fail "the second Activate failed"
wait_for "panel hidden after a second Activate" 10 hidden

# The context menu, as the host reads it over DBusMenu.
menu="$(sni --method org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierItem Menu | grep -o "'[^']*'" | tr -d "'")"
[ -n "$menu" ] || fail "the item names no menu"
layout="$(gdbus call --session --dest "$service" --object-path "$menu" --method com.canonical.dbusmenu.GetLayout 0 'int32 -1' '@as []')"
entries="$(python3 -c '
import re, sys
for ident, props in re.findall(r"\((\d+), \{([^{}]*)\}", sys.argv[1]):
    label = re.search(r"'"'"'label'"'"': <'"'"'([^'"'"']*)'"'"'>", props)
    if label and "separator" not in props:
        print(ident, label.group(1))' "$layout")"
labels="$(cut -d' ' -f2- <<<"$entries" | paste -sd '|')"
[ "$labels" = "Open Norvane|Refresh|Settings...|Quit Norvane" ] || fail "menu items: $labels (menu $menu: $layout)"
open_id="$(awk '$2 == "Open" {print $1}' <<<"$entries")"
quit_id="$(awk '$2 == "Quit" {print $1}' <<<"$entries")"
gdbus call --session --dest "$service" --object-path "$menu" --method com.canonical.dbusmenu.Event \
    "$open_id" clicked '<0>' 0 >/dev/null || fail "the menu's Event failed"
wait_for "panel after Open Norvane" 10 shown
sleep 1
grim "$WAYLAND_TRAY_INNER/shots/wayland-panel.png"

gdbus call --session --dest "$service" --object-path "$menu" --method com.canonical.dbusmenu.Event \
    "$quit_id" clicked '<0>' 0 >/dev/null
for _ in $(seq 300); do kill -0 "$demo" 2>/dev/null || break; sleep 0.1; done
kill -0 "$demo" 2>/dev/null && fail "norvane did not quit from the menu"
wait "$demo"
code=$?
[ "$code" -eq 0 ] || { cat "$work/demo.log" >&2; fail "norvane ended with status $code"; }
grep -E "AddressSanitizer|runtime error" "$work/demo.log" >&2 && fail "sanitizer report"
echo "wayland_tray: item $service$path; Activate opened the panel at $x,$y (floating), a second closed it; menu: $labels"
