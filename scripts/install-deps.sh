#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Orvane needs.
# Safe to run again: packages already present are left alone.
set -euo pipefail

packages=(
  # toolchain and build
  build-essential cmake ninja-build pkg-config git
  clang clang-format clang-tidy libclang-rt-dev
  # the Mac compile check: upstream clang and libc++, as a Mac's toolchain has them
  clang-19 libc++-19-dev python3
  # tests and measurement
  googletest libgtest-dev libgmock-dev libbenchmark-dev valgrind
  locales # the definitions a test builds a decimal-comma locale from
  # the application (Qt 6 Widgets); Qt SVG renders the application icon at build time
  qt6-base-dev libgl-dev qt6-svg-dev
  zlib1g-dev # the update feed's compressed bodies
  # the release tools' checks: shell scripts, the minimum-macOS check (llvm-otool-19), the cask
  shellcheck llvm-19 ruby
)

# Extras, each behind its flag:
#   --desktop  what it takes to try Orvane in a virtual X session with a tray host
#   --ansible  Ansible, to run the example playbook against the stand-in (scripts/ansible-check.sh)
for extra in "$@"; do
  case "$extra" in
  --desktop) packages+=(xvfb trayer xdotool x11-apps imagemagick) ;;
  --ansible) packages+=(ansible-core) ;;
  *)
    echo "install-deps.sh: unknown option $extra (known: --desktop, --ansible)" >&2
    exit 2
    ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
