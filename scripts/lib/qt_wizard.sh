# Drives a Linux wizard's window from outside as a person would, with xdotool on the current
# DISPLAY. Source it from the repository's top folder.

# qt_wizard_build <log> <project> <destination> <name> <command...>: starts the wizard with the
# command given (its program, perhaps behind env or setpriv, which hand their process over),
# chooses the two folders through the "..." buttons and their dialogs, types the name, presses
# "Create .sis file" and waits until <destination>/<name>.sis is delivered. Fails, with the
# wizard's output (and a picture of the screen beside the log when ImageMagick is at hand),
# when the wizard shows an "Error" box or delivers nothing within a minute. The wizard is
# closed before it returns.
qt_wizard_build() {
  local log=$1 project=$2 destination=$3 name=$4 pid status=1
  shift 4
  "$@" </dev/null >"$log" 2>&1 &
  pid=$!
  QT_WIZARD_WINDOW=$(timeout 30 xdotool search --sync --name '^Tovrin Wizard by Quen$' | head -1) || true
  if [ -z "$QT_WIZARD_WINDOW" ]; then
    echo "the wizard's window did not appear; its output:" >&2
    cat "$log" >&2
    kill "$pid" 2>/dev/null || true
    return 1
  fi
  QT_WIZARD_WIDTH=$(xdotool getwindowgeometry --shell "$QT_WIZARD_WINDOW" | sed -n 's/^WIDTH=//p')
  qt_wizard_choose_folder "$project" 5760 120 375 255 &&  # cmdBrowse
    qt_wizard_choose_folder "$destination" 5760 600 375 255 || {  # cmdDestFol
    kill "$pid"
    return 1
  }
  qt_wizard_click 1800 1560 4335 285                       # txtName
  xdotool key ctrl+a type "$name"
  qt_wizard_click 120 7440 2175 375                        # cmdDo

  # Delivered: the package is there and the wizard runs no script any more (del.bat, which
  # copies the package, has ended).
  for _ in $(seq 600); do
    if xdotool search --name '^Error$' >/dev/null 2>&1; then
      echo "the wizard showed an Error box; its output:" >&2
      cat "$log" >&2
      if command -v import >/dev/null && import -window root "$log.png"; then
        echo "the screen: $log.png" >&2
      fi
      break
    fi
    if [ -f "$destination/$name.sis" ] && ! pgrep -P "$pid" >/dev/null; then
      status=0
      break
    fi
    sleep 0.1
  done
  # The clean-up tick, half a second after del.bat, checks the delivery and may still say that
  # it failed.
  for _ in $(seq 20); do
    [ $status -eq 0 ] || break
    if xdotool search --name '^Error$' >/dev/null 2>&1; then
      echo "the wizard showed an Error box after the delivery; its output:" >&2
      cat "$log" >&2
      status=1
    fi
    sleep 0.1
  done
  if [ $status -ne 0 ] && [ ! -f "$destination/$name.sis" ]; then
    echo "the wizard delivered no $name.sis" >&2
  fi
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  return $status
}

# qt_wizard_click <left> <top> <width> <height>: a click on the middle of a place of the
# window's design, in twips (the window is 6285 twips wide).
qt_wizard_click() {
  xdotool mousemove --window "$QT_WIZARD_WINDOW" $((($1 + $3 / 2) * QT_WIZARD_WIDTH / 6285)) \
    $((($2 + $4 / 2) * QT_WIZARD_WIDTH / 6285)) click 1
}

# qt_wizard_choose_folder <folder> <button's place...>: answers the folder dialog that a "..."
# button opens by typing the folder's path. The dialog completes names while they are typed
# and may take a path for something else; it then says that it found no such folder, in a
# second window of its title: its OK is pressed, and the path typed again.
qt_wizard_choose_folder() {
  local folder=$1 windows
  shift
  qt_wizard_click "$@"
  timeout 30 xdotool search --sync --name '^Find Directory$' >/dev/null
  for _ in 1 2 3; do
    xdotool key ctrl+a type --delay 20 "$folder"
    xdotool key Return
    for _ in $(seq 50); do
      windows=$( (xdotool search --name '^Find Directory$' 2>/dev/null || true) | wc -l)
      [ "$windows" -eq 1 ] || break
      sleep 0.1
    done
    [ "$windows" -eq 0 ] && return 0
    [ "$windows" -eq 2 ] && xdotool key Return
  done
  echo "the folder dialog did not take $folder" >&2
  return 1
}
