# Helpers for the end-to-end scripts that play a program in a tmux pane named
# "play". The sourcing script defines tm (tmux on its own socket) first.

log() { printf '%s\n' "$*"; }
dump() { log "---- screen ----"; tm capture-pane -p -t play || true; log "----------------"; }
fail() {
  log "FAIL: $*"
  dump
  exit 1
}
pass() { log "ok: $*"; }

# poll SECONDS COMMAND... : runs the command until it succeeds or time runs out.
poll() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    ((SECONDS < deadline)) || return 1
    sleep 0.1
  done
}

# row_text ROW COLUMN LENGTH: the characters shown there.
row_text() {
  local line
  line=$(tm capture-pane -p -N -t play -S "$1" -E "$1")
  printf '%s' "${line:$2:$3}"
}
shows_at() { [[ $(row_text "$1" "$2" "${#3}") == "$3" ]]; }
