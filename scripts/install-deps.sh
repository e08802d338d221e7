#!/usr/bin/env bash
# Installs everything the build, the tests and the demo need on a fresh Debian 12 machine.
# Safe to run again: apt skips what is already there.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

packages=(
  cmake make
  g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32 mingw-w64-tools
  binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  wine wine32:i386 wine64
  xvfb x11-utils imagemagick fonts-wine
  openjdk-17-jdk-headless
  locales
)

need=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || need+=("$p")
done
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo

# The code-page tests run Wine under a Western and a Japanese locale.
ensure_locales() {
  if ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf8' || ! locale -a 2>/dev/null | grep -qix 'en_US.utf8'; then
    $SUDO sed -i -e 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' -e 's/^# *\(en_US.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
    grep -q '^en_US.UTF-8 UTF-8' /etc/locale.gen || echo 'en_US.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
    $SUDO locale-gen >/dev/null
  fi
}

# Where the tests run in the emulated lane (the shipped i686 build under qemu's user-mode
# emulator, scripts/i686-lane.sh), and only there, the emulator is fetched. Bookworm's own qemu
# (7.2) takes about a minute per Wine start, so it is taken from bookworm-backports (10.0,
# statically linked), on the mirror this machine's apt already uses, through a private apt state
# that is removed whatever happens: nothing is added to the machine's sources, and qemu is
# registered for no program outside the tests' namespace.
qemu=/usr/local/libexec/velkor/qemu-i386
# In a subshell, so that its clean-up runs when it ends, failed or not.
ensure_qemu() (
  lane=${VELKOR_TEST_ARCH:-$(bash "$root/scripts/test-arch.sh")}
  if [ "$lane" != i686-emulated ] || "$qemu" --version 2>/dev/null | grep -q 'version 10\.'; then
    exit 0
  fi
  mirror=$(apt-get indextargets --format '$(REPO_URI) $(RELEASE)' | awk '$2 == "bookworm" {print $1; exit}')
  [ -n "$mirror" ] || { echo "install-deps: no bookworm mirror in apt's sources" >&2; exit 1; }
  state=$(mktemp -d)
  trap 'rm -rf "$state"; $SUDO rm -f "$qemu.new"' EXIT
  mkdir -p "$state/lists/partial" "$state/cache/archives/partial"
  echo "deb [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $mirror bookworm-backports main" >"$state/sources.list"
  apt=(-qq -o "Dir::Etc::SourceList=$state/sources.list" -o Dir::Etc::SourceParts=/dev/null
    -o "Dir::State::Lists=$state/lists" -o "Dir::Cache=$state/cache" -o APT::Architectures=amd64
    -o APT::Sandbox::User=root)
  # A mirror that cannot be reached fails here, with its cause, not later as a missing package.
  apt-get "${apt[@]}" --error-on=any update
  (cd "$state" && apt-get "${apt[@]}" download qemu-user)
  $SUDO mkdir -p "${qemu%/*}"
  dpkg-deb --fsys-tarfile "$state"/qemu-user_*.deb | tar -x -O ./usr/bin/qemu-i386 | $SUDO tee "$qemu.new" >/dev/null
  $SUDO chmod 755 "$qemu.new"
  $SUDO mv "$qemu.new" "$qemu"
  "$qemu" --version | head -n 1
)

if [ ${#need[@]} -gt 0 ]; then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi
ensure_locales
ensure_qemu
