# SPDX-License-Identifier: GPL-3.0-or-later
# A private sound server for the demo, the screenshots and the end-to-end
# tests. Source this file, then:
#
#   start_sound_server DIR [pulseaudio|pipewire]
#                            starts PulseAudio (the default) or PipeWire with
#                            its socket, logs and state in DIR and exports
#                            PULSE_SERVER (and for PipeWire PIPEWIRE_RUNTIME_DIR)
#                            for the programs started afterwards; returns
#                            non-zero when it cannot start
#   stop_sound_server        ends it (also done by the caller's exit trap)
#
# The server has one null sink ("null", mono, 16 bit, 44100 Hz) and takes the
# sink's monitor as its default source, so whatever is played into the sink is
# what a capture from the server's "pulse" device (and PipeWire's "pipewire"
# device) receives, sample for sample. Nothing plays at start: the monitor of
# an idle null sink delivers silence. The user's own sound server, if any, is
# neither used nor disturbed.
#
# SOUND_SERVER_PID is the process that holds the sound: PulseAudio, or
# PipeWire's own daemon (whose graph feeds WirePlumber, pipewire-pulse and the
# ALSA plugin; they lose their streams when it ends). The processes are
# children of the calling shell and die with it, even when it is killed.

source "$(dirname "${BASH_SOURCE[0]}")/wait.sh"

SOUND_SERVER_PID=
SOUND_SERVER_PIDS=()
SOUND_SERVER_DIR=

# Starts a server process from this shell, ended by the kernel when this shell
# ends (setpriv sets PR_SET_PDEATHSIG before it runs the command).
_sound_server_spawn() {
  local log=$1
  shift
  setpriv --pdeathsig KILL "$@" </dev/null >/dev/null 2>"$log" &
  SOUND_SERVER_PIDS+=($!)
  # Not a job of this shell: its end is not reported.
  disown $!
}

start_sound_server() {
  local dir=$1 server=${2:-pulseaudio}
  mkdir -p "$dir/runtime" "$dir/state"
  chmod 700 "$dir/runtime"
  SOUND_SERVER_DIR=$dir
  case $server in
    pulseaudio) _start_pulseaudio "$dir" || return 1 ;;
    pipewire) _start_pipewire "$dir" || return 1 ;;
    *) echo "sound server: unknown server $server" >&2; return 1 ;;
  esac
  # Sound-server clients need a runtime folder: the caller's own where it exists.
  export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$dir/runtime}
  if [ ! -d "$XDG_RUNTIME_DIR" ]; then
    export XDG_RUNTIME_DIR=$dir/runtime
  fi
  if ! wait_until 10 _sound_server_answers_or_ended; then
    echo "sound server: no answer on $PULSE_SERVER after 10 s" >&2
    stop_sound_server
    return 1
  fi
  if ! _sound_server_alive; then
    echo "sound server: $server ended at start:" >&2
    cat "$dir"/*.err "$dir/server.log" >&2 2>/dev/null || true
    stop_sound_server
    return 1
  fi
  [ "$server" = pipewire ] && { _add_pipewire_null_sink || { stop_sound_server; return 1; }; }
  return 0
}

_sound_server_alive() {
  local pid
  for pid in "${SOUND_SERVER_PIDS[@]}"; do
    kill -0 "$pid" 2>/dev/null || return 1
  done
}
_sound_server_answers_or_ended() { ! _sound_server_alive || pactl info >/dev/null 2>&1; }

_start_pulseaudio() {
  local dir=$1
  if ! command -v pulseaudio >/dev/null || ! command -v pactl >/dev/null; then
    echo "sound server: pulseaudio and pactl are needed (Debian: apt-get install pulseaudio pulseaudio-utils libasound2-plugins)" >&2
    return 1
  fi
  cat >"$dir/server.pa" <<PA
load-module module-native-protocol-unix socket=$dir/socket auth-anonymous=1
load-module module-null-sink sink_name=null format=s16le rate=44100 channels=1
set-default-sink null
set-default-source null.monitor
PA
  # Runtime and state files go to DIR; the user's ~/.config/pulse stays untouched.
  _sound_server_spawn "$dir/server.err" \
    env XDG_RUNTIME_DIR="$dir/runtime" PULSE_RUNTIME_PATH="$dir/runtime" PULSE_STATE_PATH="$dir/state" \
    pulseaudio -n -F "$dir/server.pa" --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
    --disable-shm=yes --realtime=no --high-priority=no --log-target=file:"$dir/server.log"
  SOUND_SERVER_PID=${SOUND_SERVER_PIDS[0]}
  export PULSE_SERVER=unix:$dir/socket
}

# PipeWire as a desktop runs it: the daemon, the session manager WirePlumber
# (which links streams to the default sink and source and needs a D-Bus
# session bus: a private one) and pipewire-pulse, PipeWire's PulseAudio
# service. Configuration, state and sockets are all in DIR.
_start_pipewire() {
  local dir=$1 program
  for program in pipewire wireplumber pipewire-pulse dbus-daemon pactl; do
    if ! command -v $program >/dev/null; then
      echo "sound server: $program is needed (Debian: apt-get install pipewire wireplumber pipewire-pulse dbus-daemon dbus-session-bus-common pulseaudio-utils)" >&2
      return 1
    fi
  done
  mkdir -p "$dir/config/pipewire/pipewire.conf.d"
  # PipeWire runs its graph at 48000 Hz unless told it may run at another
  # rate; then it takes the rate of the null sink and of the capture, 44100
  # Hz, instead of resampling every sample twice. Cycles of at least 1024
  # samples, as PipeWire sets itself on virtual machines (it does not
  # recognise every one): shorter cycles are often missed on a busy machine,
  # and PipeWire plays a missed cycle as silence.
  cat >"$dir/config/pipewire/pipewire.conf.d/lmx-tests.conf" <<CONF
context.properties = {
    default.clock.allowed-rates = [ 44100 48000 ]
    default.clock.min-quantum = 1024
}
CONF
  local bus=unix:path=$dir/bus
  _sound_server_spawn "$dir/dbus.err" dbus-daemon --session --nofork --nopidfile --address="$bus"
  wait_until 5 test -S "$dir/bus" || true
  for program in pipewire wireplumber pipewire-pulse; do
    _sound_server_spawn "$dir/$program.err" env -u PIPEWIRE_REMOTE -u PULSE_SERVER \
      XDG_RUNTIME_DIR="$dir/runtime" PIPEWIRE_RUNTIME_DIR="$dir/runtime" XDG_CONFIG_HOME="$dir/config" \
      XDG_STATE_HOME="$dir/state" DBUS_SESSION_BUS_ADDRESS="$bus" $program
    # WirePlumber and pipewire-pulse give up when the daemon's socket is not there yet.
    if [ $program = pipewire ]; then
      wait_until 5 test -S "$dir/runtime/pipewire-0" || true
    fi
  done
  SOUND_SERVER_PID=${SOUND_SERVER_PIDS[1]}
  export PULSE_SERVER=unix:$dir/runtime/pulse/native PIPEWIRE_RUNTIME_DIR=$dir/runtime
  unset PIPEWIRE_REMOTE
}

# The null sink is made through pipewire-pulse, as PulseAudio's is. Its nodes
# appear, and WirePlumber takes them up as the defaults, a moment later.
_add_pipewire_null_sink() {
  pactl load-module module-null-sink sink_name=null format=s16le rate=44100 channels=1 >/dev/null || return 1
  wait_until 5 _null_sink_is_default && return 0
  echo "sound server: null.monitor did not become PipeWire's default source" >&2
  return 1
}
_null_sink_is_default() {
  pactl set-default-sink null 2>/dev/null && pactl set-default-source null.monitor 2>/dev/null &&
    pactl info 2>/dev/null | grep -qx "Default Source: null.monitor"
}

stop_sound_server() {
  [ ${#SOUND_SERVER_PIDS[@]} -gt 0 ] || return 0
  local pid
  kill "${SOUND_SERVER_PIDS[@]}" 2>/dev/null || true
  for pid in "${SOUND_SERVER_PIDS[@]}"; do
    wait_until 5 process_ended "$pid" || kill -KILL "$pid" 2>/dev/null || true
  done
  SOUND_SERVER_PID=
  SOUND_SERVER_PIDS=()
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
wait_for_calibration() { wait_until "${2:-15}" _has_zero_level "$1"; }
_has_zero_level() { grep -qi '^"zero"=' "$1" 2>/dev/null; }

# True when the program would measure from this server: device 0 is the
# server's "pulse" device. A capture card that takes the program's format
# would come first. $1 is our lmx-input tool.
program_input_is_server() {
  local input
  input=$("$1" 2>/dev/null | sed -n 's/^device 0 (the program.s input): //p' || true)
  [ "$input" = pulse ] && return 0
  echo "The program would measure from \"${input:-no device}\", not from the private sound server" >&2
  echo "(see \"Choosing the input on Linux\" in docs/linux-input.md)." >&2
  return 1
}
