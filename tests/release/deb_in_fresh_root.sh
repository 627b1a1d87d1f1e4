#!/usr/bin/env bash
# The .deb through its life on a fresh Debian 12 root (debootstrap, minbase)
# as dpkg and apt treat it, with its maintainer scripts and Debian's
# deb-systemd-helper and deb-systemd-invoke; systemd itself is stood in for
# by a systemctl that writes down what it is asked and a /run/systemd/system,
# so that the scripts act as on a booted machine:
# - apt installs it with what it depends on; zelk scores the example and
#   serves its contest folder as the service would; the service is left off
#   (not enabled, not started);
# - enabled and running, an upgrade to a later version keeps it enabled and
#   restarts it (try-restart);
# - a removal stops it and keeps its state and /etc/default/zelk-serve;
# - a purge removes both, and the unit's links.
# Needs root (or sudo) and a Debian mirror (ZELK_DEBIAN_MIRROR, default
# http://deb.debian.org/debian); the root is made in a temporary folder and
# removed afterwards (/proc is mounted in it only in a mount namespace of each
# command's own, gone when the command ends).
#   tests/release/deb_in_fresh_root.sh DEB
set -euo pipefail
deb=$(realpath "$1")
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "deb_in_fresh_root.sh needs root or sudo"; exit 1; }
    exec sudo --preserve-env=TMPDIR,ZELK_DEBIAN_MIRROR "$0" "$deb"
fi
mirror=${ZELK_DEBIAN_MIRROR:-http://deb.debian.org/debian}
root=$(mktemp -d "${TMPDIR:-/tmp}/zelk-fresh-root.XXXXXX")
trap '[ -n "${ZELK_KEEP_ROOT:-}" ] || rm -rf --one-file-system "$root"' EXIT
problems=()
problem() { problems+=("$*"); echo "PROBLEM: $*"; }
in_root() {
    unshare --mount --fork sh -c 'mount -t proc proc "$0/proc" && exec chroot "$0" "$@"' "$root" \
        /usr/bin/env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        DEBIAN_FRONTEND=noninteractive "$@"
}

started=$(date +%s)
debootstrap --variant=minbase bookworm "$root" "$mirror" >"$root.debootstrap.log" 2>&1 ||
    { tail -n 20 "$root.debootstrap.log"; rm -f "$root.debootstrap.log"; exit 1; }
rm -f "$root.debootstrap.log"
cp /etc/resolv.conf "$root/etc/resolv.conf"
in_root apt-get update -q >/dev/null 2>&1
echo "-- a fresh bookworm root in $(($(date +%s) - started)) s"

# systemd, as the maintainer scripts see it (minbase has no systemctl; apt
# runs dpkg with /usr/bin in its PATH, not /usr/local/bin).
mkdir -p "$root/run/systemd/system"
cat >"$root/usr/bin/systemctl" <<'EOF'
#!/bin/sh
echo "$*" >>/var/log/systemctl-calls
case "$*" in
    *is-active*zelk-serve.service) [ -e /run/zelk-serve.running ] ;;
    *is-enabled*zelk-serve.service)
        if [ -e /etc/systemd/system/multi-user.target.wants/zelk-serve.service ]; then
            echo enabled
        else
            echo disabled
            exit 1
        fi ;;
esac
EOF
chmod 755 "$root/usr/bin/systemctl"
# What systemctl was asked about zelk-serve since the last look (the
# packages it depends on ask about their own units too).
calls() {
    grep zelk-serve "$root/var/log/systemctl-calls" 2>/dev/null || true
    : >"$root/var/log/systemctl-calls"
}
wants=$root/etc/systemd/system/multi-user.target.wants/zelk-serve.service
state=$root/var/lib/private/zelk-serve

cp "$deb" "$root/tmp/zelk.deb"
# The next version: the same package, numbered higher.
version=$(dpkg-deb -f "$deb" Version)
dpkg-deb -R "$deb" "$root/tmp/next"
sed -i "s/^Version: .*/Version: $version+next1/" "$root/tmp/next/DEBIAN/control"
dpkg-deb --root-owner-group -b "$root/tmp/next" "$root/tmp/zelk-next.deb" >/dev/null

echo "-- first install, with apt"
in_root apt-get install -y -q /tmp/zelk.deb >"$root/tmp/install.log" 2>&1 ||
    { tail -n 30 "$root/tmp/install.log"; exit 1; }
first=$(calls)
[ ! -e "$wants" ] || problem "the first install enabled the service"
[[ "$first" != *start* && "$first" != *enable* ]] || problem "the first install asked systemctl: $first"
[ -f "$root/etc/default/zelk-serve" ] || problem "no /etc/default/zelk-serve"
grep -qxF /etc/default/zelk-serve "$root/var/lib/dpkg/info/zelk.conffiles" ||
    problem "/etc/default/zelk-serve is not a configuration file"
expected=$(grep '^Score:' "$(dirname "$0")/../../examples/zelk-contest.report.txt")
in_root sh -c 'cd /tmp && zelk init contest --coordinate 55N37O >/dev/null &&
    zelk score /usr/share/doc/zelk/examples/zelk-contest.adi -C contest' >"$root/tmp/score.txt" 2>&1 ||
    problem "the installed zelk does not score the installed example: $(cat "$root/tmp/score.txt")"
grep -qxF "$expected" "$root/tmp/score.txt" || problem "the installed zelk does not print '$expected'"

# Served as the service serves it: the state folder where DynamicUser keeps
# it, the options of /etc/default/zelk-serve but the port.
mkdir -p "$state"
ln -s private/zelk-serve "$root/var/lib/zelk-serve"
options=$(. "$root/etc/default/zelk-serve" && echo "$ZELK_SERVE_OPTIONS" | sed 's/--listen [^ ]*//')
: >"$root/tmp/serve.txt"
# shellcheck disable=SC2086
in_root /usr/bin/zelk serve /var/lib/zelk-serve --listen 127.0.0.1:0 $options >"$root/tmp/serve.txt" 2>&1 &
served=$!
port=
for _ in $(seq 100); do
    port=$(sed -n 's|^listening on http://127.0.0.1:\([0-9]*\)/$|\1|p' "$root/tmp/serve.txt")
    [ -n "$port" ] && break
    sleep 0.1
done
page=
if [ -n "$port" ] && exec 3<>"/dev/tcp/127.0.0.1/$port"; then
    printf 'GET / HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n' >&3
    page=$(cat <&3)
    exec 3<&-
fi
kill "$served" && wait "$served" || true
[[ "$page" == "HTTP/1.1 200"*"send your log"* ]] || problem "the installed zelk serve does not answer: $(cat "$root/tmp/serve.txt")"
[ -f "$state/organiser-token" ] || problem "the installed zelk serve made no organiser token"

echo "-- enabled and running, upgraded to $version+next1"
# As `systemctl enable` does.
ln -s /lib/systemd/system/zelk-serve.service "$wants"
touch "$root/run/zelk-serve.running"
calls >/dev/null
in_root apt-get install -y -q /tmp/zelk-next.deb >"$root/tmp/upgrade.log" 2>&1 ||
    { tail -n 30 "$root/tmp/upgrade.log"; exit 1; }
upgrade=$(calls)
[[ "$upgrade" == *"try-restart zelk-serve.service"* ]] || problem "the upgrade did not restart the running service: $upgrade"
[[ "$upgrade" != *"stop zelk-serve.service"* ]] || problem "the upgrade stopped the service: $upgrade"
[ -L "$wants" ] || problem "the upgrade disabled the service"

echo "-- removed"
in_root apt-get remove -y -q zelk >"$root/tmp/remove.log" 2>&1 || { tail -n 30 "$root/tmp/remove.log"; exit 1; }
removal=$(calls)
[[ "$removal" == *"stop zelk-serve.service"* ]] || problem "the removal did not stop the service: $removal"
[ ! -e "$root/usr/bin/zelk" ] || problem "the removal left /usr/bin/zelk"
[ -f "$state/organiser-token" ] || problem "the removal took the service's state"
[ -f "$root/etc/default/zelk-serve" ] || problem "the removal took /etc/default/zelk-serve"

echo "-- purged"
in_root dpkg --purge zelk >"$root/tmp/purge.log" 2>&1 || { tail -n 30 "$root/tmp/purge.log"; exit 1; }
[ ! -e "$state" ] && [ ! -L "$root/var/lib/zelk-serve" ] || problem "the purge left the service's state"
[ ! -e "$root/etc/default/zelk-serve" ] || problem "the purge left /etc/default/zelk-serve"
[ ! -L "$wants" ] || problem "the purge left the unit's link"

if [ ${#problems[@]} -ne 0 ]; then
    echo "the .deb on a fresh root: ${#problems[@]} problem(s)"
    exit 1
fi
echo "the .deb on a fresh root: installed with apt, off until enabled, restarted on upgrade, stopped on removal, its state gone on purge only ($(($(date +%s) - started)) s)"
