#!/bin/sh
# An HTTPS site on 127.0.0.1 for the update tests, run on the Linux side (Wine
# starts it): a test authority of its own, a certificate from it for the given
# host names, and openssl's s_server answering GET /<file> with the whole HTTP
# reply kept in <folder>/www/<file>. It writes "ready" into <folder>/state once
# it listens, and ends, removing the folder, when <folder>/stop appears, or after
# five minutes at most.
# Usage: tls_site.sh <folder> <port> <host name>...
set -u
folder=$1 port=$2; shift 2
cd "$folder" || exit 1
mkdir -p www
names=""
# An address is named both ways: Windows matches it as an address, Wine only as a name.
for name in "$@"; do
  case $name in
    *[!0-9.]*) names="$names${names:+,}DNS:$name" ;;
    *) names="$names${names:+,}IP:$name,DNS:$name" ;;
  esac
done
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Zorvane test authority $port" \
  -keyout ca.key -out ca.pem 2>/dev/null &&
  openssl x509 -in ca.pem -outform der -out ca.der &&
  openssl req -newkey rsa:2048 -nodes -subj "/CN=$1" -keyout site.key -out site.csr 2>/dev/null &&
  printf 'subjectAltName=%s\nextendedKeyUsage=serverAuth\n' "$names" > site.ext &&
  openssl x509 -req -in site.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 -extfile site.ext \
    -out site.pem 2>/dev/null || { echo failed > state; exit 1; }
cd www
openssl s_server -accept "127.0.0.1:$port" -cert ../site.pem -key ../site.key -HTTP >../server.log 2>&1 &
server=$!
for _ in $(seq 1500); do
  grep -q ACCEPT ../server.log 2>/dev/null && [ ! -e ../state ] && echo ready > ../state
  [ -e ../stop ] && break
  kill -0 "$server" 2>/dev/null || break
  sleep 0.2
done
kill "$server" 2>/dev/null
wait "$server" 2>/dev/null
cd / && rm -rf "$folder"
