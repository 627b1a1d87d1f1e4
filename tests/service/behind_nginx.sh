#!/usr/bin/env bash
# zelk serve behind Debian's nginx with the configuration docs/server.md
# gives (packaging/nginx/zelk-serve.conf), on loopback ports: only the
# ports, the paths and the certificate (self-signed, made here) are put in
# place of the file's; nginx runs unprivileged in a folder of its own.
# Checked: `nginx -t`; port 80 sends to HTTPS; over HTTPS with the
# certificate checked, an upload gets its receipt and HSTS; a log above
# zelk's limit (but below nginx's) gets zelk's own 413 page; the upload
# limit counts each entrant's address, not the proxy's, and a client's own
# X-Forwarded-For or X-Real-IP does not get it round the limit; without
# --behind-proxy zelk trusts no X-Forwarded-For at all. And docs/server.md
# quotes the nginx file and the Caddyfile as they are.
# Exit 77 (skipped) without nginx.
#   behind_nginx.sh NGINX_CONF ZELK LOG WORK_DIR
set -euo pipefail
site=$1 zelk=$2 log=$3 work=$4
name=logs.example.org

# docs/server.md quotes the nginx and Caddy files whole, as code blocks.
doc=$(cat "$(dirname "$0")/../../docs/server.md")
for file in "$site" "$(dirname "$site")/../caddy/Caddyfile"; do
    quoted=$(sed 's/^\(.\)/    \1/' "$file")
    [[ $doc == *"$quoted"* ]] || { echo "docs/server.md does not quote $file as it is"; exit 1; }
done

nginx=$(command -v nginx || echo /usr/sbin/nginx)
[ -x "$nginx" ] || { echo "no nginx: skipped"; exit 77; }
rm -rf "$work"
mkdir -p "$work"
problems=()
problem() { problems+=("$*"); echo "PROBLEM: $*"; }
# nginx's own folder, in a temporary folder that nobody can reach when
# nginx runs as nobody.
ngx=$(mktemp -d "${TMPDIR:-/tmp}/zelk-nginx.XXXXXX")
pids=()
cleanup() {
    local pid
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$ngx"
}
trap cleanup EXIT

# A loopback port nothing listens on, below the kernel's range for
# ephemeral ports (32768 and up), which the other tests' servers and
# connections take theirs from.
free_port() {
    local port
    while :; do
        port=$((20000 + RANDOM % 12000))
        if ! (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
            echo "$port"
            return
        fi
    done
}

# zelk serve on an ephemeral port, which it puts in $port.
serve() {
    local folder=$1
    shift
    : >"$work/$folder.txt"
    "$zelk" serve "$work/$folder" --listen 127.0.0.1:0 --max-upload 2MiB --uploads-per-hour 1 "$@" \
        >"$work/$folder.txt" 2>&1 &
    pids+=($!)
    for _ in $(seq 200); do
        port=$(sed -n 's|^listening on http://127.0.0.1:\([0-9]*\)/$|\1|p' "$work/$folder.txt")
        [ -n "$port" ] && return
        sleep 0.05
    done
    echo "zelk serve did not start: $(cat "$work/$folder.txt")" >&2
    exit 1
}
serve behind --behind-proxy
behind=$port

# A self-signed certificate for the name, in place of the snakeoil one.
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=$name" -addext "subjectAltName=DNS:$name" \
    -keyout "$ngx/key.pem" -out "$ngx/cert.pem" 2>"$work/openssl.txt"
ipv6=no
if ip -6 address show dev lo 2>/dev/null | grep -q 'inet6 ::1/'; then
    ipv6=yes
fi
http=$(free_port) https=$(free_port)
# Each substitution must hit its line: a changed file fails here, not later.
substitute() {
    local text
    text=$(cat "$ngx/site.conf")
    [[ $text == *"$1"* ]] || problem "the configuration has no '$1'"
    printf '%s\n' "${text//"$1"/"$2"}" >"$ngx/site.conf"
}
cp "$site" "$ngx/site.conf"
substitute 'listen 80;' "listen 127.0.0.1:$http;"
substitute 'listen 443 ssl http2;' "listen 127.0.0.1:$https ssl http2;"
if [ $ipv6 = yes ]; then
    substitute 'listen [::]:80;' "listen [::1]:$http;"
    substitute 'listen [::]:443 ssl http2;' "listen [::1]:$https ssl http2;"
else
    echo "no IPv6 loopback here: the two [::] listen lines are left out"
    substitute 'listen [::]:80;' ''
    substitute 'listen [::]:443 ssl http2;' ''
fi
substitute /etc/ssl/certs/ssl-cert-snakeoil.pem "$ngx/cert.pem"
substitute /etc/ssl/private/ssl-cert-snakeoil.key "$ngx/key.pem"
substitute 'proxy_pass http://127.0.0.1:8080;' "proxy_pass http://127.0.0.1:$behind;"
substitute 'root /var/www/html;' "root $ngx/www;"

# The rest of what /etc/nginx/nginx.conf gives a site, in the work folder.
mkdir -p "$ngx/www/.well-known/acme-challenge"
echo challenge-answer >"$ngx/www/.well-known/acme-challenge/probe"
cat >"$ngx/nginx.conf" <<EOF
worker_processes 1;
pid $ngx/nginx.pid;
error_log $ngx/error.log;
events { worker_connections 64; }
http {
    access_log $ngx/access.log;
    client_body_temp_path $ngx/body;
    proxy_temp_path $ngx/proxy;
    fastcgi_temp_path $ngx/fastcgi;
    uwsgi_temp_path $ngx/uwsgi;
    scgi_temp_path $ngx/scgi;
    include $ngx/site.conf;
}
EOF
# Unprivileged: as root, nginx runs as nobody.
as_user=()
if [ "$(id -u)" -eq 0 ]; then
    chown -R nobody:nogroup "$ngx"
    as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
fi
"${as_user[@]}" "$nginx" -t -c "$ngx/nginx.conf" -p "$ngx" >"$work/nginx-t.txt" 2>&1 ||
    { cat "$work/nginx-t.txt"; echo "nginx -t refuses the configuration"; exit 1; }
"${as_user[@]}" "$nginx" -c "$ngx/nginx.conf" -p "$ngx" -g 'daemon off;' 2>"$work/nginx-stderr.txt" &
pids+=($!)
up=no
for _ in $(seq 400); do
    curl -s -o /dev/null "http://127.0.0.1:$http/" && { up=yes; break; }
    sleep 0.05
done
[ $up = yes ] || { cat "$work/nginx-stderr.txt" "$ngx/error.log" 2>/dev/null; echo "nginx did not start"; exit 1; }

# A request from a loopback address of its own (one entrant each), to the
# name nginx serves; the answer's headers and body are kept under OUT, and
# its status must be EXPECTED.
expect() {
    local expected=$1 out=$2 from=$3
    shift 3
    local status
    status=$(curl -sS --interface "$from" --resolve "$name:$http:$connect" \
        --resolve "$name:$https:$connect" --cacert "$ngx/cert.pem" \
        -D "$work/$out.headers" -o "$work/$out" -w '%{http_code}' "$@") || status="no answer"
    [ "$status" = "$expected" ] || problem "$out: $status, not $expected: $(head -c 300 "$work/$out" 2>/dev/null)"
}
connect=127.0.0.1
upload=(-H 'Accept: application/json' -F "log=@$log")

expect 301 redirect 127.0.0.2 "http://$name:$http/received"
grep -qi "^location: https://$name/received" "$work/redirect.headers" || problem "port 80 sends elsewhere: $(cat "$work/redirect.headers")"
expect 200 challenge 127.0.0.2 "http://$name:$http/.well-known/acme-challenge/probe"
expect 201 receipt 127.0.0.2 "${upload[@]}" "https://$name:$https/api/logs"
grep -q '"call":"UA2TV"' "$work/receipt" || problem "the receipt names no UA2TV: $(cat "$work/receipt")"
grep -qi '^strict-transport-security: max-age=' "$work/receipt.headers" || problem "no HSTS header"
# Logs of 1.5 and 3 MiB: below and above zelk's 2 MiB, both below nginx's
# limit. A refusal must come from zelk even when nginx is still sending the
# body.
head -c 1572864 /dev/zero | tr '\0' 'x' >"$work/large.log"
head -c 3145728 /dev/zero | tr '\0' 'x' >"$work/too-large.log"
# The same entrant again, claiming to be someone else.
expect 429 spoofed 127.0.0.2 -H 'X-Forwarded-For: 203.0.113.7' -H 'X-Real-IP: 203.0.113.7' \
    -H 'Accept: application/json' -F "log=@$work/large.log" "https://$name:$https/api/logs"
grep -q 'Too many uploads' "$work/spoofed" || problem "the 429 answer is not zelk's: $(head -c 300 "$work/spoofed")"
expect 201 other-entrant 127.0.0.3 "${upload[@]}" "https://$name:$https/api/logs"
if [ $ipv6 = yes ]; then
    connect='[::1]'
    expect 201 over-ipv6 ::1 "${upload[@]}" "https://$name:$https/api/logs"
    connect=127.0.0.1
fi
expect 413 too-large 127.0.0.4 -F "log=@$work/too-large.log" "https://$name:$https/api/logs"
grep -q 'larger than the 2 MiB' "$work/too-large" || problem "the 413 page is not zelk's: $(head -c 300 "$work/too-large")"
grep -qi '^content-security-policy:' "$work/too-large.headers" || problem "the 413 answer lacks zelk's headers"

# Without --behind-proxy, straight to zelk: its X-Forwarded-For changes
# nothing.
serve direct
direct=$port
for n in 1 2; do
    status=$(curl -sS --interface 127.0.0.2 -o "$work/direct-$n" -w '%{http_code}' \
        -H "X-Forwarded-For: 203.0.113.$n" "${upload[@]}" "http://127.0.0.1:$direct/api/logs") ||
        status="no answer"
    expected=$([ $n = 1 ] && echo 201 || echo 429)
    [ "$status" = "$expected" ] || problem "direct upload $n with its own X-Forwarded-For: $status, not $expected"
done

# The server's log names each entrant's own address, never one a client
# claimed.
for line in '127.0.0.2 POST /api/logs 201' '127.0.0.2 POST /api/logs 429' '127.0.0.3 POST /api/logs 201' \
    '127.0.0.4 POST /api/logs 413'; do
    grep -q "Z $line\$" "$work/behind.txt" || problem "the log behind nginx lacks '$line'"
done
grep -q 'Z 127.0.0.2 POST /api/logs 429$' "$work/direct.txt" || problem "the direct log lacks the address of the connection"
! grep -q '203\.0\.113\.' "$work/behind.txt" "$work/direct.txt" || problem "a log line names an address a client claimed"

if [ ${#problems[@]} -ne 0 ]; then
    echo "behind nginx: ${#problems[@]} problem(s)"
    tail -n 20 "$ngx/error.log" "$work/behind.txt" 2>/dev/null || true
    exit 1
fi
echo "behind nginx (IPv6: $ipv6): redirect, receipt with HSTS, zelk's 413, the limit per entrant, no trust in a client's X-Forwarded-For, the entrants' addresses in the log"
