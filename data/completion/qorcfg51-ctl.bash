# SPDX-License-Identifier: GPL-2.0-or-later
# bash completion for qorcfg51-ctl (loaded by bash-completion on demand).
# The word lists follow qorcfg51-ctl --help and qorcfg51-ctl set --help; a test compares them.

_qorcfg51_ctl() {
  local cur prev words cword
  # Button functions hold colons (media:mute), which bash would split words at.
  _init_completion -n : || return

  local commands="show switch export import reset set apply devices add-mouse model record backup
    restore bind unbind bindings"
  local settings="rate cpi cpi-enabled led brightness breathing pointer-speed acceleration
    wheel-lines double-click language button"
  local functions="left-click right-click middle-button forward backward cut copy paste
    select-all find new print save switch-window close-window open-explorer run show-desktop
    lock-pc media:play-pause media:stop media:previous media:next media:volume-up
    media:volume-down media:mute combo: fire: macro: disable"
  local profiles="1 2 3 4 5"

  if ((cword == 1)); then
    mapfile -t COMPREPLY < <(compgen -W "$commands --help --version" -- "$cur")
    return
  fi

  local options="--help" values=""
  case ${words[1]} in
    show)
      options="--json --profile --help"
      [[ $prev == --profile ]] && values="$profiles"
      ;;
    switch)
      ((cword == 2)) && values="$profiles"
      ;;
    export | import)
      options="--profile --help"
      [[ ${words[1]} == export ]] && options="--format --profile --help"
      if [[ $prev == --profile ]]; then
        values="$profiles"
      elif [[ $prev == --format ]]; then
        values="pfx json"
      elif [[ $cur != -* ]]; then
        _filedir
        return
      fi
      ;;
    devices)
      options="--json --help"
      ;;
    bindings)
      options="--json --help"
      ;;
    bind)
      ((cword == 3)) && values="$profiles"
      ;;
    backup | restore)
      [[ ${words[1]} == restore ]] && options="--verify --help"
      if [[ $cur != -* ]]; then
        _filedir
        return
      fi
      ;;
    add-mouse)
      options="--system --config --rules --help"
      if [[ $prev == --config || $prev == --rules ]]; then
        _filedir
        return
      fi
      ;;
    reset)
      options="--profile --help"
      [[ $prev == --profile ]] && values="$profiles"
      ;;
    apply)
      options="--profile --verbose --verify --help"
      [[ $prev == --profile ]] && values="$profiles"
      ;;
    record)
      options="--combo --seconds --script --help"
      if [[ $prev == --script ]]; then
        _filedir
        return
      fi
      [[ $prev == --seconds ]] && values="5 10 30 60"
      ;;
    set)
      options="--profile --help"
      # The setting's words follow a leading --profile N.
      local first=2
      [[ ${words[2]-} == --profile ]] && first=4
      local setting=${words[first]-}
      ((cword -= first - 2))
      if [[ $prev == --profile ]]; then
        values="$profiles"
      elif ((cword == 2)); then
        values="$settings"
      elif [[ $setting == button ]]; then
        ((cword == 3)) && values="$profiles"
        ((cword == 4)) && values="$functions"
      elif ((cword == 3)); then
        case $setting in
          rate) values="125 250 500 1000" ;;
          cpi | cpi-enabled) values="1 2 3 4" ;;
          brightness | breathing | acceleration) values="0 1 2 3" ;;
          wheel-lines) values="1 2 3 4 5 6 7 8 9 10 page" ;;
          language) values="0409 0407 040c 040a en de fr es" ;;
        esac
      elif [[ $setting == cpi-enabled ]] && ((cword == 4)); then
        values="on off"
      fi
      ;;
  esac

  if [[ $cur == -* ]]; then
    mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
  elif [[ -n $values ]]; then
    mapfile -t COMPREPLY < <(compgen -W "$values" -- "$cur")
    __ltrim_colon_completions "$cur"
    # A function with a parameter (combo:, fire:, macro:) goes on without a space.
    [[ ${#COMPREPLY[@]} -eq 1 && ${COMPREPLY[0]} == *: ]] && compopt -o nospace
  fi
} && complete -F _qorcfg51_ctl qorcfg51-ctl
