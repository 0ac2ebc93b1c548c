#!/bin/sh
# Builds the Debian package from a fresh copy of the sources (the project's
# files as git sees them, never a build folder), then checks it: lintian,
# appstreamcli on its AppStream file, desktop-file-validate on every desktop
# entry. The package lands in DEB_DIR (default build-deb); the project's own
# build folders are left alone.
set -eu
cd "$(dirname "$0")/.."

out=${DEB_DIR:-build-deb}
case $out in /*) ;; *) out=$PWD/$out ;; esac
src=$out/src
rm -rf "$out"
mkdir -p "$src"

# Tracked files and new ones not ignored, as they are in the work tree.
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git ls-files -z --cached --others --exclude-standard |
        tar --null --files-from=- --ignore-failed-read -cf - | tar -xf - -C "$src"
else
    tar --exclude='./build' --exclude='./build-*' -cf - . | tar -xf - -C "$src"
fi

version=$(dpkg-parsechangelog -l debian/changelog -S Version)
arch=$(dpkg-architecture -q DEB_HOST_ARCH)
deb=$out/aritmetica_${version}_${arch}.deb

# ccache, where there is one, makes a rebuild of unchanged sources quick.
if command -v ccache >/dev/null; then
    CMAKE_CXX_COMPILER_LAUNCHER=ccache
    export CMAKE_CXX_COMPILER_LAUNCHER
fi
# The package alone: no detached debug symbols.
DEB_BUILD_OPTIONS="${DEB_BUILD_OPTIONS:+$DEB_BUILD_OPTIONS }noautodbgsym"
export DEB_BUILD_OPTIONS
(cd "$src" && dpkg-buildpackage --build=binary --no-sign) >"$out/build.log" 2>&1 ||
    { tail -n 60 "$out/build.log"; echo "dpkg-buildpackage failed: $out/build.log" >&2; exit 1; }
[ -f "$deb" ] || { echo "no $deb after the build" >&2; exit 1; }

status=0
echo "== lintian"
lintian --fail-on error,warning --display-info "$deb" || status=1

tree=$out/tree
dpkg-deb -x "$deb" "$tree"
echo "== appstreamcli validate"
for file in "$tree"/usr/share/metainfo/*.xml; do
    appstreamcli validate --no-net --explain "$file" || status=1
done
echo "== desktop-file-validate"
for entry in "$tree"/usr/share/applications/*.desktop; do
    messages=$(desktop-file-validate "$entry" 2>&1) && [ -z "$messages" ] ||
        { printf '%s\n' "$messages"; status=1; }
    echo "${entry##*/}: ${messages:-ok}"
done
[ $status = 0 ] || { echo "the package fails its checks" >&2; exit 1; }
echo "$deb ($(du -k "$deb" | cut -f1) KiB; installed $(dpkg-deb -f "$deb" Installed-Size) KiB)"
