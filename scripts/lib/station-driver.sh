# Drives the real station program through its window for the long-run scripts (soak,
# kill campaign, disk full): a virtual screen, the simulator on 127.0.0.2/127.0.0.3, a
# station folder of its own and mouse clicks on the toolbar. Sourced, not run.
#
# The main window opens at the screen's top left corner (the virtual screen has no window
# manager), so its toolbar buttons have fixed places.

# Toolbar places (x y) in the main window at the default icon size.
STATION_START_AT=(365 25)
STATION_GRAPH_AT=(136 25)
STATION_DATA_AT=(181 25)
STATION_STEPS_AT=(89 25)

# The modules' addresses: the built-in ones unless a script runs beside another station.
station_power=${STATION_POWER_ADDRESS:-127.0.0.2}
station_measure=${STATION_MEASURE_ADDRESS:-127.0.0.3}

station_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
station_build=${KAPSOREL_BUILD:-$station_root/build}

# Builds what the scripts run, in the build folder given by KAPSOREL_BUILD (default build/).
station_build_programs()
{
  if [ ! -f "$station_build/CMakeCache.txt" ]; then
    cmake -S "$station_root" -B "$station_build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  fi
  cmake --build "$station_build" -j "$(nproc)" --target kapsorel kapsorel-sim kapsorel-make-demo kapsorel-export
}

# station_make FOLDER DATA_FOLDER [ARCHIVE_FOLDER]: a station of its own in FOLDER (the
# program copied there, the demo definitions, a configuration that starts the endless
# cycling procedure on battery SOAK1; STATION_TYPE, STATION_PROCEDURE and STATION_BATTERY
# choose others, STATION_HARDWARE=1 makes it a lead station).
station_make()
{
  local folder=$1 data=$2 archive=${3:-}
  mkdir -p "$folder" "$data"
  cp "$station_build/src/kapsorel" "$folder/"
  "$station_build/tools/make-demo/kapsorel-make-demo" "$folder"
  cat >"$folder/Kapsorel.ini" <<EOF
[Nastaveni]
IP_adr_vyk=$station_power
IP_adr_mer=$station_measure
Stanice=Zkušebna
Uziv=Novák
Data_adr=$data
Arch_adr=$archive
TYP_BAT=${STATION_TYPE:-20KSX25P}
TYP_HW=${STATION_HARDWARE:-0}
C_POSTUP=${STATION_PROCEDURE:-Cyklování (smyčka)}
[TFmain]
Lcislo_bat=${STATION_BATTERY:-SOAK1}
EOF
}

# Starts a virtual screen and exports DISPLAY: screen 40 + the last number of the power
# module's address unless STATION_DISPLAY names one, so that scripts running side by side
# for different stations never take each other's screen.
station_screen()
{
  local n=${STATION_DISPLAY:-$((40 + ${station_power##*.}))}
  if [ -e "/tmp/.X11-unix/X$n" ]; then
    echo "screen :$n is taken; set STATION_DISPLAY to a free one" >&2
    return 1
  fi
  Xvfb ":$n" -nolisten tcp -screen 0 1280x900x24 >/dev/null 2>&1 &
  station_xvfb_pid=$!
  for _ in $(seq 1 100); do
    [ -e "/tmp/.X11-unix/X$n" ] && break
    sleep 0.1
  done
  kill -0 "$station_xvfb_pid" 2>/dev/null || { echo "Xvfb did not start on :$n" >&2; return 1; }
  export DISPLAY=":$n"
}

# station_simulator LOG [ARGS...]: the simulator at time scale 10 on the station's addresses,
# ready when it says so.
station_simulator()
{
  local log=$1
  shift
  station_sim_log=$log
  : >"$log"
  "$station_build/sim/kapsorel-sim" --power "$station_power" --measure "$station_measure" --capacity 25 --charge 0.6 \
    --time-scale 10 "$@" >"$log" 2>&1 &
  station_sim_pid=$!
  for _ in $(seq 1 100); do
    grep -q READY "$log" && return 0
    sleep 0.1
  done
  echo "kapsorel-sim did not start:" >&2
  cat "$log" >&2
  return 1
}

# station_sim_control COMMAND...: one line to the simulator's control port (for example
# "set measure.head 2"); prints its answer.
station_sim_control()
{
  local port reply
  port=$(sed -n 's/.*READY control=\([0-9]*\).*/\1/p' "$station_sim_log")
  exec 5<>"/dev/tcp/127.0.0.1/$port"
  printf '%s\n' "$*" >&5
  read -r -t 5 reply <&5 || true
  exec 5>&-
  echo "$reply"
}

# station_program FOLDER LOG: starts the program of a station and waits for its window.
station_program()
{
  local folder=$1 log=$2
  "$folder/kapsorel" >>"$log" 2>&1 &
  station_pid=$!
  station_window=""
  for _ in $(seq 1 100); do
    station_window=$(xdotool search --onlyvisible --name '^Kapsorel - ' 2>/dev/null | head -n1 || true)
    [ -n "$station_window" ] && break
    sleep 0.1
  done
  [ -n "$station_window" ] || { echo "the station window did not open" >&2; return 1; }
  # The window paints its first values before it takes clicks.
  sleep 1
}

# station_click X Y: a left click at a place of the main window.
station_click()
{
  xdotool windowraise "$station_window"
  xdotool mousemove --window "$station_window" "$1" "$2" click 1
}

# station_press_enter: the default button of whatever box has the focus.
station_press_enter()
{
  xdotool key --clearmodifiers Return
}

# station_screenshot FILE
station_screenshot()
{
  import -window root "$1"
}

# station_stop_all: ends the program, the simulator and the screen (for trap EXIT).
station_stop_all()
{
  [ -n "${station_pid:-}" ] && kill "$station_pid" 2>/dev/null || true
  [ -n "${station_sim_pid:-}" ] && kill "$station_sim_pid" 2>/dev/null || true
  [ -n "${station_xvfb_pid:-}" ] && kill "$station_xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
}
