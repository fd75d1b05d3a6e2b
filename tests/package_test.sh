#!/usr/bin/env bash
# The Debian package as cpack makes it: the programs, the menu entry (valid
# by desktop-file-validate), the icons and what a program folder starts with;
# lintian finds neither errors nor warnings in it; its lumivane-batch runs.
#   package_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
BUILD="$1" SOURCE="$2"
WORK="$(mktemp -d /tmp/lumivane-package-XXXXXX)"
trap 'rm -rf "$WORK"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

desktop-file-validate "$SOURCE/packaging/lumivane.desktop" || fail "the desktop entry is not valid"
cpack -G DEB -B "$WORK" --config "$BUILD/CPackConfig.cmake" >/dev/null || fail "cpack"
deb="$(ls "$WORK"/lumivane_*.deb)"
contents="$(dpkg-deb -c "$deb" | awk '{print $6}')"
for f in usr/bin/lumivane usr/bin/lumivane-batch \
         usr/share/applications/lumivane.desktop usr/share/icons/hicolor/48x48/apps/lumivane.png \
         usr/share/lumivane/res.dat usr/share/lumivane/guide.html usr/share/lumivane/images/sy.png \
         usr/share/doc/lumivane/copyright usr/share/man/man1/lumivane-batch.1.gz; do
  grep -qx "./$f" <<<"$contents" || fail "$f is not in the package"
done
dpkg-deb -f "$deb" Depends | grep -q libvips42 || fail "no dependency on libvips"
if grep -q '^LUMIVANE_SANITIZE:BOOL=ON' "$BUILD/CMakeCache.txt"; then
  echo "a sanitizer build is not what ships: lintian not run"
elif command -v lintian >/dev/null; then
  said="$(lintian --fail-on error,warning "$deb" 2>&1)" || fail "lintian: $said"
else
  echo "lintian is not installed (scripts/deps installs it): not checked"
fi
dpkg-deb -x "$deb" "$WORK/root"
# Read whole: grep -q would leave at the first line and close the pipe.
usage="$("$WORK/root/usr/bin/lumivane-batch" --help)" || fail "lumivane-batch --help"
grep -q "^usage: lumivane-batch" <<<"$usage" || fail "lumivane-batch --help: $usage"
echo "package: all checks passed"
