# bash completion for relight: commands, each command's options, style names and files.

_relight_styles() {
    local IFS=$'\n'
    COMPREPLY=($(compgen -W "$(relight styles list 2>/dev/null)" -- "$1"))
}

_relight() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
    local command=${COMP_WORDS[1]}
    local common="-o --in-place --format --area --mask --channel --save-params --save-style --force
        --quality --max-pixels --plugin --jobs --quiet --help"
    if [[ $COMP_CWORD -eq 1 ]]; then
        COMPREPLY=($(compgen -W "apply edit styles about help --help --version" -- "$cur"))
        return
    fi
    case $prev in
        --style|--save-style) _relight_styles "$cur"; return ;;
        --format) COMPREPLY=($(compgen -W "png jpeg" -- "$cur")); return ;;
        --quality|--jobs|--max-pixels|--area|--name) return ;;
    esac
    case $command in
        apply) COMPREPLY=($(compgen -W "$common --style --params --last" -- "$cur")) ;;
        edit) COMPREPLY=($(compgen -W "$common --style --defaults --headless --script --record" -- "$cur")) ;;
        about) COMPREPLY=($(compgen -W "--plugin --help" -- "$cur")) ;;
        styles)
            if [[ $COMP_CWORD -eq 2 ]]; then
                COMPREPLY=($(compgen -W "list show import export delete" -- "$cur"))
                return
            fi
            case ${COMP_WORDS[2]} in
                show|export|delete) [[ $COMP_CWORD -eq 3 && $cur != -* ]] && { _relight_styles "$cur"; return; } ;;
            esac
            COMPREPLY=($(compgen -W "--name --json --force --plugin" -- "$cur")) ;;
    esac
    [[ $cur == -* ]] || COMPREPLY=($(compgen -f -- "$cur"))
}

complete -o filenames -F _relight relight
