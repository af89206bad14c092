#!/bin/sh
# Keeps a picture of the program's window for a person to look at.
#   screenshot.sh PNG DRIVER-COMMAND...
# DRIVER-COMMAND runs the driver's "screenshot" scenario, which holds the
# window still, writing its geometry to "window-ready", until this script
# has taken the picture and created "screenshot-taken".
set -u
png=$1
shift
rm -f window-ready screenshot-taken "$png"
"$@" &
driver=$!
while [ ! -s window-ready ] && kill -0 "$driver" 2>/dev/null; do sleep 0.1; done
status=0
if [ -s window-ready ]; then
  import -window root -crop "$(cat window-ready)" +repage "$png" || status=1
else
  status=1
fi
touch screenshot-taken
wait "$driver" || status=1
rm -f window-ready screenshot-taken
[ "$status" -eq 0 ] && identify "$png"
