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
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi

# The locale in which Wine's own dialogs speak Simplified Chinese (scripts/run-show.sh).
if ! grep -qx 'zh_CN.UTF-8 UTF-8' /etc/locale.gen || ! locale -a 2>/dev/null | grep -qx 'zh_CN.utf8'; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  if grep -q '^# *zh_CN.UTF-8 UTF-8' /etc/locale.gen; then
    $sudo sed -i 's/^# *\(zh_CN.UTF-8 UTF-8\)$/\1/' /etc/locale.gen
  elif ! grep -qx 'zh_CN.UTF-8 UTF-8' /etc/locale.gen; then
    echo 'zh_CN.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
  fi
  $sudo locale-gen >/dev/null
fi
