#!/usr/bin/env bash
# Installs every Debian package the project builds, tests and runs with.
# Idempotent: does nothing when all of them are already present.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config clang-format
  clang libclang-rt-14-dev llvm-14
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev libgl-dev qt6-translations-l10n
  libcurl4-openssl-dev libpcre2-dev libsqlite3-dev sqlite3 libpq-dev postgresql
  libzip-dev zlib1g-dev libpugixml-dev libxml2-dev libxlsxwriter-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev libcpp-httplib-dev
  openssl fonts-noto-cjk xdg-utils
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update
$SUDO apt-get install -y --no-install-recommends "${missing[@]}"
