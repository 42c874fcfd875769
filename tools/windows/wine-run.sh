#!/bin/sh
# Runs a Windows program under Wine with a Japanese ANSI code page (932), as the
# games this engine runs expect; Wine takes the code page from the locale name,
# so the locale itself need not be installed. Keeps the program's exit status.
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
export WINEDEBUG=${WINEDEBUG:--all}
export WINEPREFIX=${WINEPREFIX:-${QOR_WINDOWS_CACHE:-$HOME/.cache/qor-windows}/wine-prefix}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
exec wine "$@"
