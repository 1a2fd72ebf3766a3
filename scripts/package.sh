#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package (preset "package": Release, prefix /usr, into
# build-package; `cpack` there writes spectrometer-lmx_<version>_<arch>.deb),
# checks it with lintian, then installs it with apt into a fresh Debian 12
# root made by debootstrap and starts the installed program there: once with
# --version (no display) and once on the offscreen platform, where without a
# sound card or sound server it must report "Audio devices absent!" and end by
# itself with exit status 0. Extra arguments go to CMake's configure step.
#
# As root. The freshly bootstrapped root is kept as build/package-root/
# bookworm-minbase.tar, so later runs skip debootstrap; delete it to start
# from scratch. Takes about 5 minutes on a clean machine with 2 cores: 2 for
# the build, 1 for debootstrap, 1.5 for apt in the root.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/build.sh
source scripts/lib/packages.sh
[ "$(id -u)" -eq 0 ] || { echo "package: run as root (debootstrap, chroot)" >&2; exit 1; }
bash scripts/install-deps.sh
# dpkg-dev: dpkg-shlibdeps and dpkg-buildflags; file: CPack finds the ELF files with it.
ensure_packages dpkg-dev file lintian debootstrap

echo "== Building the package"
# Debian's hardening flags, as its own packages are built.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
LDFLAGS=$(dpkg-buildflags --get LDFLAGS)
export CXXFLAGS LDFLAGS
cmake --preset package --fresh "$@" >/dev/null
cmake --build --preset package -j"$(nproc)"
(cd build-package && rm -f ./*.deb && cpack >/dev/null)
deb=$(ls build-package/*.deb)
dpkg-deb --info "$deb"
dpkg-deb --contents "$deb"

echo "== lintian"
# Errors and warnings fail. Accepted, as information only (shown with
# --display-info): binary-has-unneeded-section, the .comment section that
# CPack's strip leaves and dh_strip would remove (the compiler's version, a
# few bytes).
lintian --allow-root --display-info --fail-on error,warning "$deb"

echo "== Installing into a fresh Debian 12 root"
# The machine's own Debian mirror (deb822 .sources or one-line .list files).
mirror_of() {  # $1: the archive's last path part, "debian" or "debian-security"
  cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources 2>/dev/null |
    grep -oE "https?://[^[:space:]]+/$1/?([[:space:]]|$)" | head -1 | tr -d '[:space:]' || true
}
mirror=$(mirror_of debian)
security=$(mirror_of debian-security)
mirror=${mirror:-http://deb.debian.org/debian}

cache=build/package-root
root=$cache/root
mkdir -p "$cache"
if [ ! -s "$cache/bookworm-minbase.tar" ]; then
  rm -rf "$cache/bootstrap"
  began=$(date +%s)
  debootstrap --variant=minbase bookworm "$cache/bootstrap" "$mirror" >"$cache/debootstrap.log" 2>&1 ||
    { tail -n 30 "$cache/debootstrap.log" >&2; exit 1; }
  echo "debootstrap took $(( $(date +%s) - began )) s"
  tar -C "$cache/bootstrap" -cf "$cache/bookworm-minbase.tar.part" .
  mv "$cache/bookworm-minbase.tar.part" "$cache/bookworm-minbase.tar"
  rm -rf "$cache/bootstrap"
fi

cleanup() {
  if mountpoint -q "$root/proc"; then umount "$root/proc" || umount -l "$root/proc"; fi
  mountpoint -q "$root/proc" || rm -rf --one-file-system "$root"
}
trap cleanup EXIT
cleanup  # what a killed run left
mkdir -p "$root"
tar -C "$root" -xf "$cache/bookworm-minbase.tar"
{
  echo "deb $mirror bookworm main"
  echo "deb $mirror bookworm-updates main"
  [ -z "$security" ] || echo "deb $security bookworm-security main"
} >"$root/etc/apt/sources.list"
cp /etc/resolv.conf "$root/etc/resolv.conf"
cp "$deb" "$root/tmp/"
mount -t proc proc "$root/proc"
# A clean environment: no display, no sound server, nothing of this machine's.
in_root() {
  env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 DEBIAN_FRONTEND=noninteractive \
    chroot "$root" "$@"
}
in_root apt-get update -qq
# With its recommendations, as `apt install ./<package>.deb` does by default.
in_root apt-get install -y -qq "/tmp/${deb##*/}" >"$cache/apt.log" 2>&1 ||
  { tail -n 30 "$cache/apt.log" >&2; exit 1; }
echo "installed with $(grep -c '^Setting up' "$cache/apt.log") packages"

echo "== Starting the installed program"
version=$(build_version build-package)
answer=$(in_root lmx --version)
echo "lmx --version: $answer"
[ "$answer" = "Spectrometer LMX $version" ] || { echo "package: expected \"Spectrometer LMX $version\"" >&2; exit 1; }

# No sound card (no /dev/snd in the root) and no sound server: the error box,
# written to standard error on the offscreen platform, and the program's end.
status=0
mkdir -p -m 700 "$root/run/user/0"
# Arguments are not read: a file name and an unknown option are noted and left.
output=$(in_root env QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=/run/user/0 timeout 20 lmx stray.bmp --bogus 2>&1) || status=$?
echo "$output" | sed 's/^/lmx: /'
echo "lmx ended with status $status"
if [ "$status" -ne 0 ] || ! grep -q "Audio devices absent!" <<<"$output" ||
   ! grep -qx "lmx: ignored on the command line: stray.bmp --bogus" <<<"$output"; then
  echo "package: the installed program did not report the missing audio devices and end by itself" >&2
  exit 1
fi
echo "package: $deb built, checked by lintian, installed and started in a fresh Debian 12 root ($SECONDS s)"
