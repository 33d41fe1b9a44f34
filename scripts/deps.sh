#!/bin/bash
# Installs what building and testing need on Debian 12 (run as root). Does nothing when all of
# it is present already.
set -euo pipefail
if [ $# -gt 0 ]; then
  echo "usage: deps.sh (no arguments; run as root to install what is missing)" >&2
  exit 2
fi
packages=(cmake make g++-mingw-w64-i686 mingw-w64-i686-dev binutils-mingw-w64-i686 googletest
          wine wine32:i386 wine64 xvfb xauth x11-utils fonts-wine imagemagick locales clang-format
          osslsigncode openssl lzma-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" != 0 ]; then
    echo "missing packages (run as root to install them): ${missing[*]}" >&2
    exit 1
  fi
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  apt-get update -qq
  # With recommends, as measured: Wine's X11 driver loads several of them at run time.
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
fi
# Double-byte code page tests run Wine under a Japanese locale (ANSI code page 932).
if ! locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$'; then
  if [ "$(id -u)" = 0 ]; then
    sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >> /etc/locale.gen
    locale-gen >/dev/null
  fi
fi
