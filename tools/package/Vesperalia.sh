#!/bin/bash
# Vesperalia launcher for the community package manager, in the order of its template:
# find the manager's control folder, take its settings and the firmware's own fixes, start
# the pad-to-keys mapper and the firmware's last steps, then run the game from its own
# folder with the achievement registry kept there (exp/). The game reads only the keys the
# mapper sends (its pad events are ignored, so no press acts twice), whether or not the
# firmware has the layer present its pad as a joystick; the mapper's hotkey with Start
# ends it, and wins and achievements are on the card by then.

XDG_DATA_HOME=${XDG_DATA_HOME:-$HOME/.local/share}

if [ -d "/opt/system/Tools/PortMaster/" ]; then
  controlfolder="/opt/system/Tools/PortMaster"
elif [ -d "/opt/tools/PortMaster/" ]; then
  controlfolder="/opt/tools/PortMaster"
elif [ -d "$XDG_DATA_HOME/PortMaster/" ]; then
  controlfolder="$XDG_DATA_HOME/PortMaster"
else
  controlfolder="/roms/ports/PortMaster"
fi

source "$controlfolder/control.txt"
[ -f "${controlfolder}/mod_${CFW_NAME}.txt" ] && source "${controlfolder}/mod_${CFW_NAME}.txt"
get_controls

GAMEDIR="/$directory/ports/vesperalia"
cd "$GAMEDIR" || exit 1
> "$GAMEDIR/log.txt" && exec > >(tee "$GAMEDIR/log.txt") 2>&1

# The manager's installer drops execute bits on file systems other than ext.
$ESUDO chmod +x "$GAMEDIR/vesperalia.${DEVICE_ARCH}" "$GAMEDIR/vesperalia-profile.${DEVICE_ARCH}"

# libs.* carries the SDL 1.2 layer over the firmware's SDL2; it scales the 320x240
# picture to the screen smoothly unless told to keep the pixels sharp.
export LD_LIBRARY_PATH="$GAMEDIR/libs.${DEVICE_ARCH}:$LD_LIBRARY_PATH"
export SDL_GAMECONTROLLERCONFIG="$sdl_controllerconfig"
export SDL12COMPAT_SCALE_METHOD=nearest
export VESPERALIA_EXP_BASE="$GAMEDIR/exp/"

# The firmware's language as a two- or three-letter code (de_DE.UTF-8 gives de), when
# one of the game's language files carries it; English otherwise.
profile_language() {
  local code="${LC_ALL:-${LANG:-}}"
  code="${code%%[_.@]*}"
  if [[ "$code" =~ ^[a-z]{2,3}$ ]]; then
    local f
    for f in lang/*; do
      if [ -f "$f" ] && tr -d '\r' < "$f" | grep -qx "@lang $code"; then
        echo "$code"
        return
      fi
    done
  fi
  echo "en"
}

# First run: a profile named Player, made the active one.
if [ ! -e "$VESPERALIA_EXP_BASE/activeexp" ]; then
  ./vesperalia-profile.${DEVICE_ARCH} --base "$VESPERALIA_EXP_BASE" \
    create Player "$(profile_language)" || echo "Vesperalia: no profile made; achievements are off"
fi

$GPTOKEYB "vesperalia.${DEVICE_ARCH}" -c "./vesperalia.gptk" &
pm_platform_helper "$GAMEDIR/vesperalia.${DEVICE_ARCH}"
./vesperalia.${DEVICE_ARCH} -fullscreen

pm_finish
