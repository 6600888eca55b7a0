#!/usr/bin/env bash
# Installs what the build, the tests and the demo need, where it is missing (Debian 12).
set -euo pipefail
packages=(
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools
  libwine-dev wine64 xvfb xauth googletest cmake ninja-build imagemagick
  fonts-arphic-gbsn00lp fonts-arphic-uming fonts-arphic-gkai00mp fonts-wine
  python3-fonttools locales
  openbox wmctrl xdotool x11-utils
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
# Runs a command as root: directly when root, else through sudo.
as_root() {
  if [ "$(id -u)" -eq 0 ]; then
    "$@"
  elif command -v sudo >/dev/null; then
    sudo "$@"
  else
    echo "install-deps: installing needs root: run this command as root, or install sudo" \
      "(as root: apt-get install -y sudo && adduser $(id -un) sudo, then log in again)." >&2
    exit 1
  fi
}

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing ${#missing[@]} packages and what they need with apt-get (on a fresh Debian 12:" \
    "about 450 packages, 560 MB to download, about 7 minutes)..."
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
fi

# The locale in which Wine's own dialogs speak Simplified Chinese (scripts/run-show.sh).
if ! grep -qx 'zh_CN.UTF-8 UTF-8' /etc/locale.gen || ! locale -a 2>/dev/null | grep -qx 'zh_CN.utf8'; then
  if grep -q '^# *zh_CN.UTF-8 UTF-8' /etc/locale.gen; then
    as_root sed -i 's/^# *\(zh_CN.UTF-8 UTF-8\)$/\1/' /etc/locale.gen
  elif ! grep -qx 'zh_CN.UTF-8 UTF-8' /etc/locale.gen; then
    echo 'zh_CN.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
  fi
  as_root locale-gen >/dev/null
fi
