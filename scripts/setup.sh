#!/usr/bin/env bash
# Installs the Debian packages the project needs (only those missing), then configures and
# builds the tree. Environment: BUILD_DIR (default build), WYN_SANITIZE=1 for the sanitizer
# build, WYN_FUZZ=1 for the libFuzzer build (clang).
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(
  g++ cmake ninja-build ccache pkg-config     # compiler and build
  clang-format                                # the one formatting of the tree
  googletest libgtest-dev libbenchmark-dev    # tests and benchmarks
  libsdl2-dev                                 # windows, input, audio and message boxes on a desktop
  libfreetype-dev libfontconfig-dev           # text drawing; the CJK font is found through fontconfig
  fonts-ipafont-gothic                        # a Japanese font for the system's texts
  libvorbis-dev                               # Ogg decoding and encoding (sound, sample data)
  libfluidsynth-dev                           # MIDI synthesis (loaded at run time; optional)
  fluid-soundfont-gm                          # the General MIDI sound font for it
  libpng-dev                                  # screenshots and the picture tools
  espeak-ng                                   # the radio voices' spoken words (sample data)
  xvfb xauth x11-utils                        # real-window tests without a display (xwininfo)
  clang libclang-rt-14-dev                    # libFuzzer and sanitizer runtimes for fuzzing
  libosmesa6-dev                              # the 3D benchmark's reference renderer (Mesa llvmpipe)
  liblua5.4-dev                               # the script benchmark's reference interpreter
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -q
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

BUILD_DIR=${BUILD_DIR:-build}
opts=(-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [ "${WYN_SANITIZE:-0}" = 1 ]; then
  BUILD_DIR=${BUILD_DIR/%build/build-asan}
  opts+=(-DWYN_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug)
fi
if [ "${WYN_FUZZ:-0}" = 1 ]; then
  BUILD_DIR=${BUILD_DIR/%build/build-fuzz}
  opts+=(-DWYN_FUZZ=ON -DWYN_TESTS=OFF -DWYN_BENCH=OFF
         -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++)
fi
cmake -S . -B "$BUILD_DIR" "${opts[@]}" >/dev/null
cmake --build "$BUILD_DIR" -j "$(nproc)"
echo "$BUILD_DIR" > .last-build-dir
