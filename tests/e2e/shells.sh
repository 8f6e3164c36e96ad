#!/usr/bin/env bash
# The real desktops most people use, headless: GNOME Shell (Wayland, with Xwayland, and its AppIndicator
# extension) or KDE Plasma (X11 on Xvfb, kwin_x11 and plasmashell), each on a session of its own, then the
# journey of tests/e2e/desktop/shells.py on it. Both shells refuse to run as root, so under root (CI) the session
# and the journey run as `nobody` (setpriv) with their own runtime directory and home, in a clean environment.
# Teardown ends every process of the session by its pid: the ones started here, then any the session's bus
# started on demand (found by the session's runtime directory in their environment).
#   shells.sh gnome|plasma NORVANE_BIN FAKEHUB_BIN SCREENSHOT_DIR
# SHELLS_JOURNEY replaces the journey with a command of your own inside the session (e.g. a shell to look around).
set -u
kind="$1" norvane_bin="$2" fakehub_bin="$3" shots="$4"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
. "$root/tests/e2e/session_user.sh"

# The pids of the processes whose environment names the session's runtime directory.
session_pids() {
    local marker="XDG_RUNTIME_DIR=$1" pid
    for pid in $(ls /proc | grep -E '^[0-9]+$'); do
        # Not this script, the subshell running this, nor dbus-run-session, whose child this script is.
        [ "$pid" -eq $$ ] || [ "$pid" -eq "$BASHPID" ] || [ "$pid" -eq "$PPID" ] && continue
        tr "\\0" "\\n" 2>/dev/null <"/proc/$pid/environ" | grep -qxF "$marker" && echo "$pid"
    done
}
end_session() {
    local pids pid locks=() lock
    pids="$(session_pids "$1")"
    # The X servers' lock files (Xvfb's, Xwayland's), removed below when their server does not.
    for lock in /tmp/.X*-lock; do
        [ -f "$lock" ] || continue
        read -r pid <"$lock" 2>/dev/null || continue
        grep -qxF "$pid" <<<"$pids" && locks+=("$lock")
    done
    [ -n "$pids" ] && kill -TERM $pids 2>/dev/null
    for _ in $(seq 50); do
        pids="$(session_pids "$1")"
        [ -z "$pids" ] && break
        sleep 0.1
    done
    [ -n "$pids" ] && kill -KILL $pids 2>/dev/null
    for lock in "${locks[@]}"; do
        rm -f "$lock" "/tmp/.X11-unix/X$(basename "$lock" | tr -dc 0-9)"
    done
    return 0
}

# Debian keeps the activity manager out of PATH.
kactivitymanagerd() { ls /usr/lib/*/libexec/kactivitymanagerd 2>/dev/null | head -n 1; }

if [ -z "${SHELLS_INNER:-}" ]; then
    case "$kind" in
    gnome) tools=(gnome-shell gjs gnome-screenshot Xwayland) ;;
    plasma) tools=(plasmashell kwin_x11 kded5 "$(kactivitymanagerd)" lookandfeeltool Xvfb
           xdpyinfo xdotool xwininfo import convert) ;;
    *) echo "usage: $0 gnome|plasma NORVANE_BIN FAKEHUB_BIN SCREENSHOT_DIR" >&2; exit 2 ;;
    esac
    for tool in "${tools[@]}" dbus-run-session dbus-daemon gdbus setpriv python3; do
        command -v "$tool" >/dev/null || { echo "shells: $tool is missing; run scripts/install-deps" >&2; exit 1; }
    done
    new_session_dir "norvane-$kind"
    trap 'end_session "$work/run"; rm -rf "$work"' EXIT
    run_session NORVANE_BIN="$norvane_bin" FAKEHUB_BIN="$fakehub_bin" NORVANE_SOURCE_DIR="$root" \
        E2E_SCREENSHOTS="$work/shots" E2E_SNI_PENDING="${E2E_SNI_PENDING:-}" SHELLS_JOURNEY="${SHELLS_JOURNEY:-}" \
        SHELLS_INNER="$work" dbus-run-session -- "$0" "$@"
fi

# Inside the session, as the unprivileged user.
work="$SHELLS_INNER/home"
cleanup() { end_session "$XDG_RUNTIME_DIR"; }
trap cleanup EXIT

# A private system bus: both shells ask logind and friends at start and stop without one.
cat >"$work/system.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig><type>system</type><listen>unix:path=$XDG_RUNTIME_DIR/system_bus</listen>
<policy context="default"><allow user="*"/><allow own="*"/><allow send_type="method_call"/>
<allow send_destination="*"/><allow receive_sender="*"/></policy></busconfig>
CONF
dbus-daemon --config-file="$work/system.conf" --nofork >"$work/system-bus.log" 2>&1 &
export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$XDG_RUNTIME_DIR/system_bus"
wait_for "private system bus" 10 test -S "$XDG_RUNTIME_DIR/system_bus"

if [ "$kind" = gnome ]; then
    # The AppIndicator extension and the journey's helper extension, enabled before the shell reads them.
    mkdir -p "$HOME/.local/share/gnome-shell/extensions"
    cp -r "$root/tests/e2e/desktop/gnome-extension" "$HOME/.local/share/gnome-shell/extensions/norvane-journey@norvane"
    # The menu entry, by which GNOME knows Norvane's windows; GNOME only reads an entry whose program it finds.
    mkdir -p "$HOME/.local/share/applications" "$HOME/bin"
    ln -s "$norvane_bin" "$HOME/bin/norvane"
    export PATH="$HOME/bin:$PATH"
    cp "$root/resources/desktop/com.norvane.app.desktop" "$HOME/.local/share/applications/"
    gsettings set org.gnome.shell disable-user-extensions false
    gsettings set org.gnome.shell enabled-extensions "['ubuntu-appindicators@ubuntu.com', 'norvane-journey@norvane']"
    gsettings set org.gnome.desktop.notifications show-banners true
    XDG_SESSION_TYPE=wayland LIBGL_ALWAYS_SOFTWARE=1 gnome-shell --headless --wayland --virtual-monitor 1280x800 \
        --wayland-display=wayland-norvane >"$work/gnome-shell.log" 2>&1 &
    wait_for "GNOME Shell on the session bus" 60 bus_has org.gnome.Shell
    export XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=GNOME WAYLAND_DISPLAY=wayland-norvane
else
    # Xvfb on a free display (:80 up), with GLX for kwin and plasmashell.
    display=80
    while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
    Xvfb ":$display" -screen 0 1280x800x24 +extension GLX -nolisten tcp >"$work/xvfb.log" 2>&1 &
    export DISPLAY=":$display"
    wait_for "Xvfb on $DISPLAY" 15 xdpyinfo
    export XDG_CURRENT_DESKTOP=KDE KDE_FULL_SESSION=true KDE_SESSION_VERSION=5 XDG_SESSION_TYPE=x11
    # Services the bus starts on demand crash without a display.
    dbus-update-activation-environment DISPLAY XDG_CURRENT_DESKTOP KDE_FULL_SESSION KDE_SESSION_VERSION \
        XDG_SESSION_TYPE
    "$(kactivitymanagerd)" >"$work/kactivitymanagerd.log" 2>&1 &
    wait_for "the activity manager" 30 bus_has org.kde.ActivityManager
    kded5 >"$work/kded5.log" 2>&1 &
    wait_for "kded5's StatusNotifierWatcher" 30 bus_has org.kde.StatusNotifierWatcher
    kwin_x11 >"$work/kwin.log" 2>&1 &
    wait_for "kwin" 30 bus_has org.kde.KWin
    plasmashell >"$work/plasmashell.log" 2>&1 &
fi

${SHELLS_JOURNEY:-python3 "$root/tests/e2e/desktop/shells.py" "$kind"}
