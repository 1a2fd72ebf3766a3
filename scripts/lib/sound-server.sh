# A private PulseAudio sound server for the demo, the screenshots and the
# end-to-end test. Source this file, then:
#
#   start_sound_server DIR   starts it with its socket, logs and state in DIR
#                            and exports PULSE_SERVER for the programs started
#                            afterwards; returns non-zero when it cannot start
#   stop_sound_server        ends it (also done by the caller's exit trap)
#
# The server has one null sink ("null", mono, 16 bit, 44100 Hz) and takes the
# sink's monitor as its default source, so whatever is played into the sink is
# what a capture from the server's "pulse" device receives, sample for sample.
# Nothing plays at start: the monitor of an idle null sink delivers silence.
# The user's own sound server, if any, is neither used nor disturbed.

SOUND_SERVER_PID=
SOUND_SERVER_DIR=

start_sound_server() {
  local dir=$1
  if ! command -v pulseaudio >/dev/null || ! command -v pactl >/dev/null; then
    echo "sound server: pulseaudio and pactl are needed (Debian: apt-get install pulseaudio pulseaudio-utils libasound2-plugins)" >&2
    return 1
  fi
  mkdir -p "$dir/runtime" "$dir/state"
  chmod 700 "$dir/runtime"
  SOUND_SERVER_DIR=$dir
  cat >"$dir/server.pa" <<PA
load-module module-native-protocol-unix socket=$dir/socket auth-anonymous=1
load-module module-null-sink sink_name=null format=s16le rate=44100 channels=1
set-default-sink null
set-default-source null.monitor
PA
  # Runtime and state files go to DIR; the user's ~/.config/pulse stays untouched.
  # Started from a subshell, so that this shell does not report its end as a job's.
  SOUND_SERVER_PID=$(
    XDG_RUNTIME_DIR=$dir/runtime PULSE_RUNTIME_PATH=$dir/runtime PULSE_STATE_PATH=$dir/state \
      pulseaudio -n -F "$dir/server.pa" --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
      --disable-shm=yes --realtime=no --high-priority=no --log-target=file:"$dir/server.log" \
      </dev/null >/dev/null 2>"$dir/server.err" &
    echo $!
  )
  export PULSE_SERVER=unix:$dir/socket
  # Sound-server clients need a runtime folder: the caller's own where it exists.
  export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$dir/runtime}
  if [ ! -d "$XDG_RUNTIME_DIR" ]; then
    export XDG_RUNTIME_DIR=$dir/runtime
  fi
  local i
  for i in $(seq 1 100); do
    if ! kill -0 "$SOUND_SERVER_PID" 2>/dev/null; then
      echo "sound server: pulseaudio ended at start:" >&2
      cat "$dir/server.err" "$dir/server.log" >&2 2>/dev/null || true
      SOUND_SERVER_PID=
      return 1
    fi
    if pactl info >/dev/null 2>&1; then
      return 0
    fi
    sleep 0.1
  done
  echo "sound server: no answer on $PULSE_SERVER after 10 s" >&2
  stop_sound_server
  return 1
}

stop_sound_server() {
  [ -n "$SOUND_SERVER_PID" ] || return 0
  local i
  kill "$SOUND_SERVER_PID" 2>/dev/null || true
  for i in $(seq 1 50); do
    kill -0 "$SOUND_SERVER_PID" 2>/dev/null || break
    sleep 0.1
  done
  kill -KILL "$SOUND_SERVER_PID" 2>/dev/null || true
  SOUND_SERVER_PID=
}

# Plays our generator into the server's null sink:
#   play_signal GENERATOR ARGS...   e.g. play_signal build/tools/lmx-signal lamp --hold 4047
#   stop_signal
# The pipeline runs in a process group of its own, so that stop_signal ends
# the generator and pacat together. The generator does not pace itself: pacat
# takes samples as the sink plays them.
SIGNAL_GROUP=

play_signal() {
  stop_signal
  local generator=$1
  shift
  setsid bash -c 'exec "$0" "$@" | exec pacat --raw --format=s16le --rate=44100 --channels=1 --device=null --client-name=lmx-signal' \
    "$generator" "$@" </dev/null >/dev/null 2>>"${SOUND_SERVER_DIR:-/tmp}/signal.log" &
  SIGNAL_GROUP=$!
}

stop_signal() {
  if [ -n "$SIGNAL_GROUP" ]; then
    kill -- "-$SIGNAL_GROUP" 2>/dev/null || true
    { wait "$SIGNAL_GROUP"; } 2>/dev/null || true
    SIGNAL_GROUP=
  fi
}

# Waits (at most $2 seconds, default 15) until the settings file $1 holds a
# zero level: the program has finished its first-start calibration.
wait_for_calibration() {
  local file=$1 limit=${2:-15} i
  for i in $(seq 1 $((limit * 10))); do
    grep -qi '^"zero"=' "$file" 2>/dev/null && return 0
    sleep 0.1
  done
  return 1
}

# True when the program would measure from this server: device 0 is the
# server's "pulse" device. A capture card that takes the program's format
# would come first. $1 is our lmx-input tool.
program_input_is_server() {
  local input
  input=$("$1" 2>/dev/null | sed -n 's/^device 0 (the program.s input): //p' || true)
  [ "$input" = pulse ] && return 0
  echo "The program would measure from \"${input:-no device}\", not from the private sound server" >&2
  echo "(see \"Choosing the input on Linux\" in README.md)." >&2
  return 1
}
