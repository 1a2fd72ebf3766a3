# SPDX-License-Identifier: GPL-3.0-or-later
# The one way the scripts wait for something. Source this file, then:
#
#   wait_until SECONDS COMMAND...
#       runs COMMAND every 50 ms until it succeeds; non-zero after SECONDS.
#   process_ended PID
#       true once the process PID has ended (e.g. wait_until 5 process_ended PID).

wait_until() {
  local limit=$1
  shift
  local deadline=$((SECONDS + limit))
  until "$@"; do
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.05
  done
}

process_ended() { ! kill -0 "$1" 2>/dev/null; }
