# Bash completion for the TAVLO programs (tavlo_t_receiver, tavlo_devsim,
# tavlo_check_tag_list, tavlo_define_tags): their options, the values of
# the options with fixed choices, and files where a file is wanted.
# Installed once under each program's name, so that bash-completion loads
# it for whichever is completed first.

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

_tavlo_t_receiver() {
    local cur prev words cword split
    _init_completion -s || return
    case $prev in
        --format) _tavlo_offer text json view none; return ;;
        --mqtt-qos) _tavlo_offer 0 1 2; return ;;
        --mqtt-password-file | --mqtt-cafile | --mqtt-cert | --mqtt-key) _filedir; return ;;
        --mqtt-spool) _filedir -d; return ;;
        --mqtt) _tavlo_offer mqtt://localhost:1883 mqtts://localhost:8883; return ;;
        --mqtt-topic | --mqtt-client-id | --mqtt-user | --mqtt-queue-max | \
            --mqtt-drain-timeout) return ;;
        --kind) _tavlo_offer_list get put declare cancel unsolicited; return ;;
        --record) _filedir; return ;;
        --list | --tag | --count | --timeout) return ;;
    esac
    $split && return
    if [[ $cur == -* ]]; then
        _tavlo_offer --format --view --raw --kind --list --tag --count --timeout --record \
            --append --force --stats --mqtt --mqtt-topic --mqtt-qos --mqtt-client-id \
            --mqtt-user --mqtt-password-file --mqtt-cafile --mqtt-cert --mqtt-key \
            --mqtt-spool --mqtt-queue-max --mqtt-drain-timeout --help --version --
        return
    fi
    _tavlo_offer sim sim:0 localhost:7301 127.0.0.1:7301
    compopt -o nospace
}

_tavlo_devsim() {
    local cur prev words cword split
    _init_completion -s || return
    case $prev in
        --pace) _tavlo_offer interval recorded; return ;;
        --slow-client) _tavlo_offer drop wait; return ;;
        --script) _filedir; return ;;
        --bind) _tavlo_offer 127.0.0.1 ::1 0.0.0.0 ::; return ;;
        --port | --interval | --count | --start | --first-message | --clients | \
            --speed | --loop | --max-queue | --close-after | --corrupt-at | \
            --truncate-at | --stall-at | --oversize-at) return ;;
    esac
    $split && return
    _tavlo_offer --port --bind --interval --count --start --first-message \
        --clients --script --pace --speed --loop --exit-at-end --verbose --slow-client \
        --max-queue --help --version --close-after --corrupt-at --truncate-at \
        --stall-at --oversize-at --
}

_tavlo_check_tag_list() {
    local cur prev words cword
    _init_completion || return
    if [[ $cur == -* ]]; then
        _tavlo_offer --help --version --
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
    _tavlo_offer --historical --help --version --
}

complete -F _tavlo_t_receiver tavlo_t_receiver
complete -F _tavlo_devsim tavlo_devsim
complete -F _tavlo_check_tag_list tavlo_check_tag_list
complete -F _tavlo_define_tags tavlo_define_tags
