#!/usr/bin/env bash
# Checks the Debian package that scripts/package.sh built: its file list
# (unpacked with dpkg -x into a temporary root), lintian, the desktop entry
# and the AppStream metadata, and that the installed program carries no
# test-only environment variable.
set -euo pipefail
cd "$(dirname "$0")/.."
deb=$(ls build/package/callerid-test_*.deb)
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"

expected=(
  usr/bin/callerid-test
  usr/bin/cid-simulator
  usr/bin/cid-device-link
  usr/bin/cid-line-check
  usr/lib/udev/rules.d/70-callerid.rules
  usr/share/applications/org.cidtest.CallerIdTest.desktop
  usr/share/metainfo/org.cidtest.CallerIdTest.metainfo.xml
  usr/share/icons/hicolor/16x16/apps/org.cidtest.CallerIdTest.png
  usr/share/icons/hicolor/32x32/apps/org.cidtest.CallerIdTest.png
  usr/share/icons/hicolor/48x48/apps/org.cidtest.CallerIdTest.png
  usr/share/icons/hicolor/scalable/apps/org.cidtest.CallerIdTest.svg
  usr/share/man/man1/callerid-test.1.gz
  usr/share/man/man1/cid-simulator.1.gz
  usr/share/man/man1/cid-device-link.1.gz
  usr/share/man/man1/cid-line-check.1.gz
  usr/share/doc/callerid-test/copyright
  usr/share/doc/callerid-test/changelog.gz
)
status=0
actual=$(cd "$root" && find . -type f -o -type l | sed 's|^\./||' | sort)
wanted=$(printf '%s\n' "${expected[@]}" | sort)
if [ "$actual" != "$wanted" ]; then
  echo "package file list differs (- expected, + found):"
  diff <(echo "$wanted") <(echo "$actual") | grep '^[<>]' | sed 's/^</-/; s/^>/+/'
  status=1
fi
for f in usr/bin/callerid-test usr/bin/cid-simulator usr/bin/cid-device-link usr/bin/cid-line-check; do
  [ -x "$root/$f" ] || { echo "$f is not executable"; status=1; }
done

# Dependencies come from dpkg-shlibdeps: Qt and the C++ runtime must be there.
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libqt6serialport6 libstdc++6 libasound2 libsndfile1; do
  grep -q "$lib" <<<"$depends" || { echo "Depends lacks $lib: $depends"; status=1; }
done

desktop-file-validate "$root/usr/share/applications/org.cidtest.CallerIdTest.desktop" || status=1
appstreamcli validate --no-net "$root/usr/share/metainfo/org.cidtest.CallerIdTest.metainfo.xml" || status=1

# No test hooks: no environment variable of the project's own, nor anything
# named like a test or debug switch, in the shipped programs.
for f in usr/bin/callerid-test usr/bin/cid-simulator usr/bin/cid-line-check; do
  hooks=$(strings -n 4 "$root/$f" | grep -E '^(CID_[A-Z0-9_]+|[A-Z][A-Z0-9_]*(TEST|DBG|DEBUG|DUMP)[A-Z0-9_]*)$' || true)
  if [ -n "$hooks" ]; then
    echo "$f carries test or debug switches: $hooks"
    status=1
  fi
done

# lintian: errors fail the check; the warnings left are listed in the notes.
lintian --tag-display-limit 0 "$deb" | tee "$root/lintian.txt"
if grep -q '^E:' "$root/lintian.txt"; then status=1; fi

[ "$status" -eq 0 ] && echo "Package checks passed: $deb"
exit "$status"
