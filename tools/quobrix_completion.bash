# bash completion for quobrix                                 -*- shell-script -*-
# tools/gen_completion.py fills in the tables below from the help texts of
# quobrix; the catalogue's names come from `quobrix crc --list` as it runs.

@TABLES@

# Adds to COMPREPLY the candidates ($2...) that start with $1, in any case:
# catalogue names are taken in any case, and the reply gives their own.
_quobrix_add_matching() {
    local word=${1^^} candidate
    shift
    for candidate; do
        [[ ${candidate^^} == "$word"* ]] && COMPREPLY+=("$candidate")
    done
}

# The catalogue's names, from the quobrix being completed ($1).
_quobrix_models() {
    local line
    REPLY=()
    while IFS= read -r line; do
        [[ $line == *' name="'*'"' ]] || continue
        line=${line##*name=\"}
        REPLY+=("${line%\"}")
    done < <("$1" crc --list 2>/dev/null)
}

_quobrix_files() {
    if declare -F _filedir >/dev/null; then
        _filedir
    else
        compopt -o filenames 2>/dev/null
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
    fi
}

# Completes the value of an option's argument: REPLY holds its values.
_quobrix_add_values() {
    if [[ ${REPLY[0]-} == @* ]]; then
        _quobrix_files
    else
        _quobrix_add_matching "$cur" "${REPLY[@]}"
    fi
}

_quobrix() {
    local program=${1:-quobrix} cur=${COMP_WORDS[COMP_CWORD]} REPLY
    local command='' pending='' ended='' operands=0 word i
    local -a typed=()
    COMPREPLY=()
    # Bash parts --opt=value into three words, "=" being in COMP_WORDBREAKS;
    # readline then completes only what follows the "=".
    if [[ $cur == = ]]; then
        cur=''
    fi
    for ((i = 1; i < COMP_CWORD; i++)); do
        word=${COMP_WORDS[i]}
        if [[ -n $pending ]]; then
            [[ $word == = ]] && continue  # --opt=value: the value follows
            pending=''
        elif [[ -n $ended || $word != -?* ]]; then
            if [[ -z $command ]]; then command=$word; else ((operands++)); fi
        elif [[ $word == -- ]]; then
            ended=1
        elif [[ $word != = ]]; then
            typed+=("$word")
            _quobrix_argument "$command" "$word" && pending=$word
        fi
    done
    if [[ -n $pending ]]; then
        _quobrix_argument "$command" "$pending" && _quobrix_add_values
        return
    fi
    if [[ -z $ended && $cur == -* ]]; then
        _quobrix_options "$command"
        _quobrix_add_matching "$cur" "${REPLY[@]}"
        return
    fi
    if [[ -z $command ]]; then
        _quobrix_commands
        _quobrix_add_matching "$cur" "${REPLY[@]}"
        return
    fi

    # The operand being typed: of the first form that has every option typed.
    local form='' candidate option
    local -a operand_list
    _quobrix_forms "$command"
    for candidate in "${REPLY[@]}"; do
        form=$candidate
        for option in "${typed[@]}"; do
            [[ " ${candidate%%|*} " == *" $option "* ]] || continue 2
        done
        break
    done
    read -r -a operand_list <<<"${form#*|}"
    local count=${#operand_list[@]} operand=''
    if ((operands < count)); then
        operand=${operand_list[operands]}
    elif ((count > 0)) && [[ ${operand_list[count - 1]} == *... ]]; then
        operand=${operand_list[count - 1]}
    fi
    case ${operand%...} in
        MODEL)
            _quobrix_models "$program"
            _quobrix_add_matching "$cur" "${REPLY[@]}"
            ;;
        CHECK)
            local -a names
            _quobrix_models "$program"
            names=("${REPLY[@]}")
            _quobrix_sums
            _quobrix_add_matching "$cur" "${names[@]}" "${REPLY[@]}"
            ;;
        FILE) _quobrix_files ;;
    esac
}
complete -F _quobrix quobrix
