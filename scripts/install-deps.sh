#!/usr/bin/env bash
# Installs the Debian packages the project builds, tests and runs with. Skips what is installed.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config ccache   # tool chain
  qt6-base-dev libudev-dev                  # application framework, serial port discovery
  qt6-tools-dev qt6-l10n-tools              # lrelease: the English texts of the window
  qt6-translations-l10n                     # Qt's own dialogs in Chinese
  libgtest-dev libgmock-dev libbenchmark-dev # tests and benchmarks
  libcli11-dev nlohmann-json3-dev           # the command line of the tools, their JSON documents
  clang-14 libclang-rt-14-dev               # fuzzing (libFuzzer) and sanitizer runtimes
  clang-format                              # the sources follow .clang-format (a CTest check)
  xvfb xauth fonts-noto-cjk                 # a display for the window, fonts for the Chinese texts
  poppler-utils                             # the manual's test reads the text of the built PDF
  g++-mingw-w64-x86-64-posix wine wine64 googletest # the Windows cross build, its tests under Wine
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null; then
    echo "These Debian packages are missing: ${missing[*]}" >&2
    echo "Install them as root (apt-get install ${missing[*]}), then run this command again." >&2
    exit 1
  fi
  sudo="sudo"
fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
