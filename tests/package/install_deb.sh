#!/bin/bash
# Installs the Debian package on this machine as a school's technician would
# (apt-get install ./file.deb), starts every copy from its desktop entry as
# an ordinary user under Xvfb, then purges the package: nothing of it may be
# left outside the user's data folder, and that folder keeps the user's files.
# Needs root; the package must not be installed before.
#   install_deb.sh <package file> <cmake/Copies.cmake>
set -u
deb=$1
copies_file=$2
here=$(dirname "$(readlink -f "$0")")
fail() { echo "FAIL: $*"; exit 1; }
user=nobody
export DEBIAN_FRONTEND=noninteractive
# Waits for dpkg's lock rather than failing while another install runs.
apt=(apt-get -y -q -o DPkg::Lock::Timeout=300)

[ "$(id -u)" = 0 ] || fail "installing a package needs root (make deb-test uses sudo)"
[ -f "$deb" ] || fail "no package at $deb: make deb builds it"
package=$(dpkg-deb -f "$deb" Package)
version=$(dpkg-deb -f "$deb" Version)
installed() { dpkg-query -W -f='${db:Status-Abbrev}' "$package" 2>/dev/null | grep -q '^.i'; }
known() { dpkg-query -W -f='${db:Status-Abbrev}' "$package" 2>/dev/null | grep -q '^[^u]\|^u[^n]'; }
! installed || fail "$package is installed on this machine already: purge it first (apt-get purge $package)"

work=$(mktemp -d)
chmod 755 "$work"
ours=0
cleanup() {
    ((ours)) && installed && "${apt[@]}" purge "$package" >/dev/null 2>&1
    rm -rf "$work"
}
trap cleanup EXIT

# The copies as the project lists them: name, operation kind ("-" for the
# teacher's copy, which has no settings file) and menu name.
mapfile -t copies < <(sed -n 's/^ *"\([A-Z]*|[^|]*|[^|]*\)|.*/\1/p' "$copies_file")
pupils=$(printf '%s\n' "${copies[@]}" | grep -c '^[A-Z]*|[0-9]|')
((pupils >= 7)) || fail "read only $pupils pupils' copies from $copies_file"

# The package file readable by apt's own user, as a download would be.
cp "$deb" "$work/"
ours=1
"${apt[@]}" install "$work/${deb##*/}" >"$work/install.log" 2>&1 || { cat "$work/install.log"; fail "apt-get install"; }
installed && [ "$(dpkg-query -W -f='${Version}' "$package")" = "$version" ] || fail "$package $version is not installed"
dpkg-query -L "$package" >"$work/files"

expect=(/usr/libexec/aritmetica/aritmetica /usr/libexec/aritmetica/avvia
        /usr/share/icons/hicolor/scalable/apps/aritmetica.svg
        /usr/share/man/man1/aritmetica.1.gz /usr/share/man/it/man1/aritmetica.1.gz
        /usr/share/doc/aritmetica/copyright)
for copy in "${copies[@]}"; do
    name=${copy%%|*}
    expect+=("/usr/libexec/aritmetica/$name" "/usr/share/applications/aritmetica-${name,,}.desktop")
done
for path in "${expect[@]}"; do
    grep -qx -- "$path" "$work/files" && [ -e "$path" ] || fail "the package did not install $path"
done
[ "$(grep -c '^/usr/share/applications/.*\.desktop$' "$work/files")" = "${#copies[@]}" ] ||
    fail "the package's desktop entries are not one per copy: $(grep '\.desktop$' "$work/files")"
outside=$(grep -vx -e '/\.' -e '/usr' -e '/usr/.*' "$work/files")
[ -z "$outside" ] || fail "the package installs outside /usr: $outside"
# Software centres find it through the AppStream pool of this machine.
id=$(sed -n 's|^/usr/share/metainfo/\(.*\)\.metainfo\.xml$|\1|p' "$work/files")
[ -n "$id" ] || fail "no AppStream metadata in /usr/share/metainfo"
appstreamcli get "$id" >"$work/appstream.txt" 2>&1 && grep -q "^Name: Aritmetica" "$work/appstream.txt" ||
    { cat "$work/appstream.txt"; fail "appstreamcli does not find $id"; }

# The copies run as an ordinary user with a home of their own.
home=$work/home
mkdir "$home"
chown "$user:" "$home"
cp "$here/start_copies.sh" "$work/"
# Away from the display numbers other X servers on this machine start from:
# xvfb-run's choice of a free one is not atomic. -noreset: the copies start
# one after another, and a resetting Xvfb refuses the next one.
display=$((200 + RANDOM % 800))
runuser -u "$user" -- env -i PATH=/usr/bin:/bin HOME="$home" LANG=C.UTF-8 QT_QPA_PLATFORM=xcb \
    xvfb-run -a -n "$display" -s '-screen 0 1280x1024x24 -noreset' "$work/start_copies.sh" "$version" "${copies[@]}" ||
    fail "the installed copies did not run as they should"
data=$home/.local/share/aritmetica
(cd "$data" && find . -type f -exec sha256sum {} + | sort) >"$work/data.sums"
[ "$(grep -c '\.dat$' "$work/data.sums")" = "$pupils" ] && [ "$(grep -c '\.pdf$' "$work/data.sums")" = "${#copies[@]}" ] &&
    grep -q ' \./registro\.sqlite$' "$work/data.sums" || fail "the data folder holds: $(ls "$data")"
outside=$(cd "$home" && find . -type f ! -path './.local/share/aritmetica/*' ! -path './.cache/*')
[ -z "$outside" ] || fail "the copies wrote outside the data folder: $outside"

"${apt[@]}" purge "$package" >"$work/purge.log" 2>&1 || { cat "$work/purge.log"; fail "apt-get purge"; }
! known || fail "dpkg still knows $package: $(dpkg-query -W -f='${db:Status-Abbrev}' "$package")"
ls /var/lib/dpkg/info/"$package".* >/dev/null 2>&1 && fail "dpkg keeps $(ls /var/lib/dpkg/info/"$package".*)"
while read -r path; do
    if [ -L "$path" ] || [ -f "$path" ]; then
        fail "$path is left after the purge"
    elif [ -d "$path" ] && [ -z "$(ls -A "$path")" ] && ! dpkg-query -S "$path" >/dev/null 2>&1; then
        fail "the empty folder $path is left after the purge"
    fi
done <"$work/files"
for dir in /usr/libexec/aritmetica /usr/share/doc/aritmetica; do
    [ ! -e "$dir" ] || fail "$dir is left after the purge"
done
(cd "$data" && find . -type f -exec sha256sum {} + | sort) | cmp -s - "$work/data.sums" ||
    fail "the purge changed the user's data folder"
ours=0
echo "PASS: $package $version installed, ${#copies[@]} copies started from their entries, purged clean; the data folder kept"
