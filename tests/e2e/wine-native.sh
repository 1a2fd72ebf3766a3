#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Linux side of the live-audio tests of the Windows build, which run under
# Wine (SignalPlayerWine.cpp runs this script). Wine starts a Unix program
# that CreateProcess names natively, but gives back no process handle, no
# exit status and no pipe to it; so the script reports back through a file:
#
#   wine-native.sh RESULT play GENERATOR ARGS...
#                       starts `GENERATOR ARGS | pacat` into the null sink of
#                       the private server, in a session of its own, and
#                       prints its process group
#   wine-native.sh RESULT stop GROUP
#                       ends that group and waits (5 s at most) until the
#                       server no longer plays its stream
#   wine-native.sh RESULT streams
#                       prints how many streams play into the server
#   wine-native.sh RESULT signal NAME PID
#                       kill -NAME PID (the sound server's process)
#
# RESULT receives what the command printed and, as its last line, its exit
# status; it appears whole, renamed into place, once the command is done.
# Every started group is listed as LMX_E2E_NATIVE_DIR/GROUP.group until it is
# stopped, so that with-sound-server.sh can end what a killed test left
# playing. Diagnostics go to LMX_E2E_NATIVE_DIR/native.log.
set -uo pipefail
result=$1 command=$2
shift 2
dir=${LMX_E2E_NATIVE_DIR:?the test runs under tests/e2e/with-sound-server.sh}
exec 2>>"$dir/native.log"
source "$(dirname "$0")/../../scripts/lib/wait.sh"

streams() { pactl list short sink-inputs | wc -l; }
no_stream() { [ "$(streams)" = 0 ]; }
# A process of group $1 runs (one that has ended but was not reaped yet, as
# where nothing reaps the orphans that Wine's programs leave, does not count).
group_runs() { ps -e -o pgid=,stat= | awk -v group="$1" '$1 == group && $2 !~ /^Z/ { found = 1 } END { exit !found }'; }
no_group() { ! group_runs "$1"; }

# The same pipeline as SignalPlayer.cpp's. It first closes every descriptor
# but its standard ones: Wine passes some of its own on, and a signal that
# outlives the test must not hold them (nor, through them, CTest's output).
pipeline='for fd in $(ls /proc/$$/fd); do [ "$fd" -gt 2 ] && eval "exec $fd>&-"; done 2>/dev/null
exec "$0" "$@" | exec pacat --raw --format=s16le --rate=44100 --channels=1 --device=null --client-name=lmx-e2e --latency-msec=300'

run() {
  case $command in
    play)
      [ -x "$1" ] || { echo "wine-native.sh: the generator $1 is not there" >&2; return 1; }
      # setsid makes the background process the leader of a new session and
      # process group, in place.
      setsid bash -c "$pipeline" "$@" </dev/null >/dev/null &
      local group=$!
      # The group exists once setsid has run: only then can stop end it.
      wait_until 5 group_runs "$group" || return 1
      : >"$dir/$group.group"
      echo "$group"
      ;;
    stop)
      kill -TERM -- "-$1" 2>/dev/null
      wait_until 5 no_group "$1" || return 1
      rm -f "$dir/$1.group"
      # The server notices a client's end on its own schedule; until it has
      # removed the stream, the stream still plays into the sink.
      wait_until 5 no_stream
      ;;
    streams) streams ;;
    signal) kill -"$1" "$2" ;;
    *) echo "wine-native.sh: unknown command $command" >&2; return 2 ;;
  esac
}

output=$(run "$@")
status=$?
printf '%s\n%s\n' "$output" "$status" >"$result.part"
mv "$result.part" "$result"
