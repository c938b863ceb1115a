#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the CI checks need.
# Idempotent: only missing packages are fetched. Usage: deps.sh [extra packages...]
set -euo pipefail

packages=(cmake make g++ pkg-config qtbase5-dev libqt5serialport5-dev fonts-dejavu-core fonts-liberation
    busybox python3 lrzsz "$@") # busybox, python3: the line editors the console is tested against;
    # lrzsz: the XMODEM and YMODEM receivers the transfers are tested against
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" \
        || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
