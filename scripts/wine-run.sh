#!/bin/sh
# Runs a Windows program under Wine without prompts or debug chatter, in a
# Wine prefix of its own (created on first use).
: "${WINEPREFIX:=${XDG_CACHE_HOME:-$HOME/.cache}/basicsdll-wine}"
export WINEPREFIX
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko installation dialogs.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree=;mshtml=}"
export WINEARCH=win64
if command -v wine64 >/dev/null 2>&1; then
    exec wine64 "$@"
elif [ -x /usr/lib/wine/wine64 ]; then
    exec /usr/lib/wine/wine64 "$@"
fi
exec wine "$@"
