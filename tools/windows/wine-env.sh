# Sourced by the Windows build and test scripts: a private, cached Wine prefix
# that runs console programs quietly and quickly.
#
# The prefix is made once (wineboot) and gets the fonts the engine's face
# aliases name, since a fresh prefix has none. Programs run through
# tools/windows/wine-run.sh, which sets the Japanese code page.
QOR_WINDOWS_CACHE=${QOR_WINDOWS_CACHE:-$HOME/.cache/qor-windows}
export WINEPREFIX=${QOR_WINEPREFIX:-$QOR_WINDOWS_CACHE/wine-prefix}
export WINEDEBUG=-all
# No Mono or Gecko installers: nothing here needs .NET or HTML.
export WINEDLLOVERRIDES="mscoree,mshtml="
# No sound card here: SDL's dummy driver keeps the mixer running without one.
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}

qor_wine_fonts() {  # the faces tests and games name, from the build host's font packages
  local fonts=$WINEPREFIX/drive_c/windows/Fonts f
  mkdir -p "$fonts"
  for f in /usr/share/fonts/opentype/ipafont-gothic/*.ttf /usr/share/fonts/opentype/ipafont-mincho/*.ttf \
           /usr/share/fonts/opentype/ipaexfont-gothic/*.ttf /usr/share/fonts/opentype/ipaexfont-mincho/*.ttf \
           /usr/share/fonts/opentype/noto/Noto*CJK-Regular.ttc /usr/share/fonts/opentype/noto/NotoSansCJK-Bold.ttc \
           /usr/share/fonts/truetype/liberation2/*.ttf; do
    [ -f "$f" ] && [ ! -f "$fonts/$(basename "$f")" ] && cp "$f" "$fonts/"
  done
  return 0
}

qor_wine_prefix() {  # makes the prefix when missing (about half a minute, once)
  if [ ! -f "$WINEPREFIX/.qor-ready" ]; then
    echo "wine: making the prefix $WINEPREFIX" >&2
    rm -rf "$WINEPREFIX"
    mkdir -p "$(dirname "$WINEPREFIX")"
    wineboot -i >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.qor-ready"
  fi
  qor_wine_fonts
}

qor_wine_server() {  # keeps one wineserver up for the whole run, so each start is quick
  wineserver -k >/dev/null 2>&1 || true  # one left from a run without this display
  wineserver -w
  wineserver -p
  # Wine's own background processes start with the first program and inherit
  # its output: start them here, on /dev/null, not on a test's output pipes.
  "$(dirname "${BASH_SOURCE[0]}")/wine-run.sh" cmd /c exit < /dev/null > /dev/null 2>&1 || true
  trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
}
