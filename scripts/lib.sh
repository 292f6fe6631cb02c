# Shared steps of scripts/test and scripts/run. Source it; it sets ROOT.
# shellcheck shell=bash
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installer dialogs when a prefix is created.
export WINEDLLOVERRIDES="mscoree,mshtml="

# Debian packages the build, the tests and the run need.
LEVORN_BUILD_PACKAGES=(
  cmake make googletest g++-mingw-w64-i686-win32 mingw-w64-i686-dev binutils-mingw-w64-i686
)
LEVORN_PACKAGES=(
  "${LEVORN_BUILD_PACKAGES[@]}" g++ util-linux libgtest-dev libgmock-dev libssl-dev
  wine wine64 wine32:i386
  xvfb xauth xdotool x11-utils imagemagick fonts-wine
)
# The 64-bit build of the program and the Windows tests, for a kernel that
# runs no 32-bit code.
# shellcheck disable=SC2034  # read by scripts/test
LEVORN_WIN64_PACKAGES=(g++-mingw-w64-x86-64-win32 mingw-w64-x86-64-dev binutils-mingw-w64-x86-64)
# Signing and proving a release (scripts/release: osslsigncode signs, and the
# proof is a host program on libcrypto), and what its test and the scripts'
# lint need besides (scripts/test).
LEVORN_SIGN_PACKAGES=(osslsigncode libengine-pkcs11-openssl openssl ca-certificates
  g++ libssl-dev libgtest-dev libgmock-dev)
# shellcheck disable=SC2034  # read by scripts/test
LEVORN_CHECK_PACKAGES=("${LEVORN_SIGN_PACKAGES[@]}" softhsm2 shellcheck python3 iproute2)

log() { printf '==> %s\n' "$*" >&2; }
as_root() { if ((EUID == 0)); then "$@"; else sudo "$@"; fi; }

# Installs whatever is missing of the packages named (by default, all of
# LEVORN_PACKAGES); quick when nothing is.
ensure_packages() {
  local missing=() pkg installed
  (($#)) || set -- "${LEVORN_PACKAGES[@]}"
  # One query for all: each package's status line, "pkg:arch" as named.
  installed=$(dpkg-query -W -f='${Status} ${Package}:${Architecture}\n' "$@" 2>/dev/null |
    sed -n 's/^install ok installed //p') || true
  for pkg in "$@"; do
    [[ $pkg == *:* ]] || pkg+=":*"
    grep -qx -- "${pkg/:\*/:.*}" <<<"$installed" || missing+=("${pkg%:\*}")
  done
  ((${#missing[@]} == 0)) && return 0
  log "installing: ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
  fi
  # A mirror in mid-sync fails an update now and then; the lists the machine
  # already has usually hold what is missing.
  as_root apt-get update -qq ||
    log "apt-get update failed: installing from the package lists this machine has"
  apt_install "${missing[@]}" && return 0
  # When one architecture's list of a suite is missing (a failed download),
  # a multi-arch library's two halves get candidates from different suites,
  # at different versions, and apt finds no way. With the release suite
  # deciding every version, both halves come from the same list.
  local codename
  codename=$(. /etc/os-release 2>/dev/null && echo "${VERSION_CODENAME:-}") || codename=""
  if [[ -n $codename ]]; then
    log "apt-get install failed: trying again with every version from the release suite ($codename)"
    apt_install -t "$codename" "${missing[@]}" && return 0
  fi
  echo "could not install: ${missing[*]}" >&2
  local root=""
  ((EUID == 0)) || root="sudo "
  echo "to see why: ${root}apt-get install --no-install-recommends ${missing[*]}" >&2
  return 1
}

# apt-get install, quietly: its last error line only, when it fails.
apt_install() {
  local output
  output=$(as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
    --no-install-recommends "$@" 2>&1 >/dev/null) && return 0
  log "apt-get: $(printf '%s\n' "$output" | grep '^E:' | tail -n 1)"
  return 1
}

# Builds one CMake preset (the arguments after it go to cmake --build),
# configured once for this source folder: a build folder copied or moved
# with its checkout still names the folder it was made for, and building in
# it would build that folder's code, so it is configured afresh.
build_preset() {
  local preset=$1 cache=$ROOT/build/$1/CMakeCache.txt made_for
  shift
  if [[ ! -f $cache ]]; then
    cmake --preset "$preset" -S "$ROOT" >/dev/null
  else
    made_for=$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$cache")
    if [[ $(realpath -m "$made_for") != "$(realpath "$ROOT")" ]]; then
      log "build/$preset was configured for $made_for: configuring it afresh for $ROOT"
      cmake --preset "$preset" -S "$ROOT" --fresh >/dev/null
    fi
  fi
  (cd "$ROOT" && cmake --build --preset "$preset" -j "$(nproc)" "$@")
}

# Whether the folder $2 holds nothing but what this project wrote there: it
# does not exist, is empty, holds the mark $3 that the project writes into a
# folder before it fills it, or holds nothing but marks of the project's
# ($3 and the rest), none of them with what it marks. Otherwise it names the
# folder as given and what in it is not the project's, as the reason it will
# not do $1 there, and fails.
folder_is_ours() {
  local purpose=$1 dir=$2 mark=$3 foreign
  local -a marks=()
  [[ -e $dir ]] || return 0
  if [[ -d $dir && ! -L $dir ]]; then
    [[ -f $dir/$mark ]] && return 0
    for mark in "${@:3}"; do marks+=(-e "$mark"); done
    foreign=$(find "$dir" -mindepth 1 -maxdepth 1 -printf '%f\n' | sort | grep -vxF "${marks[@]}") ||
      return 0
    foreign="it holds $(head -n 4 <<<"$foreign" | paste -sd ' ' | sed 's/ /, /g')$(
      (($(wc -l <<<"$foreign") > 4)) && echo " and $(($(wc -l <<<"$foreign") - 4)) more"),"
    foreign+=" which this project did not put there, and it would first delete everything in it"
  else
    foreign="it is not a folder"
  fi
  echo "will not $purpose $dir: $foreign" >&2
  return 1
}

# Empties the folder $2 for this project (or makes it) once folder_is_ours
# allows it, and writes the mark $3 into it first.
fresh_folder() {
  folder_is_ours "$@" || return 1
  rm -rf "$2"
  mkdir -p "$2"
  : >"$2/$3"
}

# Wine 8 runs a 32-bit Windows program, in either prefix, in a 32-bit Linux
# process. A kernel with ia32_emulation off builds it but cannot run it: there
# only 64-bit programs run, in a 64-bit prefix. Asked once 32-bit Wine is
# installed, which brings the 32-bit loader. LEVORN_NO_32BIT=1 gives the
# answer of such a kernel on any machine, so that its path can be tried.
runs_32bit_code() {
  [[ ${LEVORN_NO_32BIT:-} != 1 ]] && /lib/ld-linux.so.2 --version >/dev/null 2>&1
}
# Why runs_32bit_code said no, for the scripts' messages.
no_32bit_reason() {
  if [[ ${LEVORN_NO_32BIT:-} == 1 ]]; then
    echo "LEVORN_NO_32BIT=1 takes the path of a kernel that runs no 32-bit code"
  else
    echo "this kernel runs no 32-bit code (ia32_emulation off)"
  fi
}
require_32bit_code() {
  runs_32bit_code && return 0
  echo "$(no_32bit_reason), so Wine cannot run the 32-bit LevornSetup.exe or" \
    "anything in a 32-bit prefix here" >&2
  return 1
}

# Debian's wine starts the 32-bit loader whenever it is installed. Started
# in the background, the loader itself, so that $! is the program's process.
wine_loader() { if runs_32bit_code; then echo wine; else echo /usr/lib/wine/wine64; fi; }
wine() { command "$(wine_loader)" "$@"; }
# Debian's winepath starts it the same way.
winepath() { wine winepath.exe "$@"; }
# So that a command given to bash -c starts Wine the same way too.
export -f runs_32bit_code wine_loader wine winepath

# Makes sure a Wine prefix exists at $1 (32-bit Windows, or the arch in $2),
# set up for our runs and tests, and keeps its wineserver alive so that each
# program starts in milliseconds. Safe to call from several processes at once:
# one makes the prefix, the others wait for it. A folder is made a prefix
# only when everything in it is the project's (see prefix_is_ours).
ensure_prefix() {
  local prefix=$1 arch=${2:-win32}
  export WINEPREFIX WINEARCH=$arch
  WINEPREFIX=$(realpath -m "$prefix")
  [[ $arch == win64 ]] || require_32bit_code || return 1
  if ! prefix_ready "$prefix"; then
    prefix_is_ours "$prefix" || return 1
    mkdir -p "$(dirname "$WINEPREFIX")"
    (
      flock 9
      prefix_ready "$prefix" || make_prefix "$prefix"
    ) 9>"$WINEPREFIX.lock"
  fi
  # Fails, harmlessly, when another process has already started it.
  wineserver -p30 2>/dev/null || true
}

# A prefix the project made and finished: its ready mark beside the prefix,
# and no mark of one being made.
prefix_ready() {
  [[ -f $1/.levorn-ready && -f $1/system.reg && -d $1/drive_c && ! -e $1/.levorn-making ]]
}

# Making a prefix begins by deleting its folder, so a folder is made one only
# when it holds nothing of anyone else's, wherever it is: a prefix the
# project finished, or what folder_is_ours allows with the mark written
# before making starts (so that one interrupted half-made is made again).
prefix_is_ours() {
  prefix_ready "$1" && return 0
  folder_is_ours "make a Wine prefix in" "$1" .levorn-making .levorn-ready && return 0
  echo "Unset WINEPREFIX to use the build tree's own prefix." >&2
  return 1
}

# Deletes the prefix $1, when it is the project's, so that it is made anew.
drop_prefix() { prefix_is_ours "$1" && rm -rf "$1"; }

make_prefix() {
  local prefix=$1 link
  log "creating Wine prefix $prefix ($WINEARCH)"
  wineserver -k 2>/dev/null || true
  fresh_folder "make a Wine prefix in" "$prefix" .levorn-making .levorn-ready || return 1
  wine wineboot -i >/dev/null 2>&1
  # Wine draws window frames itself: X sees whole windows, and nothing waits
  # for a window manager.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  wineserver -w
  # Wine links the profile's Desktop, Documents, ... to the home directory;
  # they become folders of the prefix, so nothing run here writes outside it.
  for link in "$prefix"/drive_c/users/*/*; do
    if [[ -L "$link" ]]; then rm "$link" && mkdir "$link"; fi
  done
  # Wine draws the title-bar buttons with Marlett, which it finds only in
  # the prefix's own font folder.
  cp /usr/share/wine/fonts/marlett.ttf "$prefix/drive_c/windows/Fonts/"
  touch "$prefix/.levorn-ready"
  rm "$prefix/.levorn-making"
}

# Starts a virtual display when there is none; sets DISPLAY.
ensure_display() {
  [[ -n "${DISPLAY:-}" ]] && return 0
  local n
  for n in $(seq 91 120); do
    [[ -e "/tmp/.X11-unix/X$n" || -e "/tmp/.X$n-lock" ]] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    LEVORN_XVFB_PID=$!
    local _
    for _ in $(seq 50); do
      [[ -e "/tmp/.X11-unix/X$n" ]] && break
      sleep 0.1
    done
    export DISPLAY=":$n"
    # Wine goes before its display does.
    trap 'wineserver -k 2>/dev/null || true; kill "$LEVORN_XVFB_PID" 2>/dev/null || true' EXIT
    return 0
  done
  echo "no free display for Xvfb" >&2
  return 1
}

# Runs LevornSetup.exe ($1) under Wine on $DISPLAY and answers each message
# box it shows by pressing Return, as a person would. With $2, saves a
# screenshot of the whole screen there while the completion message is up.
# A run that has not ended after two minutes is killed.
# Sets SETUP_STATUS (the exit code) and SETUP_TITLES (message-box titles seen);
# with LEVORN_BOX_TOOL (the end-to-end tool) also SETUP_TEXTS, their texts.
# With SETUP_LAUNCHER (an array: a Windows program and its arguments), the
# program is started through it, given the program's Windows path.
run_setup_answering() {
  local exe=$1 screenshot=${2:-} pid box title waited deadline=$((SECONDS + 120))
  local -a launcher=(${SETUP_LAUNCHER[@]+"${SETUP_LAUNCHER[@]}"})
  SETUP_TITLES=()
  SETUP_TEXTS=""
  if ((${#launcher[@]})); then
    command "$(wine_loader)" "${launcher[@]}" "$(winepath -w "$exe")" &
  else
    command "$(wine_loader)" "$exe" &
  fi
  pid=$!
  while kill -0 "$pid" 2>/dev/null; do
    if ((SECONDS > deadline)); then  # hung: no run takes two minutes
      kill "$pid" 2>/dev/null || true
      break
    fi
    box=""
    for title in "Levorn Installation" "Levorn"; do
      box=$(xdotool search --name "^${title}\$" 2>/dev/null | head -n 1) || true
      [[ -n "$box" ]] && break
    done
    if [[ -z "$box" ]]; then
      sleep 0.2
      continue
    fi
    SETUP_TITLES+=("$title")
    sleep 0.3  # let it paint
    if [[ -n "${LEVORN_BOX_TOOL:-}" ]]; then
      SETUP_TEXTS+=$(wine "$LEVORN_BOX_TOOL" box-text "$title" 2>/dev/null | tr -d '\r')$'\n'
    fi
    if [[ "$title" == "Levorn Installation" && -n "$screenshot" ]]; then
      import -window root "$screenshot" 2>/dev/null || true
    fi
    xdotool windowactivate --sync "$box" >/dev/null 2>&1 || true
    xdotool key Return >/dev/null 2>&1 || true
    for ((waited = 0; waited < 50; waited++)); do
      xdotool getwindowname "$box" >/dev/null 2>&1 || break
      sleep 0.1
    done
  done
  SETUP_STATUS=0
  # shellcheck disable=SC2034  # read by the caller
  wait "$pid" || SETUP_STATUS=$?
}

# Prints the Levorn data sources of one registry view ($1: 32 or 64) of the
# current prefix: name, database path and driver, one line each.
list_data_sources() {
  local view=$1
  wine reg query 'HKLM\Software\ODBC\ODBC.INI' /s "/reg:$view" 2>/dev/null | tr -d '\r' | awk '
    /^HKEY_/ { n = split($0, part, "\\"); name = (n >= 5 && part[n-1] == "ODBC.INI") ? part[n] : ""; next }
    name ~ /^DunmerePemrod/ && $1 == "DBQ"    { sub(/^ *DBQ +REG_SZ +/, ""); dbq[name] = $0 }
    name ~ /^DunmerePemrod/ && $1 == "Driver" { sub(/^ *Driver +REG_SZ +/, ""); drv[name] = $0 }
    END { for (k in dbq) printf "%-20s %-36s %s\n", k, dbq[k], drv[k] }' | sort
}
