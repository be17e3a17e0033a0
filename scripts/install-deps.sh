#!/bin/sh
# Installs every Debian package that building, testing and running Tessaro needs.
# Idempotent: packages that are already installed are left alone, so a second run
# costs a few dpkg queries and nothing else.
set -eu

PACKAGES="
  build-essential cmake ninja-build pkg-config
  clang-14 libclang-rt-14-dev
  qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev
  libqcustomplot-dev
  libcurl4-openssl-dev
  libgtest-dev libgmock-dev libbenchmark-dev libcpp-httplib-dev
  fonts-dejavu-core fonts-wqy-microhei
  xvfb xauth
"

missing=""
for p in $PACKAGES; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $p"
  fi
done

if [ -z "$missing" ]; then
  exit 0
fi

echo "install-deps: installing:$missing"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
if ! $SUDO apt-get install -y --no-install-recommends $missing; then
  $SUDO apt-get update
  $SUDO apt-get install -y --no-install-recommends $missing
fi
