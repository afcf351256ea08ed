# bash completion for ekconvert
_ekconvert() {
  local cur prev
  cur=${COMP_WORDS[COMP_CWORD]}
  prev=${COMP_WORDS[COMP_CWORD-1]}
  local movies='@(ekcab|EKCAB|exe|EXE|cab|CAB|~ekflm)'
  if [ "$COMP_CWORD" -eq 1 ]; then
    COMPREPLY=($(compgen -W "info frames video frame thumbnail rescue text search --help --version" -- "$cur"))
    return
  fi
  case $prev in
    --segment|--from|--to|--size|--jobs) return ;;
  esac
  local options
  case ${COMP_WORDS[1]} in
    info) options="--json --salvage" ;;
    frames) options="--segment --from --to --no-cursor --salvage" ;;
    video) options="--segment --from --to --no-cursor --lossless --salvage" ;;
    frame) options="--no-cursor --salvage" ;;
    thumbnail) options="--size --salvage" ;;
    rescue) options="--json" ;;
    text) options="--json" ;;
    search) options="--json --jobs" ;;
    *) return ;;
  esac
  if [[ $cur == -* ]]; then
    COMPREPLY=($(compgen -W "$options" -- "$cur"))
  elif [ "${COMP_WORDS[1]}" = search ]; then
    # The query, then movies and folders.
    [ "$COMP_CWORD" -gt 2 ] && _filedir "$movies"
  elif [ "$COMP_CWORD" -eq 2 ]; then
    _filedir "$movies"
  elif [ "${COMP_WORDS[1]}" = video ]; then
    _filedir '@(mp4|mkv|webm|gif)'
  elif [ "${COMP_WORDS[1]}" = frames ]; then
    _filedir -d
  elif [ "${COMP_WORDS[1]}" = rescue ]; then
    _filedir ekcab
  else
    _filedir png
  fi
}
complete -F _ekconvert ekconvert
