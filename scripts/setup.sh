#!/usr/bin/env bash
# Installs what building and testing need on a Debian 12 machine (run as root):
# the MinGW-w64 cross compilers, Wine (64-bit and 32-bit sides), Xvfb, NSIS, zip,
# openssl and osslsigncode for signed releases, git for the release stamps and
# the rebuild check, and qemu-user 10 from bookworm-backports, registered for
# i386 programs, because this kernel refuses 32-bit ELF programs and Wine's
# 32-bit side needs it. osslsigncode comes from bookworm-backports as well
# (2.9, the version the release scripts are tried with).
set -euo pipefail

need_install=0
for tool in i686-w64-mingw32-g++-posix x86_64-w64-mingw32-g++-posix wine Xvfb makensis cmake convert xwd python3 \
    zip unzip git openssl osslsigncode; do
  command -v "$tool" >/dev/null 2>&1 || need_install=1
done
[ -x /usr/lib/wine/wine64 ] || need_install=1
[ -x /usr/lib/wine/wine ] || need_install=1

# The mirror the machine already uses, for the backports suite.
mirror_uri() {
  local uri=""
  if ls /etc/apt/sources.list.d/*.sources >/dev/null 2>&1; then
    uri=$(awk '/^URIs:/ {u=$2} /^Suites:/ && / bookworm( |$)/ {print u; exit}' /etc/apt/sources.list.d/*.sources || true)
  fi
  if [ -z "$uri" ] && [ -f /etc/apt/sources.list ]; then
    uri=$(awk '$1=="deb" && $3=="bookworm" {print $2; exit}' /etc/apt/sources.list || true)
  fi
  echo "$uri"
}

qemu_ok() { command -v qemu-i386 >/dev/null 2>&1 && qemu-i386 --version 2>/dev/null | grep -qE 'version (9|1[0-9])\.'; }

if [ "$need_install" = 1 ] || ! qemu_ok; then
  export DEBIAN_FRONTEND=noninteractive
  dpkg --add-architecture i386
  uri=$(mirror_uri)
  if [ -n "$uri" ] && ! grep -rqs 'bookworm-backports' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    printf 'Types: deb\nURIs: %s\nSuites: bookworm-backports\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' "$uri" \
      > /etc/apt/sources.list.d/zorvane-backports.sources
  fi
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends \
    g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-i686 binutils-mingw-w64-x86-64 \
    mingw-w64-tools wine wine64 wine32:i386 libwine:i386 xvfb x11-apps imagemagick nsis cmake make python3 zip \
    xauth fonts-dejavu-core unzip git openssl >/dev/null
  apt-get install -y -qq --no-install-recommends -t bookworm-backports qemu-user osslsigncode >/dev/null
fi

# Wine's 32-bit loader runs through qemu-i386 (binfmt_misc).
if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
  [ -e /proc/sys/fs/binfmt_misc/register ] || mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
  [ -e /proc/sys/fs/binfmt_misc/qemu-i386 ] && echo -1 > /proc/sys/fs/binfmt_misc/qemu-i386
  qemu=$(command -v qemu-i386)
  printf '%s' ":qemu-i386:M::\\x7fELF\\x01\\x01\\x01\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x02\\x00\\x03\\x00:\\xff\\xff\\xff\\xff\\xff\\xfe\\xfe\\x00\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xfe\\xff\\xff\\xff:${qemu}:F" \
    > /proc/sys/fs/binfmt_misc/register
fi
/usr/lib/wine/wine --version
