# SPDX-License-Identifier: GPL-3.0-or-later
# The private display of the desktop tests, the benchmarks and the screenshots.
# Source this file, then:
#
#   start_x_server DIR WIDTHxHEIGHT [--window-manager] [--compositor]
#       Xvfb on a display number it chooses itself (-displayfd), with the
#       openbox window manager and the xcompmgr compositing manager where
#       asked; exports DISPLAY.
#   start_weston DIR WIDTHxHEIGHT [--xwayland]
#       weston's headless compositor with a Wayland socket of its own; exports
#       WAYLAND_DISPLAY (the socket's full path, so that the caller's
#       XDG_RUNTIME_DIR stays as it is). With --xwayland weston also serves X
#       clients through Xwayland, with weston's own X window manager, and
#       DISPLAY is exported too.
#   stop_x_server
#       ends what was started (also done by the kernel when the calling shell
#       ends: the servers are started with a parent-death signal).
#
# Each returns non-zero, with the reason on stderr and the servers' logs in
# DIR, when a piece does not come up within its time limit. The user's own
# display is neither used nor disturbed. Sourcing this file also brings
# wait_until (scripts/lib/wait.sh).

source "$(dirname "${BASH_SOURCE[0]}")/wait.sh"

X_SERVER_PIDS=()

_x_server_spawn() {
  local log=$1
  shift
  setpriv --pdeathsig KILL "$@" </dev/null >"$log" 2>&1 &
  X_SERVER_PIDS+=($!)
  disown $!
}

_x_server_fail() {
  echo "x server: $1 (logs in ${2:-the work folder})" >&2
  stop_x_server
  return 1
}

# True once a window manager has named itself on the root window.
_window_manager_ready() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep "window id" >/dev/null; }
_compositor_ready() { [ -n "$(xdotool search --name '^xcompmgr$' 2>/dev/null)" ]; }

start_x_server() {
  local dir=$1 size=$2 wm=false compositor=false
  shift 2
  while [ $# -gt 0 ]; do
    case $1 in
      --window-manager) wm=true ;;
      --compositor) compositor=true ;;
      *) echo "start_x_server: unknown option $1" >&2; return 2 ;;
    esac
    shift
  done
  mkdir -p "$dir"
  local attempt taken=()
  for attempt in 1 2 3; do
    _start_xvfb "$dir" "$size" && _start_managers "$dir" $wm $compositor && break
    echo "x server: display $DISPLAY did not come up as ours (attempt $attempt)" >>"$dir/attempts.log"
    # That Xvfb keeps its display number until the next has chosen another.
    taken+=("${X_SERVER_PIDS[@]}")
    X_SERVER_PIDS=()
    [ $attempt -lt 3 ] || { kill "${taken[@]}" 2>/dev/null; _x_server_fail "the X server did not start" "$dir"; return 1; }
  done
  [ ${#taken[@]} -eq 0 ] || kill "${taken[@]}" 2>/dev/null || true
}

_start_managers() {
  local dir=$1 wm=$2 compositor=$3
  if $wm; then
    _x_server_spawn "$dir/openbox.log" openbox --sm-disable
    wait_until 20 _window_manager_ready || return 1
  fi
  if $compositor; then
    _x_server_spawn "$dir/xcompmgr.log" xcompmgr
    # xcompmgr makes a window of its name to own the compositing selection
    # (_NET_WM_CM_S0) before it takes over the drawing of the windows.
    wait_until 20 _compositor_ready || return 1
  fi
  return 0
}

# Xvfb on a free display. It is ours once it answers there with the screen
# size asked for: a display number can be taken twice when another server
# left its lock behind, and X clients then reach whichever server holds the
# abstract socket.
_start_xvfb() {
  local dir=$1 size=$2
  rm -f "$dir/display"
  # Xvfb writes the display number it took to fd 3 once it accepts clients.
  setpriv --pdeathsig KILL Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp \
    3>"$dir/display" </dev/null >"$dir/xvfb.log" 2>&1 &
  X_SERVER_PIDS+=($!)
  disown $!
  wait_until 20 test -s "$dir/display" || return 1
  export DISPLAY=:$(head -n 1 "$dir/display")
  kill -0 "${X_SERVER_PIDS[0]}" 2>/dev/null && xdpyinfo 2>/dev/null | grep "dimensions: *$size pixels" >/dev/null &&
    ! _window_manager_ready  # a fresh Xvfb has none yet
}

start_weston() {
  local dir=$1 size=$2 xwayland=false
  [ "${3:-}" = --xwayland ] && xwayland=true
  mkdir -p "$dir/runtime"
  chmod 700 "$dir/runtime"
  rm -f "$dir/x-display"
  # weston gives its clients the X display it listens on in DISPLAY; the
  # program it starts after its start-up writes it down for us.
  cat >"$dir/announce-display" <<EOF
#!/bin/sh
echo "\$DISPLAY" >"$dir/x-display.new" && mv "$dir/x-display.new" "$dir/x-display"
EOF
  chmod +x "$dir/announce-display"
  {
    echo "[core]"
    echo "xwayland=$xwayland"
    echo "[shell]"
    echo "panel-position=none"
    if $xwayland; then
      echo "[autolaunch]"
      echo "path=$dir/announce-display"
    fi
  } >"$dir/weston.ini"
  _x_server_spawn "$dir/weston.err" env XDG_RUNTIME_DIR="$dir/runtime" \
    weston --backend=headless-backend.so --width="${size%x*}" --height="${size#*x}" \
    --socket=lmx-wayland --config="$dir/weston.ini" --log="$dir/weston.log"
  wait_until 20 test -S "$dir/runtime/lmx-wayland" || { _x_server_fail "weston did not start" "$dir"; return 1; }
  export WAYLAND_DISPLAY=$dir/runtime/lmx-wayland
  $xwayland || return 0
  wait_until 20 test -s "$dir/x-display" || { _x_server_fail "weston did not announce an X display" "$dir"; return 1; }
  export DISPLAY=$(cat "$dir/x-display")
  # The first X client makes weston start Xwayland and its window manager.
  wait_until 30 _window_manager_ready || { _x_server_fail "Xwayland or weston's X window manager did not start" "$dir"; return 1; }
}

stop_x_server() {
  [ ${#X_SERVER_PIDS[@]} -gt 0 ] || return 0
  local pid
  kill "${X_SERVER_PIDS[@]}" 2>/dev/null || true
  for pid in "${X_SERVER_PIDS[@]}"; do
    wait_until 5 process_ended "$pid" || kill -KILL "$pid" 2>/dev/null || true
  done
  X_SERVER_PIDS=()
}

