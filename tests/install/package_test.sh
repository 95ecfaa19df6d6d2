#!/usr/bin/env bash
# Builds the Debian package, unpacks it into a throwaway root and checks its files and its
# dependencies.
set -euo pipefail
build_dir=$1

command -v dpkg-shlibdeps >/dev/null || { echo "SKIPPED: dpkg-dev is not installed"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$build_dir" && cpack -G DEB -B "$work/out" >/dev/null)
package=$(ls "$work"/out/*.deb)
dpkg-deb -x "$package" "$work/root"

fail() { echo "FAILED: $*"; exit 1; }
for file in usr/bin/nimbrel usr/share/applications/example.nimbrel.Nimbrel.desktop \
    usr/share/metainfo/example.nimbrel.Nimbrel.metainfo.xml \
    usr/share/icons/hicolor/scalable/apps/nimbrel.svg \
    usr/share/icons/hicolor/32x32/apps/nimbrel.png usr/share/nimbrel/help/main_window.htm; do
    [[ -f "$work/root/$file" ]] || fail "not in the package: $file"
done
grep -q '^MIT License$' "$work/root/usr/share/doc/nimbrel/copyright" 2>/dev/null \
    || fail "the package does not ship the MIT license as usr/share/doc/nimbrel/copyright"
unexpected=$(cd "$work/root" && find . -type f | grep -v -E '^\./usr/(bin|share)/' || true)
[[ -z "$unexpected" ]] || fail "unexpected files in the package: $unexpected"
depends=$(dpkg-deb -f "$package" Depends)
echo "Depends: $depends"
for library in libqt6widgets6 libqt6gui6 libqt6core6 libstdc++6 libc6; do
    grep -q "$library" <<<"$depends" || fail "Depends lacks $library"
done
echo "package $(basename "$package"): files and dependencies as expected"
