# A virtual X display for the scripts that start a window. Source it from the repository's top
# folder.

# virtual_display: starts Xvfb on a free display number, waits until it takes connections and
# exports DISPLAY. The caller stops it with virtual_display_stop, from its own exit trap.
virtual_display() {
  local fifo number
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  # Xvfb writes its display's number to the descriptor once it is ready.
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  VIRTUAL_DISPLAY_PID=$!
  read -r number <"$fifo" || true
  rm -f "$fifo"
  [ -n "$number" ] || { echo "Xvfb did not start" >&2; return 1; }
  export DISPLAY=":$number"
}

virtual_display_stop() {
  [ -n "${VIRTUAL_DISPLAY_PID:-}" ] || return 0
  kill "$VIRTUAL_DISPLAY_PID" 2>/dev/null || true
  wait "$VIRTUAL_DISPLAY_PID" 2>/dev/null || true
  VIRTUAL_DISPLAY_PID=""
}
