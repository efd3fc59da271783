#!/usr/bin/env bash
# Installs the Debian packages the build needs that a fresh machine may lack,
# plus any packages named as arguments (scripts/install-deps.sh clang-19).
# Safe to run again: packages already present are left alone.
set -euo pipefail

packages=(cmake g++ googletest libgtest-dev libbenchmark-dev libssl-dev libcli11-dev "$@")
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "installing: ${missing[*]}" >&2
  sudo_cmd=()
  [[ $(id -u) -ne 0 ]] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
