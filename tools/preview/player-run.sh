# shellcheck shell=bash
# Running the preview player, for the preview command and the Wine tests:
# staging it in a run folder, and telling whether it played the whole
# session.  Sourced; defines functions only.

# stage_player RUN PLAYER STAGE-OPTION [PLAYER-OPTIONS...]: a fresh run
# folder RUN with the player in it.  Each "STAGE-OPTION FILE" among the
# options is copied into RUN (where the library search finds it) instead of
# passed on; the options to pass are left in the array player_args.
stage_player() {
  local run=$1 player=$2 stage=$3
  shift 3
  rm -rf "$run" && mkdir -p "$run"
  cp "$player" "$run/"
  player_args=()
  while [ $# -gt 0 ]; do
    if [ "$1" = "$stage" ]; then cp "$2" "$run/"; shift 2; continue; fi
    player_args+=("$1")
    shift
  done
}

# player_ended LOG: the player's log has its closing line.  A player that
# ends before the session's last call leaves none.
player_ended() { tr -d '\r' <"$1" 2>/dev/null | grep -q ' end$'; }

# player_calls_done LOG: how many calls had returned when it ended.
player_calls_done() { awk '/ done /{n++} END{print n+0}' "$1" 2>/dev/null; }
