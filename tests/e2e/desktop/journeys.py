#!/usr/bin/python3
"""Whole-program tests the way a person uses norvane, on the desktop of scripts/desktop-session.
Usage: journeys.py TEST   (NORVANE_BIN, FAKEHUB_BIN, NORVANE_SOURCE_DIR and E2E_SCREENSHOTS set by ctest)

Positions inside the panel are offsets from its top-left corner; the panel is always 560x600."""

import contextlib
import json
import os
import re
import subprocess
import tempfile
import time

from harness import (PANEL_SIZE, TRAY_ICON_SIZE, Failure, Session, check, key, main, norvane_class, type_text,
                     wait_until, windows)

# Controls are found by the names a screen reader reads (accessible.py); menus are popups, which Qt leaves out
# of the accessibility tree, so their items are still found by their place inside the panel (560x600).
SORT_CREATED = (475, 123)  # the second item of the sort menu
MENU_REFRESH_Y = 33  # the second item of the tray menu (under "Open Norvane"), from its top
# The wrong-token journey still clicks some controls by place inside the panel (560x600).
ADD_ACCOUNT = (430, 503)  # the add-account sheet's "Add Account", in its bottom bar
PRS_TAB = (37, 18)
SETTINGS_ADD_ACCOUNT = (67, 151)  # "Add Account" under the one account's card in the settings tab
ACCOUNT_PICKER = (105, 48)  # the account picker of the pull-request tab, with two accounts
BANNER_ICON = (18, 83)  # the warning sign of the pull-request tab's reconnect banner, with two accounts
BANNER_RECONNECT = (508, 85)  # its "Reconnect"
RECONNECT_EDGE = (421, 106)  # inside the first account's "Reconnect" button, left of its text


def press(s, what, role=None, name=None, prefix=None, within=None):
    """Clicks the control a screen reader calls so, once it shows."""
    import accessible as a11y
    a11y.wait_for(s, what, role, name, prefix, within).click()


def press_in_view(s, panel, what, role=None, name=None):
    """Scrolls the settings page down until the control is inside the panel, then clicks it."""
    import accessible as a11y
    node = a11y.wait_for(s, what, role, name)
    _, top, _, height = panel.geometry()
    for _ in range(30):
        if node.center()[1] < top + height - 30:
            break
        panel.click(280, 300, button=5)
        time.sleep(0.1)
    node.click()


def fill_token_sheet(s, login, token, before_sending=None):
    """The open add-account (or reconnect) sheet: the token form, filled and sent; `before_sending(sheet)`
    runs on the filled form."""
    import accessible as a11y
    sheet = a11y.wait_for(s, "the add-account sheet", "dialog")
    press(s, "the token link", "push button", "Use a Personal Access Token instead", within=sheet)
    press(s, "the username field", a11y.FIELD, "GitHub Username", within=sheet)
    type_text(login)
    press(s, "the token field", a11y.FIELD, "Personal Access Token", within=sheet)
    type_text(token)
    s.screenshot("token-typed")
    if before_sending:
        before_sending(sheet)
    press(s, "Add Account", "push button", "Add Account", within=sheet)


def world_pull_requests(s, login="mona"):
    """What fakehub says concerns the user, the union of the three searches the client makes:
    {(repository, number): title}."""
    titles = {}
    for qualifier in ("review-requested", "author", "assignee"):
        answer = s.api("/search/issues?q=type:pr+state:open+archived:false+%s:%s&per_page=100" % (qualifier, login))
        for item in answer["items"]:
            titles[(item["repository_url"].split("/repos/")[1], item["number"])] = item["title"]
    return titles


def cli(s, *args, hosts=True):
    """norvane's command line on the session's profile, by default against this session's fakehub."""
    urls = ["--api-url", s.base, "--web-url", s.base] if hosts else []
    return subprocess.run([s.norvane_bin, *args, "--profile", s.profile, *urls], capture_output=True, text=True,
                          env=s.env(), timeout=60)


def cli_pull_requests(s):
    """The list as norvane itself reads it from the stored account and the keychain (the CLI shares the
    engine and reads the same token from the Secret Service)."""
    out = cli(s, "prs", "--json")
    check(out.returncode == 0, "norvane prs failed (%d): %s" % (out.returncode, out.stderr.strip()))
    return json.loads(out.stdout)


def close_panel(s):
    """The open panel is a popup that takes the first click outside it, as it should: close it first."""
    if s.panel():
        key("Escape")
        wait_until("the panel to close", lambda: s.panel() is None, 10)


def tray_menus():
    return [w for w in windows("Norvane", norvane_class()) if w.geometry()[2:] not in (TRAY_ICON_SIZE, PANEL_SIZE)]


def tray_menu(s):
    close_panel(s)
    # One right-click must do, even right after the panel closed on a loaded machine.
    s.tray.click(11, 11, button=3)
    return wait_until("the tray menu", tray_menus, 30)[0]


def quit_from_menu(s):
    """"Quit Norvane", the last item of the tray menu; the app must end by itself with status 0."""
    menu = tray_menu(s)
    _, _, width, height = menu.geometry()
    menu.click(width // 2, height - 12)
    code = wait_until("norvane to quit", lambda: s.app.poll() is not None, 30) and s.app.returncode
    check(code == 0, "norvane ended with status %s" % code)
    s.app = None


def watch_repository(s):
    """Types northwind/api into the focused watched-repository field and waits for it to be stored."""
    type_text("northwind/api")
    key("Return")
    wait_until("the watched repository to be stored",
               lambda: "northwind/api" in preferences(s).partition("watched_repos=")[2], 10)


def refreshes_done(s):
    return s.log_text().count("updatePRStatesAndNotify: Checking")


@contextlib.contextmanager
def notify_calls():
    """Watches org.freedesktop.Notifications.Notify on the session bus; yields a function listing the calls."""
    with tempfile.NamedTemporaryFile("r", suffix=".log") as log:
        monitor = subprocess.Popen(["dbus-monitor", "--session", "interface='org.freedesktop.Notifications',member='Notify'"],
                                   stdout=open(log.name, "w"), stderr=subprocess.DEVNULL)
        calls = lambda: open(log.name, errors="replace").read().split("method call")[1:]
        try:
            # dbus-monitor prints its own NameAcquired signal once it listens.
            wait_until("dbus-monitor", lambda: os.path.getsize(log.name) > 0, 10)
            yield calls
        finally:
            monitor.terminate()
            monitor.wait(10)


def one_notification(s, within, settle, answered=None):
    """Plays the next event (mona is asked to review northwind/web#100) while dbus-monitor watches the calls
    to org.freedesktop.Notifications.Notify on the session bus: a notification must come within `within`
    seconds, and no second one during `settle()`. Returns that call and the seconds it took; with `answered`
    (the feed checks logged so far), the seconds from the first check after the event instead."""
    with notify_calls() as calls:
        checks = answered() if answered else 0
        started = time.monotonic()
        s.next_event()
        if answered:
            wait_until("the feed's next check", lambda: answered() > checks, within, interval=0.02)
            started = time.monotonic()
        wait_until("a notification", lambda: len(calls()) >= 1, within)
        took = time.monotonic() - started
        settle()
        found = calls()
        check(len(found) == 1, "%d notifications: %s" % (len(found), found))
        check("Apple Pay in the checkout" in found[0], "notification text: %s" % found[0])
        s.screenshot("notification")
        return found[0], took


def start_at_welcome(s, env=None):
    """Starts norvane with no account and opens the panel on its welcome view; returns the panel."""
    s.start(env=env)
    panel = s.open_panel()
    wait_until("the welcome view", lambda: "No github_accounts" in s.log_text(), 10)
    time.sleep(0.5)
    s.screenshot("welcome")
    return panel


def start_signed_in(s, env=None):
    """Starts norvane, signs mona in from the welcome view with a token and waits for her first refresh;
    returns the panel (left on the settings tab)."""
    panel = start_at_welcome(s, env)
    press(s, "the welcome view's sign-in", "push button", "Sign in with GitHub")
    time.sleep(0.5)
    s.screenshot("add-account-sheet")
    fill_token_sheet(s, "mona", "demo-token")
    wait_until("the first refresh as mona", lambda: refreshes_done(s) >= 1, 60)
    return panel


def sort_by_created(s, panel):
    """The pull-request tab's sort menu, its second item; waits for the choice to be stored."""
    press(s, "the sort menu", prefix="Sort by: ")
    time.sleep(0.5)
    panel.click(*SORT_CREATED)
    wait_until("the sort option to be stored",
               lambda: any(l.startswith("selected_sort_option=") for l in preference_lines(s)), 10)


def first_start_and_daily_use():
    """First start with no account, sign-in with a token, a notification after a world change, Refresh
    from the tray menu, and a restart that keeps everything."""
    world = demo_world()
    # With the check run (one event): a comment on the pull request the journey snoozes.
    world["timeline"].append({"at": 30, "kind": "comment", "repository": "northwind/web", "number": 99,
                              "user": "priya"})
    # First of all, mona's team is asked to review a pull request of keiko's.
    world["timeline"].append({"at": 5, "kind": "request_review", "repository": "northwind/mobile", "number": 527,
                              "team": "web-reviewers"})
    with Session("journey", world) as s:
        # A short poll, so that the world change below is noticed within seconds.
        panel = start_signed_in(s, env={"NORVANE_POLL_INTERVAL_SECS": "4"})
        press(s, "the PRs tab", "page tab", prefix="PRs")
        time.sleep(0.5)
        s.screenshot("pull-requests")

        # The list is the world's: the pull requests fakehub answers for mona, as the engine reads them
        # with the token it stored.
        world = world_pull_requests(s)
        listed = {(pr["repository"], pr["number"]) for pr in cli_pull_requests(s)}
        check(listed == set(world), "listed %s, fakehub has %s" % (sorted(listed), sorted(world)))
        check("Checking %d PRs for account mona" % len(world) in s.log_text(),
              "the window did not load %d pull requests" % len(world))
        # The token went to the Secret Service (the CLI above read it from there) and into no file.
        check(not s.files_containing("demo-token"), "token in %s" % s.files_containing("demo-token"))

        # Settings a person changes: the sort option, and the polling interval in the settings tab.
        sort_by_created(s, panel)
        key("ctrl+comma")
        time.sleep(0.5)
        before = preferences(s)
        press_in_view(s, panel, "the 30-minute interval", "radio button", "30 minutes")
        wait_until("the interval to be stored", lambda: preferences(s) != before, 10)
        s.screenshot("settings-changed")
        # A watched repository, typed into the account's card at the end of the page.
        for _ in range(40):
            panel.click(280, 300, button=5)
        time.sleep(0.5)
        press(s, "the watched-repository field", prefix="Repository to watch for ")
        watch_repository(s)
        s.screenshot("watched-added")
        key("ctrl+comma")
        # A blocked repository, from the first repository's submenu in the pull-request tab:
        # Down (All Repositories), Down (the first repository), Right (Select), Down (Favorites), Down (Block).
        time.sleep(0.5)
        press(s, "the repository menu", prefix="Repository: ")
        time.sleep(0.3)
        key("Down", "Down", "Right", "Down", "Down")
        time.sleep(0.3)
        s.screenshot("block-menu")
        key("Return")
        wait_until("the blocked repository to be stored", lambda: "blocked_repositories=" in preferences(s), 10)

        # "Team Review Requests" off, then mona's team is asked (the next event): its row reads as a team
        # request, and two polls post no notification.
        import accessible as a11y
        def wait_polls(n):
            done = refreshes_done(s)
            wait_until("%d more polls" % n, lambda: refreshes_done(s) >= done + n, 30)
        key("ctrl+comma")
        time.sleep(0.5)
        for _ in range(40):  # back to the top of the page, where the notification switches are
            panel.click(280, 300, button=4)
        time.sleep(0.5)
        before = preferences(s)
        press(s, "the team switch", "check box", "Team Review Requests")
        wait_until("the switch to be stored", lambda: preferences(s) != before, 10)
        press(s, "the PRs tab", "page tab", prefix="PRs")
        with notify_calls() as calls:
            s.next_event()
            asked = lambda: a11y.find(a11y.application(s.app.pid), prefix="northwind/mobile #527, ")
            description = wait_until("the team-asked row", lambda: asked() and asked().description, 30)
            check("Review requested from @northwind/web-reviewers" in description, "#527 reads %r" % description)
            wait_polls(2)
            check(calls() == [], "notifications with team requests off: %s" % calls())
        s.screenshot("team-off")

        # A world change (mona asked to review northwind/web#100) and polls: exactly one notification.
        before = refreshes_done(s)
        call, _ = one_notification(s, 30, lambda: wait_polls(2))
        check(refreshes_done(s) > before, "no poll ran")
        # Notify(app_name, replaces_id, app_icon, ...): the installed icon's name, so the desktop shows it.
        arguments = [line.strip() for line in call.splitlines()[1:4]]
        check(arguments == ['string "Norvane"', "uint32 0", 'string "com.norvane.app"'],
              "application name and icon: %s" % arguments)
        # Its default action (dunst: middle click on the bubble) opens the pull request.
        close_panel(s)
        bubble = [w for w in windows("Dunst", '"Dunst" "Dunst"') if w.geometry()[3] > 1]
        check(bubble, "no notification bubble on screen")
        _, _, width, height = bubble[0].geometry()
        bubble[0].click(width // 2, height // 2, button=2)
        url = s.base + "/northwind/web/pull/100"
        wait_until("xdg-open " + url, lambda: os.path.exists(s.opened_log) and url in open(s.opened_log).read(), 15)
        check(open(s.opened_log).read().split() == [url], "opened: " + open(s.opened_log).read())
        quit_from_menu(s)

        # Restart: the account and every preference are still there, nothing asks to sign in.
        stored = preferences(s)
        s.start(env={"NORVANE_POLL_INTERVAL_SECS": "600"})
        wait_until("the first refresh after the restart", lambda: refreshes_done(s) >= 1, 60)
        check("No github_accounts" not in s.log_text(), "the account was forgotten")
        panel = s.open_panel()
        time.sleep(0.5)
        s.screenshot("after-restart")
        kept = preferences(s)
        for line in stored.splitlines():
            check(line in kept, "lost preference line %r" % line)

        # The selected row's menu from the keyboard, its first snooze from the bottom: the pull request leaves
        # the list (the command line reads the stored snooze) and the repository line offers "Snoozed 1".
        import accessible as a11y
        listed = cli_pull_requests(s)
        team = [pr for pr in listed if pr["reviewRequestedFrom"] not in (None, "you")]
        check(sorted((pr["number"], pr["reviewRequestedFrom"]) for pr in team) ==
              [(99, "northwind/web-reviewers"), (527, "northwind/web-reviewers")],
              "team requests: %s" % team)
        row = lambda: a11y.find(a11y.application(s.app.pid), prefix="northwind/web #99, ")
        description = wait_until("the team request's row", lambda: row() and row().description, 20)
        check("Review requested from @northwind/web-reviewers" in description, "the team row reads %r" % description)
        s.screenshot("team-request")
        # Copy Branch Name, the menu's third item: the selected pull request's head branch on the clipboard.
        key("Menu")
        time.sleep(0.5)
        s.screenshot("row-menu")
        key("Down", "Down", "Down", "Return")
        clipboard = lambda: subprocess.run(["xclip", "-o", "-selection", "clipboard"], capture_output=True,
                                           text=True, timeout=10).stdout
        copied = wait_until("a branch on the clipboard", clipboard, 10)
        key("Menu")
        time.sleep(0.5)
        key("Up", "Up", "Up", "Return")
        wait_until("the snooze to be stored", lambda: "pr_snoozes_" in preferences(s), 10)
        snoozed = [pr for pr in json.loads(cli(s, "prs", "--json", "--all").stdout) if pr["snoozedUntil"]]
        check([(pr["number"], pr["snoozedUntil"]) for pr in snoozed] == [(99, "change")], "snoozed: %s" % snoozed)
        left = cli_pull_requests(s)
        check(len(left) == len(listed) - 1 and snoozed[0]["id"] not in [pr["id"] for pr in left],
              "still listed: %s" % snoozed[0]["id"])
        a11y.wait_for(s, "the snoozed entry", name="Snoozed 1")
        s.screenshot("snoozed")
        head = s.api("/repos/%s/pulls/%d" % (snoozed[0]["repository"], snoozed[0]["number"]))["head"]["ref"]
        check(copied == head, "copied %r, the branch is %r" % (copied, head))
        for stored_key in ("github_accounts", "selected_sort_option", "notification_settings", "pr_seen_states_",
                           "watched_repos", "blocked_repositories"):
            check(stored_key in stored, "%s was never stored" % stored_key)

        # The tray menu's Refresh after a comment on the snoozed pull request (the next event): exactly one
        # refresh reaches fakehub, and the pull request is back in the list with its unseen mark.
        s.next_event()
        searches = lambda: [r for r in s.requests() if r[1].startswith("/search/issues") and "review-requested" in r[1]]
        done = refreshes_done(s)
        count = len(searches())
        menu = tray_menu(s)
        s.screenshot("tray-menu")
        menu.click(menu.geometry()[2] // 2, MENU_REFRESH_Y)
        wait_until("the refresh to finish", lambda: refreshes_done(s) > done, 60)
        time.sleep(2)
        check(len(searches()) == count + 1, "%d refreshes reached fakehub" % (len(searches()) - count))
        back = [pr for pr in cli_pull_requests(s) if pr["id"] == snoozed[0]["id"]]
        check([pr["snoozedUntil"] for pr in back] == [None], "after the comment: %s" % back)
        s.open_panel()
        description = wait_until("the woken row", lambda: row() and row().description, 20)
        check("New comments" in description.split(". "), "the woken row reads %r" % description)
        check(a11y.find(a11y.application(s.app.pid), prefix="Snoozed ") is None, "a snoozed entry is left")
        s.screenshot("woken")

        quit_from_menu(s)
        # The token is in no file under the profile or HOME, and the debug output shows at most its
        # first 9 characters.
        session_home = os.environ.get("HOME")
        check(not s.files_containing("demo-token", [s.dir, session_home]), "token in a file")



def orange_pixels(x, y, width=1, height=1):
    """Whether each screen pixel of the box has the orange of a warning sign or button."""
    out = subprocess.run(["import", "-window", "root", "-crop", "%dx%d+%d+%d" % (width, height, x, y), "-depth", "8",
                          "txt:-"], capture_output=True, text=True).stdout
    found = []
    for line in out.splitlines()[1:]:
        r, g, b = (int(float(v)) for v in line.split("(")[1].split(")")[0].split(",")[:3])
        found.append(r > 200 and 80 < g < 180 and b < 80)
    return found


def reconnect_shown(s, panel):
    x, y, _, _ = panel.geometry()
    return orange_pixels(x + RECONNECT_EDGE[0], y + RECONNECT_EDGE[1])[0]  # the orange of the button


def cli_status(s):
    return cli(s, "prs").returncode


def demo_world():
    with open(os.path.join(os.environ["NORVANE_SOURCE_DIR"], "tools/fakehub/scenarios/demo.json")) as f:
        return json.load(f)


def revoking_world(login, token, renewed):
    """The demo world in which GitHub revokes `login`'s `token` at its first event and knows `renewed` as a
    second token of theirs."""
    world = demo_world()
    next(u for u in world["users"] if u["login"] == login)["tokens"].append(renewed)
    world["timeline"] = [{"at": 1, "kind": "revoke_token", "user": login, "token": token}]
    return world


def reconnect_after_revocation():
    """A 401 during a poll shows "Reconnect" in the settings tab; reconnecting with another login shows the
    mismatch alert and stores nothing; with the right login the list comes back."""
    with Session("reconnect", revoking_world("mona", "demo-token", "mona-renewed-token")) as s:
        panel = start_signed_in(s, env={"NORVANE_POLL_INTERVAL_SECS": "3"})
        check(cli_status(s) == 0, "the stored token does not work")

        s.next_event()  # GitHub revokes demo-token
        wait_until("a poll to meet the 401", lambda: "marking for reauth" in s.log_text(), 30)
        wait_until("Reconnect in the settings tab", lambda: reconnect_shown(s, panel), 10)
        s.screenshot("reconnect-shown")

        # Another login: the alert, and nothing stored.
        stored = preference_lines(s)
        press(s, "Reconnect", "push button", "Reconnect")
        fill_token_sheet(s, "theo", "theo-token")
        # The alert dims the settings behind it, the Reconnect button with them.
        wait_until("the mismatch alert", lambda: not reconnect_shown(s, panel), 10)
        time.sleep(0.3)
        s.screenshot("mismatch-alert")
        check(cli_status(s) == 3, "the keychain no longer holds the revoked token")
        check(preference_lines(s) == stored, "the preferences changed")
        key("Return")
        wait_until("the alert to close", lambda: reconnect_shown(s, panel), 10)
        s.screenshot("alert-dismissed")

        # The right login: the list is back and Reconnect is gone.
        done = refreshes_done(s)
        press(s, "Reconnect", "push button", "Reconnect")
        fill_token_sheet(s, "mona", "mona-renewed-token")
        wait_until("a refresh with the new token", lambda: refreshes_done(s) > done, 30)
        wait_until("Reconnect to go", lambda: not reconnect_shown(s, panel), 10)
        check(cli_status(s) == 0, "the new token was not stored")
        s.screenshot("reconnected")
        quit_from_menu(s)


def stored_logins(s):
    """The logins of the stored accounts, in stored order, as norvane wrote them into the preferences."""
    lines = [l for l in preference_lines(s) if l.startswith("github_accounts=")]
    return re.findall(r'username[\\"]*:[\\"]*([A-Za-z0-9-]+)', lines[0]) if lines else []


def orange_near(panel, point, radius=8):
    """Whether any pixel within `radius` of `point` in the panel has the orange of a warning sign."""
    x, y, _, _ = panel.geometry()
    return any(orange_pixels(x + point[0] - radius, y + point[1] - radius, 2 * radius, 2 * radius))


def pick_account(panel, arrow):
    """The pull-request tab's account picker: the account above or below the current one."""
    panel.click(*ACCOUNT_PICKER)
    time.sleep(0.5)
    key(arrow, "Return")


def wrong_token_then_a_revoked_account():
    """A mistyped token is refused in the sheet and stores nothing; the right one adds theo. Switched to
    theo, the list is theo's; when GitHub revokes theo's token during a poll the pull-request tab says so,
    and "Reconnect" in that banner brings the list back."""
    with Session("banner", revoking_world("theo", "theo-token", "theo-renewed-token")) as s:
        panel = start_signed_in(s, env={"NORVANE_POLL_INTERVAL_SECS": "3"})

        # A second account with a token GitHub does not know: refused in the sheet, nothing stored. (The
        # sign-in left the panel on the settings tab.)
        time.sleep(0.5)
        s.screenshot("settings")
        panel.click(*SETTINGS_ADD_ACCOUNT)
        time.sleep(0.5)
        fill_token_sheet(s, "theo", "wrong-token")
        wait_until("the refusal", lambda: "Token for theo refused: GitHub rejected this token." in s.log_text(), 20)
        time.sleep(0.3)
        s.screenshot("wrong-token-refused")
        check(stored_logins(s) == ["mona"], "stored: %s" % stored_logins(s))
        check(("GET", "/user") in s.requests(), "the token was never shown to GitHub")

        # The right token, typed over the wrong one: theo is added.
        press(s, "the token field", "password text", "Personal Access Token")
        key("ctrl+a", "BackSpace")
        type_text("theo-token")
        panel.click(*ADD_ACCOUNT)
        wait_until("theo to be stored", lambda: stored_logins(s) == ["mona", "theo"], 20)
        time.sleep(0.5)
        s.screenshot("theo-added")

        # The pull-request tab, switched to theo with the account picker.
        panel.click(*PRS_TAB)
        time.sleep(0.5)
        pick_account(panel, "Down")
        wait_until("theo's list", lambda: "for account theo" in s.log_text(), 30)
        time.sleep(0.5)
        s.screenshot("theo-list")
        check(not orange_near(panel, BANNER_ICON), "a banner before any rejection")

        # GitHub revokes theo's token; the next poll meets the 401 and the tab says so.
        s.next_event()
        wait_until("a poll to meet the 401", lambda: "401 Unauthorized for theo" in s.log_text(), 30)
        wait_until("the banner on the pull-request tab", lambda: orange_near(panel, BANNER_ICON), 10)
        s.screenshot("banner")

        # Its Reconnect opens the reconnect sheet over the tab; the renewed token brings the list back.
        done = refreshes_done(s)
        panel.click(*BANNER_RECONNECT)
        time.sleep(0.5)
        s.screenshot("reconnect-sheet")
        fill_token_sheet(s, "theo", "theo-renewed-token")
        wait_until("a refresh with the renewed token", lambda: refreshes_done(s) > done, 30)
        wait_until("the banner to go", lambda: not orange_near(panel, BANNER_ICON), 10)
        time.sleep(0.5)
        s.screenshot("reconnected")
        check(stored_logins(s) == ["mona", "theo"], "stored: %s" % stored_logins(s))
        quit_from_menu(s)


def preferences(s):
    with open(os.path.join(s.profile, "preferences.ini")) as f:
        return f.read()


def preference_lines(s):
    return preferences(s).splitlines()


def killed_while_writing_preferences():
    """kill -9 in the middle of a burst of favourite toggles, 20 times: every start after it reads a
    complete preferences file and no earlier setting is lost."""
    import random
    rng = random.Random(16)
    with Session("kill-9") as s:
        panel = start_signed_in(s, env={"NORVANE_POLL_INTERVAL_SECS": "600"})
        press(s, "the PRs tab", "page tab", prefix="PRs")
        time.sleep(0.5)
        sort_by_created(s, panel)
        quit_from_menu(s)
        # What must survive every kill: all but the favourites being toggled and the seen states.
        kept = [l for l in preference_lines(s)
                if not l.startswith(("favorite_repositories=", "pr_seen_states_"))]
        check(len(kept) >= 3, "too little stored: %s" % kept)

        toggles = 0
        for round in range(int(os.environ.get("E2E_KILL_ROUNDS", "20"))):
            s.start(env={"NORVANE_POLL_INTERVAL_SECS": "600"})
            wait_until("the first refresh", lambda: refreshes_done(s) >= 1, 60)
            text = s.log_text()
            check("All keys: [" in text and "github_accounts" in text.split("All keys: [", 1)[1].split("]")[0],
                  "round %d: the stored account was not read" % round)
            panel = s.open_panel()
            time.sleep(0.3)
            # mona/dotfiles comes first in the repository menu whether it is a favourite or not:
            # Down (All Repositories), Down (the first repository), Right (its submenu: Select),
            # Down (Add to / Remove from Favorites), Return.
            for burst in range(rng.randint(1, 4)):
                press(s, "the repository menu", prefix="Repository: ")
                time.sleep(0.3)
                if round == 0 and burst == 0:
                    key("Down", "Down", "Right", "Down")
                    time.sleep(0.3)
                    s.screenshot("favourite-menu")
                    key("Return")
                else:
                    key("Down", "Down", "Right", "Down", "Return")
                toggles += 1
            time.sleep(rng.uniform(0, 0.05))
            s.app.kill()
            s.app.wait(10)
            s.app = None
            lines = preference_lines(s)
            check(lines and lines[0] == "[General]", "round %d: preferences start with %r" % (round, lines[:1]))
            for line in kept:
                check(line in lines, "round %d: lost %r" % (round, line))
            favourites = [l for l in lines if l.startswith("favorite_repositories=")]
            # A list of one name, or the INI form of an empty list; never a torn value.
            check(all(l.split("=", 1)[1] in ("mona/dotfiles", "@Invalid()") for l in favourites),
                  "round %d: favourites read %r" % (round, favourites))
        check(any(l.startswith("favorite_repositories=") for l in preference_lines(s)),
              "%d toggles never reached the preferences" % toggles)


def sign_in_with_the_device_flow():
    """First start, "Connect with GitHub": the sheet shows a code, the demo world's OAuth App approves it,
    the account lands in the Secret Service and the list fills."""
    with Session("device-flow") as s:
        start_at_welcome(s, env={"NORVANE_OAUTH_CLIENT_ID": "norvane-demo-client", "NORVANE_POLL_INTERVAL_SECS": "600"})
        press(s, "the welcome view's sign-in", "push button", "Sign in with GitHub")
        press(s, "Connect with GitHub", "push button", "Connect with GitHub")
        wait_until("a device code", lambda: ("POST", "/login/device/code") in s.requests(), 20)
        time.sleep(0.5)
        s.screenshot("code-shown")
        wait_until("the first refresh as mona", lambda: refreshes_done(s) >= 1, 60)
        press(s, "the PRs tab", "page tab", prefix="PRs")
        time.sleep(0.5)
        s.screenshot("pull-requests")
        listed = {(pr["repository"], pr["number"]) for pr in cli_pull_requests(s)}
        check(listed == set(world_pull_requests(s)), "listed %s" % sorted(listed))
        check(("POST", "/login/oauth/access_token") in s.requests(), "the token was never asked for")
        check(not s.files_containing("demo-token"), "token in %s" % s.files_containing("demo-token"))
        quit_from_menu(s)


# ---- read through the accessibility bus, as a screen reader does ----

A11Y = {"QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1", "NORVANE_POLL_INTERVAL_SECS": "600"}
CI_WORDS = {"success": "Passing", "failure": "Failed", "pending": "Pending", "error": "Error"}
VERDICTS = {"approved": ("Ready to merge", "Approved, waiting on CI", "Approved, CI failing", "Already approved"),
            "changes_requested": ("Needs changes",)}


def sign_in_by_name(s, a11y):
    """The add-account sheet, found and filled by the names a screen reader reads; returns its unnamed
    controls, empty and filled."""
    a11y.wait_for(s, "the welcome view", "push button", "Sign in with GitHub").click()
    sheet = a11y.wait_for(s, "the add-account sheet", "dialog", "Add GitHub Account")
    unnamed = a11y.unnamed_controls(sheet)
    fill_token_sheet(s, "mona", "demo-token", lambda sheet: unnamed.extend(a11y.unnamed_controls(sheet)))
    return unnamed


def check_rows(s, a11y):
    """Every row of the pull-request list as the accessibility tree reads it, against fakehub's world
    (repository, number, title) and the engine's verdict and CI for it."""
    titles = world_pull_requests(s)
    engine = {(pr["repository"], pr["number"]): pr for pr in cli_pull_requests(s)}

    def rows():
        app = a11y.application(s.app.pid)
        listed = app and a11y.find(app, "list")
        return listed and [(n.name, n.description) for n in listed.children()]
    read = wait_until("the list to hold the world's %d pull requests" % len(titles),
                      lambda: (lambda r: r if r and len(r) == len(titles) else None)(rows()), 30, 0.5)
    seen = set()
    for name, description in read:
        m = re.match(r"^(\S+) #(\d+), (.*)$", name)
        check(m, "a row reads %r" % name)
        key_ = (m.group(1), int(m.group(2)))
        check(key_ in titles, "a row nobody asked for: %r" % name)
        check(m.group(3) == titles[key_], "%r, but fakehub's title is %r" % (name, titles[key_]))
        parts = description.split(". ")
        pr = engine[key_]
        ci = CI_WORDS.get(pr.get("ciStatus"))
        if ci:
            check("CI: " + ci in parts, "%s says %r, the engine's CI is %s" % (name, description, pr["ciStatus"]))
        else:
            check(not any(p.startswith("CI: ") for p in parts), "%s: CI without a status: %r" % (name, description))
        verdicts = [p for p in parts if p in sum(VERDICTS.values(), ())]
        expected = VERDICTS.get(pr.get("approvalStatus"), ())
        check(len(verdicts) == (1 if expected else 0) and all(v in expected for v in verdicts),
              "%s says %r, the engine's approval is %s" % (name, description, pr.get("approvalStatus")))
        seen.add(key_)
    check(seen == set(titles), "rows %s, fakehub %s" % (sorted(seen), sorted(titles)))
    return read


def screen_reader_reads_every_tab():
    """With the accessibility bus on: a real tray click opens the panel, which a screen reader finds as a
    window; every control it can act on has a name, in every tab and in the add-account sheet; each
    pull-request row reads as the world has it."""
    import accessible as a11y
    with Session("screen-reader") as s:
        s.start(env=A11Y)
        app = a11y.application(s.app.pid) or wait_until("norvane on the accessibility bus",
                                                        lambda: a11y.application(s.app.pid), 20)
        closed = a11y.node_count(app)
        s.open_panel()
        window = a11y.wait_for(s, "the panel", "frame", "Norvane")
        figures = ["closed: %d nodes" % closed, "welcome: %d nodes" % a11y.node_count(window)]
        unnamed = {"welcome": a11y.unnamed_controls(window)}
        unnamed["sheet"] = sign_in_by_name(s, a11y)
        wait_until("the first refresh as mona", lambda: refreshes_done(s) >= 1, 60)

        for tab, role, prefix in (("PRs", "page tab", "PRs"), ("Issues", "page tab", "Issues"),
                                  ("Dashboard", "page tab", "Dashboard"), ("Settings", "push button", "Settings")):
            a11y.wait_for(s, "the %s tab" % tab, role, prefix=prefix).click()
            if role == "page tab":
                wait_until("the %s tab to be selected" % tab, lambda: a11y.find(
                    a11y.application(s.app.pid), role, prefix=prefix).has(a11y.pyatspi.STATE_SELECTED), 10)
            time.sleep(1)
            if tab == "PRs":
                read = check_rows(s, a11y)
                figures.append("a row: %r / %r" % read[0])
            window = a11y.find(a11y.application(s.app.pid), "frame", "Norvane")
            unnamed[tab] = a11y.unnamed_controls(window)
            figures.append("%s: %d nodes, %d showing" % (tab, a11y.node_count(window),
                                                          a11y.node_count(window, showing_only=True)))
            s.screenshot("a11y-" + tab.lower())

        # The sheet again, over the settings tab, and the alert-free way out: Escape.
        a11y.wait_for(s, "Add Account in the settings", "push button", "Add Account").click()
        sheet = a11y.wait_for(s, "the add-account sheet", "dialog", "Add GitHub Account")
        unnamed["sheet"] += a11y.unnamed_controls(sheet)
        key("Escape")
        wait_until("the sheet to close", lambda: a11y.find(a11y.application(s.app.pid), "dialog") is None, 10)
        print("\n".join(figures))
        print("unnamed controls: " + ", ".join("%s %d" % (k, len(v)) for k, v in unnamed.items()))
        check(not any(unnamed.values()), "controls without a name: %s" % {k: v for k, v in unnamed.items() if v})
        quit_from_menu(s)


def tab_until(s, a11y, what, matches, limit=60):
    """Presses Tab until the focused control is the one wanted, as a screen-reader user listens for it."""
    for _ in range(limit):
        now = a11y.focused(s)
        if now is not None and matches(now):
            return now
        key("Tab")
        time.sleep(0.15)
    raise Failure("Tab never reached %s" % what)


def tab_token_form(s, a11y, login, token):
    """The open sheet's token form, reached and filled with Tab and Space alone (not sent)."""
    tab_until(s, a11y, "the token link", lambda n: n.name == "Use a Personal Access Token instead")
    key("space")
    tab_until(s, a11y, "the username field", lambda n: n.role in a11y.FIELD and n.name == "GitHub Username")
    type_text(login)
    tab_until(s, a11y, "the token field", lambda n: n.role in a11y.FIELD and n.name == "Personal Access Token")
    type_text(token)


def keyboard_only():
    """No pointer after the tray click: sign in with a token, watch a repository and choose another polling
    interval, with Tab, Space, Return and the arrows; both land in the stored preferences."""
    import accessible as a11y
    with Session("keyboard") as s:
        start_at_welcome(s, env=A11Y)
        a11y.wait_for(s, "the panel", "frame", "Norvane")
        tab_until(s, a11y, "Sign in with GitHub", lambda n: n.name == "Sign in with GitHub")
        key("space")
        a11y.wait_for(s, "the add-account sheet", "dialog", "Add GitHub Account")
        tab_token_form(s, a11y, "mona", "demo-token")
        s.screenshot("keyboard-sheet")
        key("Return")
        wait_until("the first refresh as mona", lambda: refreshes_done(s) >= 1, 60)

        key("ctrl+4")  # the settings tab, where the sign-in left the panel anyway
        tab_until(s, a11y, "the watched-repository field", lambda n: n.name.startswith("Repository to watch for"))
        watch_repository(s)
        s.screenshot("keyboard-watched")

        polling = tab_until(s, a11y, "the polling interval", lambda n: n.name == "Polling Interval")
        chosen = lambda: [c.name for c in polling.children() if c.has(a11y.pyatspi.STATE_CHECKED)]
        before_choice, before = chosen(), preferences(s)
        key("Right" if before_choice != ["30 minutes"] else "Left")
        wait_until("the interval to be stored", lambda: preferences(s) != before, 10)
        check(chosen() != before_choice, "the screen reader still hears %s" % before_choice)
        s.screenshot("keyboard-interval")
        key("Escape")
        wait_until("the panel to close", lambda: s.panel() is None, 10)
        quit_from_menu(s)

# ---- a github.com account and a GitHub Enterprise Server account side by side ----

def requests_with_tokens(s):
    """(address, first characters of the token) of every request norvane's debug log shows."""
    pairs, url = [], None
    for line in s.log_text().splitlines():
        m = re.search(r"  URL: (\S+)", line)
        if m:
            url = m.group(1)
        m = re.search(r"Header: Authorization = token (\S+?)\.\.\.", line)
        if m and url:
            pairs.append((url, m.group(1)))
            url = None
    return pairs


def opened(s):
    return open(s.opened_log).read().split() if os.path.exists(s.opened_log) else []


def two_hosts():
    """mona on a github.com-like fakehub and theo on an Enterprise-like one (API under /api/v3), added through
    the sheet's "GitHub Enterprise Server" choice: switching between them, each list, link and answer-cache
    folder is its own host's, the command line follows --account to its host, and neither token ever goes
    to the other host."""
    import accessible as a11y
    world = demo_world()
    for user in world["users"]:
        if user.get("tokens"):
            user["tokens"] = ["ghe-%s-token" % user["login"]]
    world["timeline"] = []
    with Session("two-hosts") as s:
        scenario = os.path.join(s.dir, "enterprise.json")
        with open(scenario, "w") as f:
            json.dump(world, f)
        ghe_out = os.path.join(s.dir, "enterprise.out")
        ghe = subprocess.Popen([s.fakehub_bin, "--scenario", scenario, "--enterprise", "--log-requests"],
                               stdout=open(ghe_out, "w"), stderr=subprocess.STDOUT)
        try:
            ghe_base = wait_until("the Enterprise fakehub's address", lambda: s._first_line(ghe_out), 20)
            panel = start_signed_in(s, env=A11Y)

            # theo on the Enterprise server, through the sheet (the sign-in left the panel on the settings tab).
            time.sleep(0.5)
            panel.click(*SETTINGS_ADD_ACCOUNT)
            sheet = a11y.wait_for(s, "the add-account sheet", "dialog", "Add GitHub Account")
            press(s, "the Enterprise choice", "radio button", "GitHub Enterprise Server", within=sheet)
            press(s, "the host field", a11y.FIELD, "Host", within=sheet)
            type_text(ghe_base)
            time.sleep(0.3)
            s.screenshot("enterprise-choice")
            # The server's fields push the token form below the sheet's fold: Tab scrolls to each control.
            tab_token_form(s, a11y, "theo", "ghe-theo-token")
            key("Return")
            wait_until("theo to be stored", lambda: stored_logins(s) == ["mona", "theo"], 20)
            time.sleep(0.5)
            s.screenshot("settings-with-host")
            check(ghe_base in preferences(s), "the Enterprise host is not in the stored account")

            # Switched to theo: the server's list, its links and its home page.
            key("ctrl+1")
            time.sleep(0.5)
            pick_account(panel, "Down")
            wait_until("theo's list", lambda: "for account theo" in s.log_text(), 30)
            time.sleep(1)
            s.screenshot("enterprise-list")
            for account, base in (("theo", ghe_base), ("mona", s.base)):
                if account == "mona":
                    pick_account(panel, "Up")
                    wait_until("mona's list again", lambda: s.log_text().count("for account mona") >= 2, 30)
                    time.sleep(1)
                rows = wait_until("%s's rows" % account, lambda: (lambda l: l and l.children())(
                    a11y.find(a11y.application(s.app.pid), "list")), 20)
                before = len(opened(s))
                rows[0].click()
                wait_until("a row's page", lambda: len(opened(s)) > before, 15)
                press(s, "the footer", "push button", "Open GitHub...")
                wait_until("the home page", lambda: len(opened(s)) > before + 1, 15)
                row_page, home = opened(s)[before:before + 2]
                check(row_page.startswith(base + "/"), "%s's row opened %s" % (account, row_page))
                check(home == base, "%s's footer opened %s" % (account, home))

            # The headless commands follow --account to its host.
            out = cli(s, "prs", "--json", "--account", "theo", hosts=False)
            check(out.returncode == 0, "norvane prs --account theo failed: %s" % out.stderr.strip())
            urls = [pr["url"] for pr in json.loads(out.stdout)]
            check(urls and all(u.startswith(ghe_base + "/") for u in urls), "theo's command listed %s" % urls)

            # Every request carried its own host's token, and the server was asked only under /api/v3.
            sent = requests_with_tokens(s)
            on_server = {t for u, t in sent if u.startswith(ghe_base + "/")}
            on_github = {t for u, t in sent if u.startswith(s.base + "/")}
            check(on_server == {"ghe-theo-"} and on_github == {"demo-toke"},
                  "tokens sent: to the server %s, to github.com %s" % (on_server, on_github))
            paths = [path for _, path in s.requests(ghe_out)]
            check(paths and all(p.startswith("/api/v3/") for p in paths), "the server was asked %s" % paths)

            # Each account's answer-cache folder holds its own host's answers only.
            ids = dict(re.findall(r'id[\\"]*:[\\"]*([0-9A-F-]{36})[^}]*?username[\\"]*:[\\"]*([a-z]+)',
                                  "".join(preference_lines(s))))
            for account_id, login in ids.items():
                folder = os.path.join(s.profile, "cache", "http", account_id)
                blobs = b"".join(open(os.path.join(folder, n), "rb").read() for n in os.listdir(folder))
                own, other = (ghe_base, s.base) if login == "theo" else (s.base, ghe_base)
                check(own.encode() in blobs and other.encode() not in blobs, "%s's cache folder" % login)
            check(len(ids) == 2, "accounts in the preferences: %s" % ids)
            quit_from_menu(s)
        finally:
            ghe.terminate()
            ghe.wait(10)


def system_event(what):
    """Has the test desktop's fake logind or NetworkManager announce "sleep", "wake", "offline" or "online"."""
    subprocess.run(["dbus-send", "--system", "--print-reply", "--dest=com.norvane.FakeSystem", "/com/norvane/FakeSystem",
                    "com.norvane.FakeSystem.Emit", "string:" + what], check=True, stdout=subprocess.DEVNULL)


def feed_world(tracked=50):
    """The demo world with pull requests of mona's added until `tracked` concern her."""
    world = demo_world()
    hidden = {r["full_name"] for r in world["repositories"]
              if r.get("archived") or "mona" not in r.get("visible_to", ["mona"])}
    mine = sum(1 for p in world["pull_requests"] if p["repository"] not in hidden and (
        p["author"] == "mona" or "mona" in p.get("requested_reviewers", []) + p.get("assignees", [])))
    for event in world["timeline"]:
        if event["kind"] == "review" and event["number"] == 95:
            event["at"] = 30  # with the check run, one event after the review request
    for k in range(tracked - mine):
        world["pull_requests"].append({"repository": "northwind/api", "number": 600 + k, "author": "mona",
                                       "title": "Chore %d" % (k + 1), "created_at": "-2d", "updated_at": "-1d"})
    return world


def new_activity_within_seconds():
    """With the stored 15-minute interval and GitHub's own pace of 100 ms a request over 50 pull requests,
    GitHub's notification feed (its poll interval scaled to 2 s) brings a review request to the desktop within
    seconds of the feed's answer, as its refresh asks only for what changed; while nothing happens only free
    304s of the feed go out. A wake from sleep refreshes once."""
    with Session("feed", feed_world(), hub_args=["--feed-poll-interval", "2", "--latency-ms", "100"]) as s:
        s.start("--user", "mona", "--token-env", "NORVANE_E2E_TOKEN",
                env={"NORVANE_E2E_TOKEN": "demo-token", "NORVANE_POLL_INTERVAL_SECS": "900"})
        wait_until("the first refresh", lambda: refreshes_done(s) >= 1, 120)
        check(len(world_pull_requests(s)) == 50, "tracked: %d" % len(world_pull_requests(s)))
        feed = lambda: [r for r in s.requests() if r[1].split("?")[0] == "/notifications"]
        wait_until("the feed's first answers", lambda: len(feed()) >= 2, 20)

        # Nothing happens: only the feed is asked, answered by 304s that cost nothing.
        used = s.core_points_used()
        seen = len(s.requests())
        time.sleep(8)
        idle = s.requests()[seen:]
        spent = s.core_points_used() - used - 1
        check(len(idle) >= 2 and all(r == ("GET", "/notifications") for r in idle if r[1] != "/user"),
              "while idle: %s" % idle)
        check(spent == 0, "%d core points spent while nothing happened" % spent)

        # A full refresh is 203 requests, 20 s here; the feed's news asks for the new pull request alone.
        _, took = one_notification(s, 5, lambda: time.sleep(5), answered=lambda: len(feed()))
        print("feed's check to notification: %.1f s" % took)

        # priya approves mona's northwind/web#95 (moved up to the next event): the feed brings its notification,
        # whose "Mark as Seen", chosen from dunst's context menu, reaches norvane as dunst's ActionInvoked and
        # stores the approval as seen, which clears the row's mark.
        found = s.api("/search/issues?q=type:pr+state:open+archived:false+author:mona&per_page=100")["items"]
        seen_id = ["gh-%d" % i["id"] for i in found
                   if i["repository_url"].endswith("/northwind/web") and i["number"] == 95]
        seen = lambda: json.loads(re.search(r'pr_seen_states_[^=]*="@ByteArray\((.*)\)"', preferences(s))
                                  .group(1).replace('\\"', '"'))[seen_id[0]]["approvalStatus"]
        check(seen() == "pending", "web#95 seen as %s" % seen())
        subprocess.run(["dunstctl", "close-all"], check=True, timeout=10)
        path = os.path.join(s.dir, "actions.log")
        monitor = subprocess.Popen(["dbus-monitor", "--session", "interface='org.freedesktop.Notifications',"
                                    "member='ActionInvoked'"], stdout=open(path, "w"), stderr=subprocess.DEVNULL)
        try:
            wait_until("dbus-monitor", lambda: os.path.getsize(path) > 0, 10)
            s.next_event()
            wait_until("the approval's notification", lambda: subprocess.run(
                ["dunstctl", "count", "displayed"], capture_output=True, text=True).stdout.strip() == "1", 20)
            with open(os.path.join(os.environ["XDG_RUNTIME_DIR"], "dunst-menu-choice"), "w") as f:
                f.write("Mark as Seen")
            subprocess.run(["dunstctl", "context"], check=True, timeout=10)
            wait_until("dunst's ActionInvoked", lambda: '"mark-seen"' in open(path).read(), 10)
        finally:
            monitor.terminate()
            monitor.wait(10)
        wait_until("the approval to be stored as seen", lambda: seen() == "approved", 10)
        check("Notification marked as seen: %s/northwind/web/pull/95" % s.base in s.log_text(), "not marked seen")

        # A wake from sleep: one silent refresh a few seconds later.
        done = refreshes_done(s)
        system_event("sleep")
        system_event("wake")
        wait_until("the refresh after waking", lambda: refreshes_done(s) > done, 60)
        time.sleep(3)
        check(refreshes_done(s) == done + 1, "%d refreshes after one wake" % (refreshes_done(s) - done))
        quit_from_menu(s)


# ---- every visible text translated: the tests' pseudo-translation brackets each one, "[Refresh]" ----

NUMBERS = re.compile(r"^[\d\s.,:;+#%/()\u00b7-]*$")


def plain(name):
    """A name without the pseudo-translation's brackets, to find a control either way."""
    return re.sub(r"[\[\]]", "", name)


def find_plain(s, a11y, what, role, text, within=None, prefix=False):
    """Waits for a showing control of that role whose name, brackets aside, is (or starts with) `text`."""
    def look():
        root = within or a11y.application(s.app.pid)
        for node in a11y.walk(root) if root else ():
            if node.role in ((role,) if isinstance(role, str) else role):
                name = plain(node.name)
                if name == text or (prefix and name.startswith(text)):
                    return node
        return None
    return wait_until("%s (%s %r)" % (what, role, text), look, 20, 0.3)


def world_texts(s):
    """Every string of fakehub's world (titles, logins, names, repositories, branches...): GitHub's data,
    which is shown as it is. Multi-line ones count line by line too."""
    found = {s.base, s.base.split("//")[-1]}

    def gather(value):
        if isinstance(value, str):
            found.add(value)
            found.update(value.splitlines())
        elif isinstance(value, dict):
            list(map(gather, value.values()))
        elif isinstance(value, list):
            list(map(gather, value))
    with open(s.scenario) as f:
        gather(json.load(f))
    return found


def texts_of(a11y, root):
    """What a screen reader can read under `root`: names, descriptions and the texts of labels (a field's
    typed content is the user's own, not read)."""
    for node in a11y.walk(root):
        yield node.name
        yield node.description
        if node.role == "label" and "Text" in node.a.get_interfaces():
            text = node.a.queryText()
            yield text.getText(0, text.characterCount)


def tray_menu_texts(s):
    """The tray menu's items, as a screen reader learns them: Qt leaves popups out of the application's
    tree, so the menu is reached from the item that takes the focus when it opens."""
    gi = __import__("gi")
    gi.require_version("Atspi", "2.0")
    from gi.repository import Atspi, GLib
    names = []

    def focused(event):
        try:
            item = event.source
            if event.detail1 and item.get_role_name().endswith("menu item"):
                menu = item.get_parent()
                names[:] = [menu.get_child_at_index(i).get_name() or "" for i in range(menu.get_child_count())]
        except Exception:
            pass
    listener = Atspi.EventListener.new(focused)
    listener.register("object:state-changed:focused")
    try:
        tray_menu(s)
        key("Down")
        context = GLib.MainContext.default()
        deadline = time.monotonic() + 15
        while not names and time.monotonic() < deadline:
            while context.pending():
                context.iteration(False)
            time.sleep(0.05)
        s.screenshot("pseudo-tray-menu")
        key("Escape")
        # The tray takes a right-click again only a moment after its menu closed.
        wait_until("the tray menu to close", lambda: not tray_menus(), 10)
        time.sleep(1)
    finally:
        listener.deregister("object:state-changed:focused")
    check(names, "the tray menu's items never took the focus")
    return names


def pseudo_translation_reads_every_text():
    """With the pseudo-translation every text Norvane shows is bracketed: every tab, the add-account sheet
    and the tray menu, as a screen reader reads them, hold no text outside brackets that is not GitHub's
    data (fakehub's world), a number or the program's name."""
    import accessible as a11y
    env = dict(A11Y, NORVANE_TRANSLATION=os.environ["NORVANE_PSEUDO_QM"])
    with Session("pseudo") as s:
        s.start(env=env)
        allowed = world_texts(s) | {"Norvane"}
        read = {}

        def read_panel(where):
            time.sleep(1)
            window = a11y.wait_for(s, "the panel", "frame", "Norvane")
            read[where] = set(texts_of(a11y, window))
            s.screenshot("pseudo-" + where)

        s.open_panel()
        read_panel("welcome")
        find_plain(s, a11y, "the welcome view's sign-in", "push button", "Sign in with GitHub").click()
        sheet = find_plain(s, a11y, "the add-account sheet", "dialog", "Add GitHub Account")
        read["sheet"] = set(texts_of(a11y, sheet))
        find_plain(s, a11y, "the token link", "push button", "Use a Personal Access Token instead",
                   within=sheet).click()
        find_plain(s, a11y, "the username field", a11y.FIELD, "GitHub Username", within=sheet).click()
        read["sheet"] |= set(texts_of(a11y, sheet))
        type_text("mona")
        find_plain(s, a11y, "the token field", a11y.FIELD, "Personal Access Token", within=sheet).click()
        type_text("demo-token")
        find_plain(s, a11y, "Add Account", "push button", "Add Account", within=sheet).click()
        wait_until("the first refresh as mona", lambda: refreshes_done(s) >= 1, 60)

        for tab, role in (("PRs", "page tab"), ("Issues", "page tab"), ("Dashboard", "page tab"),
                          ("Settings", "push button")):
            find_plain(s, a11y, "the %s tab" % tab, role, tab, prefix=True).click()
            read_panel(tab.lower())
        read["tray menu"] = set(tray_menu_texts(s))

        untranslated = {}
        for where, texts in read.items():
            for text in map(str.strip, texts):
                if not re.match(r"^\[.*\]$", text, re.S) and text not in allowed and not NUMBERS.match(text):
                    untranslated.setdefault(text, []).append(where)
        for text, places in sorted(untranslated.items()):
            print("untranslated (%s): %r" % (", ".join(places), text))
        check(not untranslated, "%d texts shown without a translation: %s" % (
            len(untranslated), ", ".join(repr(t) for t in sorted(untranslated))))
        quit_from_menu(s)


def section_hits(s, query):
    """The pull requests fakehub finds for a section's query, as the app completes it."""
    answer = s.api("/search/issues?q=%s+is:pr+is:open+archived:false&per_page=100" % query.replace(" ", "+"))
    return {(item["repository_url"].split("/repos/")[1], item["number"]) for item in answer["items"]}


def a_section_of_ones_own():
    """Settings, Sections, with real input: a query GitHub refuses shows GitHub's message; a valid one is kept,
    its chip counts its pull requests, and a pull request that comes to match appears in it after a refresh."""
    import accessible as a11y
    world = demo_world()
    world["timeline"] = [{"at": 3600, "kind": "request_review", "repository": "northwind/api", "number": 320,
                          "user": "keiko"}]
    with Session("sections", world) as s:
        start_signed_in(s)
        press(s, "Add Section…", "push button", "Add Section…")
        press(s, "the section's name", a11y.FIELD, "Section name")
        type_text("Keiko")
        press(s, "the section's query", a11y.FIELD, "Section query")
        type_text("lable:urgent")
        press(s, "Save", "push button", "Save")
        a11y.wait_for(s, "GitHub's refusal", "label", 'The qualifier "lable:urgent" is not supported.')
        s.screenshot("section-refused")
        press(s, "the section's query", a11y.FIELD, "Section query")
        key("ctrl+a")
        type_text("review-requested:keiko")
        press(s, "Save", "push button", "Save")
        before = section_hits(s, "review-requested:keiko")
        a11y.wait_for(s, "the match count", "label", prefix="Matches %d pull request" % len(before))
        wait_until("the section to be stored", lambda: "pr_sections_" in preferences(s), 10)
        key("ctrl+1")
        chip = lambda n: a11y.wait_for(s, "the section's chip", name="Keiko, %d" % n if n else "Keiko", timeout=30)
        chip(len(before)).click()
        time.sleep(0.5)
        s.screenshot("section-chosen")
        listed = lambda: {(pr["repository"], pr["number"]) for pr in json.loads(
            cli(s, "prs", "--json", "--section", "Keiko").stdout)}
        check(listed() == before, "the section lists %s, fakehub has %s" % (sorted(listed()), sorted(before)))

        # keiko is asked to review northwind/api#320, which concerns mona in no other way.
        s.next_event()
        after = section_hits(s, "review-requested:keiko")
        check(after == before | {("northwind/api", 320)}, "fakehub finds %s" % sorted(after))
        done = refreshes_done(s)
        key("ctrl+r")
        wait_until("the refresh", lambda: refreshes_done(s) > done, 30)
        chip(len(after))
        s.screenshot("section-grown")
        check(listed() == after, "the section lists %s after the change" % sorted(listed()))
        check(("northwind/api", 320) not in {(pr["repository"], pr["number"]) for pr in cli_pull_requests(s)},
              "a pull request only the section found is in the list of the three searches")
        quit_from_menu(s)


if __name__ == "__main__":
    raise SystemExit(main({
        "first-start-and-daily-use": first_start_and_daily_use,
        "sign-in-with-the-device-flow": sign_in_with_the_device_flow,
        "killed-while-writing-preferences": killed_while_writing_preferences,
        "reconnect-after-revocation": reconnect_after_revocation,
        "wrong-token-then-a-revoked-account": wrong_token_then_a_revoked_account,
        "screen-reader-reads-every-tab": screen_reader_reads_every_tab,
        "keyboard-only": keyboard_only,
        "two-hosts": two_hosts,
        "new-activity-within-seconds": new_activity_within_seconds,
        "pseudo-translation-reads-every-text": pseudo_translation_reads_every_text,
        "a-section-of-ones-own": a_section_of_ones_own,
    }))
