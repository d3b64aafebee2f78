# Shared by the scripts in tools/: the project's Wine settings and prefix,
# and an Xvfb of their own. Sourced, not run.

# The project's Wine: its own 64-bit prefix (POMARELO_WINEPREFIX moves it),
# in which 32-bit programs run as on 64-bit Windows; quiet unless WINEDEBUG
# asks otherwise; and without Wine's offer to install .NET and the HTML
# engine when a prefix is made.
wine_environment() {
  export WINEPREFIX="${POMARELO_WINEPREFIX:-$HOME/.cache/pomarelo/wine}"
  export POMARELO_WINEPREFIX="$WINEPREFIX"
  export WINEARCH=win64
  export WINEDEBUG="${WINEDEBUG:--all}"
  export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
}

# Where this machine cannot execute 32-bit x86 code itself, setup.sh has
# registered qemu-i386 for it, and every 32-bit Wine process start costs
# about a minute.
i386_emulated() {
  [ -e /proc/sys/fs/binfmt_misc/qemu-i386 ] &&
    grep -qx enabled /proc/sys/fs/binfmt_misc/qemu-i386 2>/dev/null
}

# Makes sure $WINEPREFIX is a finished prefix of this project, creating it if
# needed. A prefix whose creation was cut short is made anew; a folder that
# this project did not make is left alone with a message.
wine_prefix_ready() {
  local prefix="$WINEPREFIX" bound="${1:-1800}"
  [ -f "$prefix/.pomarelo-ready" ] && return 0
  if [ -e "$prefix" ]; then
    if [ -f "$prefix/.pomarelo-creating" ] || [ -z "$(ls -A "$prefix" 2>/dev/null)" ]; then
      echo "wine: $prefix was left half made; making it anew"
      WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true
      rm -rf "$prefix"
    else
      echo "wine: $prefix exists but was not made by this project (or is a 32-bit prefix);" \
           "remove it, or set POMARELO_WINEPREFIX to another folder" >&2
      return 1
    fi
  fi
  mkdir -p "$prefix" || return 1
  touch "$prefix/.pomarelo-creating"
  echo "wine: making the prefix $prefix (a few minutes where 32-bit code is emulated)"
  if ! timeout "$bound" "$POMARELO_ROOT/tools/wine-run" cmd /c exit >/dev/null 2>&1; then
    echo "wine: the prefix $prefix was not made within ${bound} s; run again to start over" >&2
    WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true
    return 1
  fi
  rm -f "$prefix/.pomarelo-creating"
  touch "$prefix/.pomarelo-ready"
}

# Starts Xvfb with the given screen on a display number that the server
# picks itself (so one taken by another server is never used), exports
# DISPLAY, and sets xvfb_pid for the caller to end.
start_xvfb() {
  local screen="$1" fdfile
  fdfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp 3>"$fdfile" >/dev/null 2>&1 &
  xvfb_pid=$!
  local n
  for n in $(seq 200); do
    if [ -s "$fdfile" ] && grep -q '^[0-9]' "$fdfile"; then
      export DISPLAY=":$(head -1 "$fdfile" | tr -d '[:space:]')"
      rm -f "$fdfile"
      return 0
    fi
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
  done
  rm -f "$fdfile"
  kill "$xvfb_pid" 2>/dev/null || true
  xvfb_pid=""
  echo "could not start Xvfb" >&2
  return 1
}

# Configures a preset; a build folder that CMake cannot reuse (made from
# another checkout, or by an older commit with other settings) is made anew.
configure_preset() {
  local preset="$1" dir="$2"
  shift 2
  if cmake --preset "$preset" -B "$dir" "$@" >/dev/null 2>&1; then return 0; fi
  if [ -f "$dir/CMakeCache.txt" ]; then
    echo "$dir cannot be reused; configuring it anew"
    rm -rf "$dir"
  fi
  cmake --preset "$preset" -B "$dir" "$@" >/dev/null
}
