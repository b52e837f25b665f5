# Bash completion for the TAVLO programs (tavlo_t_receiver, tavlo_devsim,
# tavlo_check_tag_list, tavlo_define_tags): their options, the values of
# the options with fixed choices, and files where a file is wanted.
# Installed once under each program's name, so that bash-completion loads
# it for whichever is completed first.
#
# The build appends to this file the tables of the programs' options, which
# each program prints from its table of options with --completion-data:
#   _tavlo_options[PROGRAM]   its options
#   _tavlo_values[PROGRAM --OPTION]   for an option that takes a value:
#       "words W...", "items W..." (a comma list of them), "files" or
#       "nothing"
# Here is what the tables do not hold: the operands.
declare -gA _tavlo_options _tavlo_values

# _tavlo_offer WORDS...: the words that start with the current word.
_tavlo_offer() {
    COMPREPLY=($(compgen -W "$*" -- "$cur"))
}

# _tavlo_offer_list WORDS...: the same for the last item of a comma list.
_tavlo_offer_list() {
    local done_items=""
    [[ $cur == *,* ]] && done_items=${cur%,*},
    COMPREPLY=($(compgen -P "$done_items" -W "$*" -- "${cur##*,}"))
    compopt -o nospace
}

# _tavlo_offer_value PROGRAM: when the word before is an option of PROGRAM
# that takes a value, offers what its table says and succeeds.
_tavlo_offer_value() {
    local offer=${_tavlo_values[$1 $prev]-}
    [[ -n $offer ]] || return 1
    case $offer in
        words\ *) _tavlo_offer ${offer#words } ;;
        items\ *) _tavlo_offer_list ${offer#items } ;;
        files) _filedir ;;
    esac
    return 0
}

# _tavlo_offer_options PROGRAM: the options of PROGRAM.
_tavlo_offer_options() {
    _tavlo_offer ${_tavlo_options[$1]}
}

_tavlo_t_receiver() {
    local cur prev words cword split
    _init_completion -s || return
    _tavlo_offer_value tavlo_t_receiver && return
    $split && return
    if [[ $cur == -* ]]; then
        _tavlo_offer_options tavlo_t_receiver
        return
    fi
    _tavlo_offer sim sim:0 localhost:7301 127.0.0.1:7301
    compopt -o nospace
}

_tavlo_devsim() {
    local cur prev words cword split
    _init_completion -s || return
    _tavlo_offer_value tavlo_devsim && return
    $split && return
    _tavlo_offer_options tavlo_devsim
}

_tavlo_check_tag_list() {
    local cur prev words cword
    _init_completion || return
    if [[ $cur == -* ]]; then
        _tavlo_offer_options tavlo_check_tag_list
        return
    fi
    # FORMAT, COUNT, FILE: the place of the word among the arguments.
    local arguments=0 k
    for ((k = 1; k < cword; k++)); do
        [[ ${words[k]} == -* ]] || ((arguments++))
    done
    case $arguments in
        0) _tavlo_offer names types values deadbands historical ;;
        2) _filedir ;;
    esac
}

_tavlo_define_tags() {
    local cur prev words cword
    _init_completion || return
    _tavlo_offer_options tavlo_define_tags
}

complete -F _tavlo_t_receiver tavlo_t_receiver
complete -F _tavlo_devsim tavlo_devsim
complete -F _tavlo_check_tag_list tavlo_check_tag_list
complete -F _tavlo_define_tags tavlo_define_tags
