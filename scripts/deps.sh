#!/usr/bin/env bash
# Installs the Debian packages that building and testing the suite needs,
# when any is missing.  Run as root, or with sudo at hand.
set -euo pipefail

packages=(
  g++ cmake make pkg-config
  zlib1g-dev libbz2-dev liblzma-dev libzstd-dev libisal-dev
  libxxhash-dev uthash-dev libgtest-dev
  gzip bzip2 xz-utils zstd
  man-db groff-base
  "$@"
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  apt_get=(apt-get)
elif command -v sudo >/dev/null 2>&1; then
  apt_get=(sudo apt-get)
else
  echo "These Debian packages are missing: ${missing[*]}; install them as root." >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${apt_get[@]}" update -qq
"${apt_get[@]}" install -y -qq --no-install-recommends "${missing[@]}"
