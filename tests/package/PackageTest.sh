#!/usr/bin/env bash
# Builds the Debian package of a build tree, lists it, unpacks it and runs the unpacked
# orbtool on a sample title: PackageTest.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2
for tool in dpkg-deb dpkg-shlibdeps cpack; do
  if ! command -v "$tool" >/dev/null; then
    echo "PackageTest skipped: $tool is missing (package dpkg-dev or cmake)"
    exit 77
  fi
done
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

cpack --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
  { cat "$scratch/cpack.log"; exit 1; }
deb=$scratch/out/orbedit_${version}_amd64.deb
[ -f "$deb" ] || { echo "no $deb"; ls "$scratch/out"; exit 1; }

listing=$(dpkg-deb -c "$deb")
for file in ./usr/bin/orbedit ./usr/bin/orbtool ./usr/share/applications/orbedit.desktop \
            ./usr/share/icons/hicolor/scalable/apps/orbedit.svg ./usr/share/man/man1/orbtool.1 \
            ./usr/share/doc/orbedit/guide/index.html ./usr/share/doc/orbedit/guide/titles.png; do
  grep -q " $file\$" <<<"$listing" || { echo "$file is not in the package"; echo "$listing"; exit 1; }
done
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libQt6Widgets lrzsz tar gzip; do
  grep -qi "$needed" <<<"$depends" || { echo "Depends lacks $needed: $depends"; exit 1; }
done
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || { echo "version is not $version"; exit 1; }

dpkg-deb -x "$deb" "$scratch/root"
orbtool=$scratch/root/usr/bin/orbtool
[ "$("$orbtool" --version)" = "orbtool $version" ] || { echo "--version: $("$orbtool" --version)"; exit 1; }
"$orbtool" new "$scratch/Sample.orb" --rate 96k >/dev/null
info=$("$orbtool" info "$scratch/Sample.orb")
grep -q "^NAME: Sample$" <<<"$info" && grep -q "^FS: 96kHz$" <<<"$info" ||
  { echo "info: $info"; exit 1; }
echo "PackageTest: $(basename "$deb") holds $(wc -l <<<"$listing") entries; its orbtool runs"
