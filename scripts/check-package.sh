#!/usr/bin/env bash
# Validates the desktop entry and the AppStream metadata, builds the Debian package in the
# given build folder and checks what it holds; lintian errors fail, its warnings are listed.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
id=io.github.velmora.Velmora
desktop-file-validate "packaging/$id.desktop"
appstreamcli validate --no-net --strict "packaging/$id.metainfo.xml"
version=$(sed -n 's/^project(Velmora VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
deb="$build/velmora_${version}_amd64.deb"
rm -f "$deb"
(cd "$build" && cpack -G DEB >/dev/null)
expected=(./usr/bin/velmora
          "./usr/share/applications/$id.desktop"
          ./usr/share/doc/velmora/changelog.gz
          ./usr/share/doc/velmora/copyright
          "./usr/share/icons/hicolor/128x128/apps/$id.png"
          "./usr/share/icons/hicolor/16x16/apps/$id.png"
          "./usr/share/icons/hicolor/256x256/apps/$id.png"
          "./usr/share/icons/hicolor/32x32/apps/$id.png"
          "./usr/share/icons/hicolor/48x48/apps/$id.png"
          "./usr/share/icons/hicolor/64x64/apps/$id.png"
          "./usr/share/icons/hicolor/scalable/apps/$id.svg"
          ./usr/share/man/man1/velmora.1.gz
          "./usr/share/metainfo/$id.metainfo.xml")
held=$(dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ {print $6}' | sort)
if [ "$held" != "$(printf '%s\n' "${expected[@]}" | sort)" ]; then
    echo "$deb holds other files than expected:" >&2
    diff <(printf '%s\n' "${expected[@]}" | sort) <(echo "$held") >&2 || true
    exit 1
fi
for field in Depends Recommends; do
    echo "$field: $(dpkg-deb --field "$deb" "$field")"
done
dpkg-deb --field "$deb" Depends | grep -q libqt6webenginewidgets6
dpkg-deb --field "$deb" Recommends | grep -qx 'fonts-wine, fonts-noto-mono'
findings=$(lintian --allow-root "$deb" || true)
[ -z "$findings" ] || echo "$findings"
if grep -q '^E:' <<<"$findings"; then
    echo "lintian found errors in $deb" >&2
    exit 1
fi
echo "$deb: contents as expected, no lintian errors"
