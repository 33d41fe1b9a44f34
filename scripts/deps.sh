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
          osslsigncode openssl lzma-dev fonts-ipafont-gothic)
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
  # On a freshly started machine the automatic updates may hold apt's locks for minutes. apt
  # waits for the package lock itself; for the lists lock of "apt-get update" it does not.
  echo "deps.sh: installing ${missing[*]}; waiting up to ten minutes if another apt run holds its lock" >&2
  tries=0
  until output=$(apt-get update -qq 2>&1); do
    if ! grep -q "Could not get lock" <<< "$output" || [ "$tries" -ge 60 ]; then
      echo "$output" >&2
      [ "$tries" -lt 60 ] || echo "deps.sh: apt's lock was still held after ten minutes" >&2
      exit 100
    fi
    [ "$tries" -gt 0 ] || echo "deps.sh: another apt run holds the package lists' lock; waiting" >&2
    tries=$((tries + 1))
    sleep 10
  done
  # With recommends, as measured: Wine's X11 driver loads several of them at run time.
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq -o DPkg::Lock::Timeout=600 \
    "${missing[@]}" >/dev/null
fi
# Double-byte code page tests run Wine under a Japanese locale (ANSI code page 932).
if ! locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$'; then
  if [ "$(id -u)" = 0 ]; then
    sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >> /etc/locale.gen
    locale-gen >/dev/null
  fi
fi
