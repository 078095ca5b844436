#!/usr/bin/env bash
# Maps a COM port of the Wine prefix onto a Unix serial device (a pseudo-terminal, a symbolic link to
# one, a USB serial adapter), so that a Windows program under Wine opens it as \\.\COMn and finds it
# in HKLM\HARDWARE\DEVICEMAP\SERIALCOMM and QueryDosDevice:
#   scripts/wine-com.sh DEVICE_PATH COMn     map COMn onto DEVICE_PATH
#   scripts/wine-com.sh --remove COMn        drop the mapping
# Wine reads HKLM\Software\Wine\Ports when its server starts, so the server of the prefix is stopped
# (wineserver -k): run this while no other program of the prefix runs. WINEPREFIX selects the prefix.
# A symbolic link is resolved at each open, so a device that comes and goes under one link path (the
# simulator's --link) needs the mapping only once.
set -euo pipefail

usage() {
  echo "usage: scripts/wine-com.sh DEVICE_PATH COMn | --remove COMn" >&2
  exit 2
}
[[ $# -eq 2 ]] || usage
port="${2^^}"
[[ "$port" =~ ^COM[1-9][0-9]{0,2}$ ]] || usage
export WINEDEBUG="${WINEDEBUG:--all}"
key='HKLM\Software\Wine\Ports'

if [[ "$1" == "--remove" ]]; then
  wine reg delete "$key" /v "$port" /f >/dev/null 2>&1 || true
else
  device="$1"
  [[ "$device" == /* ]] || device="$PWD/$device"
  wine reg add "$key" /v "$port" /t REG_SZ /d "$device" /f >/dev/null
fi
wineserver -k >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1 || true
