#!/usr/bin/env bash
# The tray icon on both kinds of tray host, inside scripts/desktop-session with the matching
# DESKTOP_SESSION_TRAY: "sni", xfce4-panel's status tray (norvane registers a StatusNotifierItem with the
# watcher; such hosts give no icon geometry, so the panel opens near the pointer), or "xembed", trayer (the
# icon is a window embedded in the tray). The badged icon shows, a left click opens the panel under it and
# on screen, a right click opens the context menu.
#   tray_hosts.sh sni|xembed NORVANE_BIN FAKEHUB_BIN SCREENSHOT_DIR
set -u
mode="$1"
export NORVANE_BIN="$2" FAKEHUB_BIN="$3"
shots="$4"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
mkdir -p "$shots"
work="$(mktemp -d -t norvane-sni.XXXXXX)"
demo=""
cleanup() {
    # The demo script waits for norvane in the foreground and runs its own clean-up only after it: stop
    # its children (norvane, fakehub) first.
    if [ -n "$demo" ]; then pkill -TERM -P "$demo" 2>/dev/null; kill "$demo" 2>/dev/null; wait "$demo" 2>/dev/null; fi
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "tray_hosts ($mode): $*" >&2; cat "$work/demo.log" >&2; exit 1; }
wait_for() { # DESCRIPTION SECONDS COMMAND...
    local what="$1" limit="$2"; shift 2
    for _ in $(seq $((limit * 10))); do "$@" && return 0; sleep 0.1; done
    fail "no $what within ${limit}s"
}
items() {
    dbus-send --session --print-reply --dest=org.kde.StatusNotifierWatcher /StatusNotifierWatcher \
        org.freedesktop.DBus.Properties.Get string:org.kde.StatusNotifierWatcher \
        string:RegisteredStatusNotifierItems 2>/dev/null | grep -c 'string "'
}
has_item() { [ "$(items)" -ge 1 ]; }
# Top-level windows as "id name width height x y" from xwininfo.
windows() {
    xwininfo -root -tree | sed -n 's/^ *\(0x[0-9a-f]*\) "\([^"]*\)".*  \([0-9]*\)x\([0-9]*\)[+-][0-9]*[+-][0-9]*  +\([-0-9]*\)+\([-0-9]*\)$/\1 \2 \3 \4 \5 \6/p'
}
panel_shown() { windows | awk '$2 == "Norvane" && $3 == 560 && $4 == 600 && $5 >= 0' | grep -q .; }

embedded_icon() { windows | awk '$2 == "Norvane" && $3 >= 16 && $3 <= 32 && $4 >= 16 && $4 <= 32 && $5 >= 0' | grep -q .; }
if [ "$mode" = sni ]; then
    [ "$(items)" -eq 0 ] || fail "the watcher had items before norvane started"
fi
"$root/scripts/demo" --quit-after 60 >"$work/demo.log" 2>&1 &
demo=$!
if [ "$mode" = sni ]; then
    wait_for "StatusNotifierItem registered with the watcher" 30 has_item
    sleep 1
    # The host's bar: the widest xfce4-panel window; its only plugin is the status tray, so the icon is first.
    read -r _ _ bar_w bar_h bar_x bar_y < <(windows | awk '$2 == "xfce4-panel"' | sort -k3 -n -r | head -n 1)
    [ -n "${bar_w:-}" ] || fail "no xfce4-panel bar on screen"
    slot_x=$bar_x; slot_y=$bar_y; slot=$bar_h
    bar_bottom=$((bar_y + bar_h))
else
    wait_for "icon embedded in the tray" 30 embedded_icon
    sleep 1
    read -r _ _ slot _ slot_x slot_y < <(windows | awk '$2 == "Norvane" && $3 >= 16 && $3 <= 32 && $4 >= 16 && $4 <= 32 && $5 >= 0' | head -n 1)
    bar_bottom=$((slot_y + slot))
fi
icon_x=$((slot_x + slot / 2)); icon_y=$((slot_y + slot / 2))
import -window root "$work/root.png"
convert "$work/root.png" -crop "${slot}x${slot}+${slot_x}+${slot_y}" +repage "$work/slot.png"
convert "$work/slot.png" -scale 800% "$shots/tray-$mode.png"
# The badge is red or blue or purple in the demo world; the plain paw would be the panel's text colour.
colours="$(convert "$work/slot.png" -format %c histogram:info:- | wc -l)"
[ "$colours" -gt 4 ] || fail "no icon drawn in the status tray (only $colours colours)"

xdotool mousemove "$icon_x" "$icon_y" click 1
wait_for "panel after a left click" 10 panel_shown
read -r _ _ _ _ px py < <(windows | awk '$2 == "Norvane" && $3 == 560 && $4 == 600')
import -window root "$shots/tray-$mode-panel.png"
[ "$px" -le "$icon_x" ] && [ "$icon_x" -le $((px + 560)) ] || fail "the panel at x=$px is not near the click at $icon_x"
[ "$py" -ge $((bar_bottom - 2)) ] && [ $((py + 600)) -le 1024 ] || fail "the panel at y=$py is not under the tray, on screen"

# A right click opens the context menu (drawn by the host for a StatusNotifierItem): a new window appears, and the panel stays.
before="$(windows | wc -l)"
xdotool key Escape
sleep 0.5
xdotool mousemove "$icon_x" "$icon_y" click 3
menu_shown() { [ "$(windows | wc -l)" -gt "$before" ] || windows | awk '$3 > 60 && $3 < 400 && $4 > 60 && $4 < 400' | grep -q .; }
wait_for "context menu after a right click" 10 menu_shown
import -window root "$shots/tray-$mode-menu.png"
xdotool key Escape
echo "tray_hosts ($mode): icon shown, panel opened at $px,$py under the click, menu shown"
