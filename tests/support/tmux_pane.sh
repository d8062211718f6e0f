# Helpers for the end-to-end scripts that play a program in a tmux pane named
# "play". The sourcing script sets socket (a tmux server of its own) and work
# (its temporary folder) and calls end_tmux_and_work from its exit trap.

tm() { tmux -u -L "$socket" -f /dev/null "$@"; }
end_tmux_and_work() {
  local socket_path
  socket_path=$(tm display -p '#{socket_path}' 2>/dev/null) || true
  tm kill-server 2>/dev/null || true
  # The server does not always take its socket with it.
  [[ -z $socket_path ]] || rm -f "$socket_path"
  # The pane's shell may still be writing its history as the server goes.
  rm -rf "$work" 2>/dev/null || { sleep 1; rm -rf "$work"; }
}

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

# parse_rows FIRST LAST: the cells of those rows into CH/FG/BG, indexed by
# row * 80 + column, with the SGR colour numbers tmux reports (39/49 default).
declare -a CH FG BG
parse_rows() {
  local first=$1 last=$2 row line i n c rest codes code fg bg column
  local -a lines parts
  mapfile -t lines < <(tm capture-pane -p -e -N -t play -S "$first" -E "$last")
  CH=() FG=() BG=()
  for ((row = first; row <= last; row++)); do
    line=${lines[row - first]:-}
    fg=39 bg=49 column=0 i=0 n=${#line}
    while ((i < n)); do
      c=${line:i:1}
      if [[ $c == $'\e' ]]; then
        rest=${line:i+2}
        codes=${rest%%m*}
        i=$((i + 3 + ${#codes}))
        IFS=';' read -ra parts <<<"${codes:-0}"
        for code in "${parts[@]}"; do
          case $code in
            0) fg=39 bg=49 ;;
            3[0-7] | 39 | 9[0-7]) fg=$code ;;
            4[0-7] | 49 | 10[0-7]) bg=$code ;;
          esac
        done
      else
        CH[row * 80 + column]=$c FG[row * 80 + column]=$fg BG[row * 80 + column]=$bg
        column=$((column + 1)) i=$((i + 1))
      fi
    done
  done
}
