#!/usr/bin/env bash
# Set-up, build, the delivered database under the program directory when it is
# missing, then the program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
bin=${JYX_BUILD_DIR:-$root/build}/bin
db="$bin/SysReg.db"
if [ ! -f "$db" ]; then
  "$bin/jyx-admin" create-db "$db"
fi
echo "Program directory: $bin"
echo "System database:   $db"
echo "Administration:    $bin/jyx-admin --help   (create-db, set-account, info)"
if [ -x "$bin/jyx" ]; then
  export FONTCONFIG_FILE="$bin/fonts/fonts.conf"
  if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: starting Jyx under Xvfb."
    exec xvfb-run -a -s "-screen 0 1920x1080x24" "$bin/jyx"
  fi
  exec "$bin/jyx"
else
  "$bin/jyx-admin" info "$db"
fi
