# bash completion for kestrin-cli                                    -*- shell-script -*-

_kestrin_cli_authors()
{
    # The author keys of the settings store, for "/checkauto KEY".
    kestrin-cli reg query 'HKCU\Software\Renvane' 2>/dev/null |
        sed -n 's/^HKEY_CURRENT_USER\\Software\\Renvane\\\([^\\]*\)$/\1/p'
}

_kestrin_cli()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    local commands="check crc define demo detect get reg scan schedule sjis sntp"
    local IFS=$'\n' words=()

    if ((COMP_CWORD == 1)); then
        IFS=' ' read -ra words <<<"$commands --help"
        COMPREPLY=($(compgen -W "${words[*]}" -- "$cur"))
        return
    fi

    case ${COMP_WORDS[1]} in
    check)
        case $prev in
        /checkauto)
            COMPREPLY=($(compgen -W "$(_kestrin_cli_authors)" -- "$cur"))
            return
            ;;
        --folder) return ;;
        esac
        words=(/check /checkall /checkauto /preset /revset --folder --json --quiet-errors --notify)
        ;;
    schedule)
        case $prev in
        --options)
            words=(/check /checkall /checkauto /preset /revset)
            ;;
        daily) return ;;
        *) words=(daily hourly off --options) ;;
        esac
        ;;
    reg)
        if ((COMP_CWORD == 2)); then
            words=(add query delete import export)
        elif [[ $prev == import || $prev == export && COMP_CWORD -gt 3 ]]; then
            COMPREPLY=($(compgen -f -- "$cur"))
            return
        else
            words=(/v /ve /t /d /f /s /y REG_SZ REG_DWORD REG_BINARY)
        fi
        ;;
    define)
        if ((COMP_CWORD == 2)); then
            words=(list check)
        elif [[ ${COMP_WORDS[2]} == check ]]; then
            COMPREPLY=($(compgen -f -- "$cur"))
            return
        fi
        ;;
    demo) words=(--serve --port --remove) ;;
    get)
        case $prev in
        -o)
            COMPREPLY=($(compgen -f -- "$cur"))
            return
            ;;
        esac
        words=(--head --proxy --proxy-user --no-cache -o)
        ;;
    sntp) ((COMP_CWORD > 2)) && words=(--timeout --allowable --local-port --set) ;;
    scan)
        if [[ $cur == -* ]]; then
            words=(--ext)
        else
            COMPREPLY=($(compgen -f -- "$cur"))
            return
        fi
        ;;
    crc | detect | sjis)
        COMPREPLY=($(compgen -f -- "$cur"))
        return
        ;;
    esac
    COMPREPLY=($(compgen -W "${words[*]}" -- "$cur"))
} &&
    complete -o filenames -F _kestrin_cli kestrin-cli

# ex: filetype=sh
