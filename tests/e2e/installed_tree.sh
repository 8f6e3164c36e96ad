#!/usr/bin/env bash
# The installed tree puts every file in its XDG place, the desktop's validators accept the entry and the
# store description, and the .deb holds the same files with Debian's package names as dependencies and
# passes lintian.
#   installed_tree.sh BUILD_DIR
set -euo pipefail
build="$1"
work="$(mktemp -d -t norvane-install.XXXXXX)"
trap 'rm -rf "$work"' EXIT
fail() { echo "installed_tree: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$work/usr" >/dev/null
expected=(
    usr/bin/norvane
    usr/share/applications/com.norvane.app.desktop
    usr/share/metainfo/com.norvane.app.metainfo.xml
    usr/share/icons/hicolor/scalable/apps/com.norvane.app.svg
    usr/share/man/man1/norvane.1.gz
    usr/share/doc/norvane/copyright
    usr/share/doc/norvane/changelog.gz
)
for size in 16 22 24 32 48 64 128 256; do
    expected+=("usr/share/icons/hicolor/${size}x${size}/apps/com.norvane.app.png")
done
for file in "${expected[@]}"; do
    [ -s "$work/$file" ] || fail "missing $file"
done
file "$work/usr/share/icons/hicolor/48x48/apps/com.norvane.app.png" | grep -q '48 x 48' || fail "the 48 px icon is not 48 px"

desktop-file-validate "$work/usr/share/applications/com.norvane.app.desktop"
appstreamcli validate --no-net "$work/usr/share/metainfo/com.norvane.app.metainfo.xml" >"$work/appstream.log" 2>&1 ||
    { cat "$work/appstream.log" >&2; fail "appstreamcli refused the metainfo"; }

(cd "$build" && cpack -G DEB -B "$work/package" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log" >&2; fail "cpack failed"; }
deb="$(ls "$work"/package/norvane_*.deb)"
contents="$(dpkg-deb --contents "$deb")"
for file in "${expected[@]}"; do
    grep -q "\./$file\$" <<<"$contents" || fail "the package lacks $file"
done
depends="$(dpkg-deb --field "$deb" Depends)"
for package in libqt6widgets6 libqt6network6 qt6-qpa-plugins qt6-wayland libsecret-1-0; do
    grep -q "$package" <<<"$depends" || fail "the package does not depend on $package: $depends"
done
# Debian's package checker: no errors and no warnings (docs/development.md, "Installing from the tree").
lintian --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1 || { cat "$work/lintian.log" >&2; fail "lintian found problems"; }
echo "installed_tree: $(basename "$deb") with ${#expected[@]} files; depends on $depends"
