# Shared by run.sh and test.sh: packages, builds and the data folder.

# Debian packages the build, the tests and the program need.
QV_PACKAGES=(
  build-essential cmake ninja-build ccache pkg-config python3
  imagemagick
  libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev libgl-dev libjpeg62-turbo-dev libogg-dev libvorbis-dev libsquish-dev
  libfreetype-dev libfontconfig-dev zlib1g-dev libpng-dev
  hershey-fonts-data fonts-wqy-microhei
  xvfb xauth xdotool xclip valgrind locales strace
  openbox
  libturbojpeg0-dev
  python3-pil
  python3-numpy
  python3-scipy
)

qv_jobs() { nproc 2>/dev/null || echo 2; }

qv_install_packages() {
  local missing=()
  for p in "${QV_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] || {
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
  }
  qv_make_locales
}

# The Turkish and German locales serve the tests that prove look-ups and
# numbers locale-proof.
qv_make_locales() {
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  local wanted=0
  for l in tr_TR de_DE; do
    locale -a 2>/dev/null | grep -qi "^$l.utf8$" && continue
    $sudo sed -i "s/^# *$l.UTF-8 UTF-8/$l.UTF-8 UTF-8/" /etc/locale.gen 2>/dev/null || true
    wanted=1
  done
  [ $wanted -eq 0 ] || $sudo locale-gen >/dev/null 2>&1 || true
}

# qv_build DIR BUILD_TYPE SANITIZE TARGET...
qv_build() {
  local dir="$1" type="$2" sanitize="$3"
  shift 3
  local here
  here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
  cmake -S "$here" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$type" -DQV_SANITIZE="$sanitize" >/dev/null
  cmake --build "$dir" -j "$(qv_jobs)" --target "$@"
}

# qv_make_data BUILD_DIR GAME_DIR: runs the data builder when the data
# folder is missing or older than the builder.
qv_make_data() {
  local build="$1" game="$2"
  if [ ! -f "$game/data/.built" ] || [ "$build/bin/mkdata" -nt "$game/data/.built" ]; then
    "$build/bin/mkdata" "$game"
    touch "$game/data/.built"
  fi
}
