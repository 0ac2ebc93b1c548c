#!/bin/sh
# Every outside command that the build, the tests and the scripts call must
# come from a package that `make deps` installs, or from one those depend on:
# a tool found only because it was installed by hand passes here and fails on
# a fresh machine. Recommendations do not count (`--no-install-recommends`).
# Usage: packages_cover_tools.sh <Makefile>
set -eu
makefile=$1

# The commands called from tests/, scripts/ and the Makefile. Add a tool here
# when a test or script starts calling it; a path stands for a tool that is
# called by it.
tools="cmake ninja c++ pkg-config xvfb-run Xvfb xauth xdotool identify import
xrdb rsvg-convert pdftotext pdftoppm pdfimages pdfinfo openbox desktop-file-validate fc-match
psql runuser unshare openssl /usr/sbin/cupsd /usr/sbin/lpadmin lpstat
apt-get dpkg-buildpackage dpkg-parsechangelog dpkg-architecture lintian appstreamcli
dbus-run-session /usr/libexec/at-spi-bus-launcher /usr/bin/python3"
# Server programs that Debian keeps out of PATH, found where the tests look
# for them: the newest /usr/lib/postgresql/<version>/bin.
server_tools="initdb pg_ctl postgres"

listed=$(sed -n '/^PACKAGES *:*=/,/^[^[:space:]]*$/p' "$makefile" | tr -d '\\' | tr '\n\t' '  ' |
    sed 's/^PACKAGES *:*= *//')

# The closure of the listed packages over Depends and Pre-Depends, among the
# installed packages (an alternative counts when it is installed; a virtual
# package counts through whatever provides it).
closure=$(dpkg-query -W -f='${db:Status-Abbrev}\t${Package}\t${Depends}, ${Pre-Depends}\t${Provides}\n' |
    awk -F '\t' -v roots="$listed" '
    $1 ~ /^ii/ {
        installed[$2] = 1; deps[$2] = $3
        n = split($4, p, ","); for (i = 1; i <= n; i++) { v = p[i]; sub(/\(.*/, "", v); gsub(/ /, "", v); if (v != "") provider[v] = provider[v] " " $2 }
    }
    END {
        n = split(roots, queue, " "); head = 1
        while (head <= n) {
            pkg = queue[head++]; sub(/:.*/, "", pkg)
            if (pkg == "" || seen[pkg]) continue
            seen[pkg] = 1; print pkg
            m = split(provider[pkg], prov, " "); for (i = 1; i <= m; i++) queue[++n] = prov[i]
            k = split(deps[pkg], alts, ",")
            for (i = 1; i <= k; i++) {
                a = split(alts[i], choice, "|")
                for (j = 1; j <= a; j++) { d = choice[j]; sub(/\(.*/, "", d); gsub(/ /, "", d); sub(/:any$/, "", d)
                    if (d != "" && (installed[d] || provider[d] != "")) queue[++n] = d }
            }
        }
    }')

server_bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)

status=0
for tool in $tools $server_tools; do
    case " $server_tools " in
        *" $tool "*) found="$server_bin/$tool"; [ -x "$found" ] || found="" ;;
        *) found=$(command -v "$tool") || found="" ;;
    esac
    [ -n "$found" ] || { echo "missing: $tool (not installed at all)"; status=1; continue; }
    path=$(readlink -f "$found")
    # Merged /usr: dpkg may know the file by its path without /usr.
    owner=""
    for candidate in "$path" "$found" "${path#/usr}" "${found#/usr}"; do
        owner=$(dpkg -S "$candidate" 2>/dev/null | head -n 1 | cut -d: -f1) && [ -n "$owner" ] && break
        owner=""
    done
    if [ -z "$owner" ]; then
        echo "no package owns $tool ($path)"; status=1; continue
    fi
    printf '%s\n' "$closure" | grep -qx "$owner" ||
        { echo "$tool comes from $owner, which make deps does not install: add it to PACKAGES"; status=1; }
done
exit $status
