# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages named, if any is missing (as root or with sudo).
ensure_packages() {
  local missing=() p
  for p in "$@"; do
    installed "$p" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get update -qq
  # --no-remove: a package that conflicts with an installed one fails the
  # install instead of removing the other.
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends --no-remove "${missing[@]}" >/dev/null
}

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

# The packages of the private sound servers (scripts/lib/sound-server.sh):
# PulseAudio, and PipeWire as a desktop runs it (the daemon, WirePlumber,
# pipewire-pulse). The client programs (pactl, pacat, ALSA's PulseAudio
# plug-in, a private D-Bus session bus for WirePlumber) sit beside either.
#
# The two servers compete at a login, not in the tests: Debian enables the
# per-user services of pulseaudio and of pipewire-pulse for every user when
# they are installed, both listen on the session's PulseAudio socket
# ($XDG_RUNTIME_DIR/pulse/native), and systemd starts only one of them. And
# pulseaudio's ALSA configuration makes it ALSA's default device, which is why
# Debian does not let it be installed beside pipewire-alsa (apt would remove
# pipewire-alsa). So on a machine that has one of the servers, the other is
# not added: a desktop keeps the server it has, and the tests of the other
# server are skipped. A machine with neither (a build machine) gets both, and
# so does CI (CI=true), whose machine no one logs in to; pulseaudio never goes
# beside pipewire-alsa, and nothing is ever removed.
ensure_sound_server_packages() {
  local packages=(pulseaudio-utils libasound2-plugins dbus-daemon dbus-session-bus-common)
  local pulseaudio=yes pipewire=yes
  if installed pulseaudio || installed pipewire-pulse || installed pipewire-alsa; then
    if [ "${CI:-}" != true ]; then
      installed pulseaudio || pulseaudio=no
      installed pipewire-pulse || pipewire=no
    fi
  fi
  installed pipewire-alsa && pulseaudio=no
  [ $pulseaudio = yes ] && packages+=(pulseaudio)
  [ $pipewire = yes ] && packages+=(pipewire wireplumber pipewire-pulse)
  ensure_packages "${packages[@]}"
}

# PipeWire's ALSA plug-in (the "pipewire" device of pipewire-alsa) for the
# tests, unpacked into DIR from the package of the installed PipeWire's
# version, since pipewire-alsa itself cannot go beside pulseaudio. DIR/alsa.conf
# names the device and the plug-in's place; tests/e2e/with-sound-server.sh
# has ALSA read it before its own configuration. Nothing is done where
# pipewire-alsa is installed or PipeWire is not; a failed download is
# reported, not fatal (the test is then skipped, or fails under CI).
ensure_pipewire_alsa_plugin() {
  local dir version
  dir=$(realpath -m "$1")
  installed pipewire-alsa && return 0
  version=$(dpkg-query -W -f='${Version}' libpipewire-0.3-0 2>/dev/null) || return 0
  [ -n "$version" ] || return 0
  [ "$(cat "$dir/version" 2>/dev/null)" = "$version" ] && return 0
  local download sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  download=$(mktemp -d "${TMPDIR:-/tmp}/lmx-pipewire-alsa-XXXXXX")
  # The download runs as the caller (apt's own user may not write to the
  # folder); without apt's package lists it is tried again after an update.
  _fetch_pipewire_alsa() { (cd "$download" && apt-get download -o APT::Sandbox::User="$(id -un)" "pipewire-alsa=$version") >"$download/log" 2>&1; }
  if ! _fetch_pipewire_alsa && ! { $sudo apt-get update -qq && _fetch_pipewire_alsa; }; then
    echo "PipeWire's ALSA plug-in could not be downloaded (pipewire-alsa=$version):" >&2
    cat "$download/log" >&2
    rm -rf "$download"
    return 0
  fi
  rm -rf "$dir"
  mkdir -p "$dir"
  dpkg-deb -x "$download"/pipewire-alsa_*.deb "$dir/root"
  rm -rf "$download"
  local lib
  lib=$(dirname "$(find "$dir/root" -name libasound_module_pcm_pipewire.so | head -n 1)")
  {
    echo "pcm_type.pipewire { lib \"$lib/libasound_module_pcm_pipewire.so\" }"
    echo "ctl_type.pipewire { lib \"$lib/libasound_module_ctl_pipewire.so\" }"
    cat "$dir/root/usr/share/alsa/alsa.conf.d/50-pipewire.conf"
  } >"$dir/alsa.conf"
  echo "$version" >"$dir/version"
}
