// The GNOME journey reads the shell's state (the tray item's place, windows, notifications) and moves a real
// pointer through org.gnome.Shell.Eval, which the shell only answers in unsafe mode. Tests only.
/* exported init */
class Extension {
    enable() {
        global.context.unsafe_mode = true;
    }

    disable() {
        global.context.unsafe_mode = false;
    }
}

function init() {
    return new Extension();
}
