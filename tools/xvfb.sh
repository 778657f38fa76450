# Sourced: start_xvfb DEPTH starts a private Xvfb and sets XVFB_DISPLAY; stop_xvfbs ends them all.
XVFB_PIDS=()
start_xvfb() {
  local depth=$1 n
  for n in $(seq 90 140); do
    [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] && continue
    Xvfb :$n -screen 0 1024x768x$depth -nolisten tcp >/dev/null 2>&1 &
    local pid=$!
    for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
    if kill -0 $pid 2>/dev/null && [ -e /tmp/.X11-unix/X$n ]; then
      XVFB_PIDS+=($pid); XVFB_DISPLAY=:$n; return 0
    fi
  done
  echo "could not start Xvfb" >&2; return 1
}
stop_xvfbs() {
  local p
  for p in "${XVFB_PIDS[@]}"; do kill $p 2>/dev/null || true; done
  for p in "${XVFB_PIDS[@]}"; do wait $p 2>/dev/null || true; done
  XVFB_PIDS=()
}
