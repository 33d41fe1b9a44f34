# Sourced by the test and run scripts: one private X display and one persistent wineserver per
# prefix for the length of a run, all stopped again by orvex_stop_session.
if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  echo "usage: . scripts/session.sh (sourced by a bash script, which then calls" \
       "orvex_start_session <wine folder> <32|64>... and orvex_stop_session)" >&2
  exit 2
fi

orvex_start_session() {
  local wine_dir="$1"; shift
  ORVEX_SESSION_WINE_DIR="$wine_dir"
  ORVEX_SESSION_KINDS="$*"
  local fd_file
  fd_file=$(mktemp)
  env -u WINEPREFIX Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fd_file" \
    >/dev/null 2>&1 &
  ORVEX_XVFB_PID=$!
  local i
  for i in $(seq 1 100); do
    [ -s "$fd_file" ] && break
    sleep 0.1
  done
  if [ ! -s "$fd_file" ]; then
    echo "Xvfb did not start" >&2
    rm -f "$fd_file"
    return 1
  fi
  export DISPLAY=":$(head -n1 "$fd_file")"
  rm -f "$fd_file"
  local kind
  for kind in $ORVEX_SESSION_KINDS; do
    # A server left by a killed run would refuse a second persistent one.
    orvex_end_wineserver "$wine_dir" "$kind"
    HOME="$wine_dir/home" WINEPREFIX="$wine_dir/prefix$kind" wineserver -p
    # Start the prefix's own services now: started by a test they would inherit its output
    # pipe and keep ctest waiting for the end of that output.
    HOME="$wine_dir/home" WINEPREFIX="$wine_dir/prefix$kind" WINEDEBUG=-all \
      WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d" \
      timeout 120 wine cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
  done
}

# Wine's processes of a prefix: found by the WINEPREFIX in their environment, and only those
# whose program is one of Wine's (its loader or server), since the calling script, its helpers
# and the X server may carry the same variable.
orvex_prefix_pids() {
  local environ pid exe
  for environ in /proc/[0-9]*/environ; do
    pid="${environ#/proc/}"
    pid="${pid%/environ}"
    exe=$(readlink "/proc/$pid/exe" 2>/dev/null) || continue
    case "${exe##*/}" in
      wine*) ;;
      *) continue ;;
    esac
    if { tr '\0' '\n' < "$environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$1"; then
      echo "$pid"
    fi
  done
}

orvex_end_wineserver() {
  local prefix="$1/prefix$2" i pids
  HOME="$1/home" WINEPREFIX="$prefix" timeout 20 wineserver -k >/dev/null 2>&1 || true
  HOME="$1/home" WINEPREFIX="$prefix" timeout 20 wineserver -w >/dev/null 2>&1 || true
  # Wine's processes notice the server's end a moment later; none may outlive the run.
  for i in $(seq 1 50); do
    pids=$(orvex_prefix_pids "$prefix")
    [ -z "$pids" ] && return 0
    sleep 0.2
  done
  kill -9 $pids 2>/dev/null || true
}

orvex_stop_session() {
  local kind
  for kind in ${ORVEX_SESSION_KINDS:-}; do
    orvex_end_wineserver "$ORVEX_SESSION_WINE_DIR" "$kind"
  done
  if [ -n "${ORVEX_XVFB_PID:-}" ]; then
    kill "$ORVEX_XVFB_PID" 2>/dev/null || true
    local tries=0
    while kill -0 "$ORVEX_XVFB_PID" 2>/dev/null && [ $tries -lt 50 ]; do
      sleep 0.1
      tries=$((tries + 1))
    done
    kill -9 "$ORVEX_XVFB_PID" 2>/dev/null || true
    wait "$ORVEX_XVFB_PID" 2>/dev/null || true
    ORVEX_XVFB_PID=
  fi
}
