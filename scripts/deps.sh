#!/usr/bin/env bash
# Installs what building, running and testing Linkpeel needs on Debian 12.
# Quiet when everything is already there.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libgl-dev libjpeg-dev libcurl4-openssl-dev nlohmann-json3-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth x11-apps imagemagick fonts-wqy-microhei
  python3 openssl ca-certificates curl iproute2 util-linux hyperfine
  # linkpeel-resolve --aria2 is tested with the real download manager.
  aria2
  # The window program: xdotool finds and closes its window on a virtual
  # display (scripts/run.sh, tests); libx11-dev builds the benchmark's key sender.
  xdotool libx11-dev
  # The Windows programs: mingw-w64 with POSIX threads (std::thread) for 64 and
  # 32 bits, GoogleTest's sources to build it for them, Wine to run the 64-bit
  # ones (locales gives localedef its sources for the locales they run under).
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix googletest wine wine64 locales
  # The packages: the Debian package (CPack runs dpkg-shlibdeps; pod2man makes
  # the man pages) and the tools that check it, and NSIS for the Windows installer.
  dpkg-dev perl file lintian desktop-file-utils appstream man-db nsis
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
