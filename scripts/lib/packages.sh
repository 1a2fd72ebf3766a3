# Installs the Debian packages named, if any is missing (as root or with sudo).
ensure_packages() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# The packages of the private sound server (scripts/lib/sound-server.sh).
# Where PipeWire serves the desktop's sound (pipewire-pulse), PulseAudio is
# not installed beside it: its per-user service would compete with PipeWire
# for the desktop's sound socket at the next login. Without `pulseaudio` the
# live tests are skipped and the demo says what to install.
ensure_sound_server_packages() {
  local packages=(pulseaudio-utils libasound2-plugins)
  if ! dpkg-query -W -f='${Status}' pipewire-pulse 2>/dev/null | grep -q "install ok installed"; then
    packages+=(pulseaudio)
  fi
  ensure_packages "${packages[@]}"
}
