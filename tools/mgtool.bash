# bash completion for mgtool: commands, each command's options, and files.
_mgtool() {
    local cur prev words cword
    _init_completion -s || return
    local commands="info convert repair render view help"
    local draw="--size --view --edges --wire --loops --no-fill --crease --highlight --color"
    if [[ $cword -eq 1 ]]; then
        COMPREPLY=($(compgen -W "$commands --version --help" -- "$cur"))
        return
    fi
    case $prev in
    --view) COMPREPLY=($(compgen -W "iso top front side" -- "$cur")); return ;;
    --size | --crease | --highlight | --color | --tolerance | --merge | --name | --click) return ;;
    -o | --output) _filedir png; return ;;
    esac
    local options
    case ${words[1]} in
    info) options="--json --time --tolerance --help" ;;
    convert) options="--binary --ascii --name --tolerance --help" ;;
    repair) options="--merge --drop-degenerate --orient --binary --ascii --name --tolerance --help" ;;
    render) options="-o --output $draw --help" ;;
    view) options="$draw --click --help" ;;
    help) COMPREPLY=($(compgen -W "$commands" -- "$cur")); return ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
    else
        _filedir
    fi
} && complete -F _mgtool mgtool
