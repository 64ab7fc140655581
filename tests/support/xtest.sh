# Shared by the shell tests that start the real program in their own X server. Source it.

# Polls `condition...` every 0.1 s for up to `seconds`; false when it never held.
wait_until() {
  local seconds=$1
  shift
  local end=$((SECONDS + seconds))
  until "$@"; do
    [ $SECONDS -lt $end ] || return 1
    sleep 0.1
  done
}

# A tool the test needs is not installed: a failure, never a skip that looks green.
missing() {
  echo "FAIL: $1 is missing (tools/install-deps.sh installs it)"
  exit 1
}

# Starts Xvfb on a display the server picks itself (two runs started together never race for
# one number), waits until it accepts clients, and exports DISPLAY and XVFB_PID. Its files go
# to FOLDER. Usage: start_xvfb FOLDER WIDTHxHEIGHTxDEPTH
start_xvfb() {
  local folder=$1
  Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 "$2" \
    3>"$folder/display" >"$folder/xvfb.log" 2>&1 &
  XVFB_PID=$!
  display_known() { grep -q '^[0-9][0-9]*$' "$folder/display" 2>/dev/null || ! kill -0 "$XVFB_PID" 2>/dev/null; }
  wait_until 60 display_known || true
  if ! kill -0 "$XVFB_PID" 2>/dev/null || ! grep -q '^[0-9][0-9]*$' "$folder/display"; then
    echo "FAIL: Xvfb did not start"
    cat "$folder/xvfb.log"
    exit 1
  fi
  export DISPLAY=":$(cat "$folder/display")" XVFB_PID
  # The caller's environment may name another platform (the unit tests use offscreen).
  export QT_QPA_PLATFORM=xcb
  unset WAYLAND_DISPLAY
}

viewable() { xwininfo -name "$1" 2>/dev/null | grep -q "Map State: IsViewable"; }

# Ends a background process started by the test, if it was.
stop_process() {
  [ -z "$1" ] || { kill -TERM "$1" 2>/dev/null || true; wait "$1" 2>/dev/null || true; }
}
