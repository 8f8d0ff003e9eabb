# Shared shell functions of the project's scripts: build, the private test network, Xvfb and Wine.
# Sourced, not run.

BREVIX_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BREVIX_BUILD=${BREVIX_BUILD:-$BREVIX_ROOT/build}
# Number of veth pairs in the test namespace: CTest hands them to network tests as resources.
BREVIX_PAIRS=${BREVIX_PAIRS:-8}

log() { printf '[brevix] %s\n' "$*" >&2; }
die() { log "error: $*"; exit 1; }

brevix_configure_and_build() {
  # A compiler cache, where the machine has one, makes a second checkout's build quick: paths are
  # taken relative to the checkout, so two checkouts share their objects.
  local launcher=()
  if command -v ccache >/dev/null; then
    export CCACHE_BASEDIR="$BREVIX_ROOT" CCACHE_NOHASHDIR=1
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  fi
  cmake -S "$BREVIX_ROOT" -B "$BREVIX_BUILD" \
    -DCMAKE_TOOLCHAIN_FILE="$BREVIX_ROOT/cmake/toolchain-mingw64.cmake" "${launcher[@]}" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || die "configure failed"
  # BREVIX_BUILD_TARGETS limits the build to some targets (a developer's quicker loop);
  # BREVIX_JOBS sets how many compilers run at once (default: one a CPU).
  local targets=()
  for t in ${BREVIX_BUILD_TARGETS:-}; do targets+=(--target "$t"); done
  cmake --build "$BREVIX_BUILD" -j"${BREVIX_JOBS:-$(nproc)}" "${targets[@]}" || die "build failed"
}

# The namespace: loopback up, veth pairs bvh<N> (host side) / bvd<N> (device side), no route out.
# The host side of each pair has a MAC the tests know: 02:5E:C1:FF:00:<N>, the maker's prefix with
# model byte 0xFF, the address of a tester that is found by the adapter probe.
brevix_netns_create() {
  local ns=$1 i
  ip netns add "$ns" || die "cannot create network namespace $ns"
  ip -n "$ns" link set lo up
  ip netns exec "$ns" sysctl -qw net.ipv6.conf.all.disable_ipv6=1 net.ipv6.conf.default.disable_ipv6=1
  for ((i = 0; i < BREVIX_PAIRS; i++)); do
    ip -n "$ns" link add "bvh$i" type veth peer name "bvd$i"
    ip -n "$ns" link set "bvh$i" address "$(printf '02:5e:c1:ff:00:%02x' "$i")"
    ip -n "$ns" link set "bvd$i" address "$(printf '02:5e:c1:0d:ff:%02x' "$i")"
    # Jumbo MTU so tests can put oversized frames on the wire.
    ip -n "$ns" link set "bvh$i" mtu 9000
    ip -n "$ns" link set "bvd$i" mtu 9000
    ip -n "$ns" link set "bvh$i" up
    ip -n "$ns" link set "bvd$i" up
  done
  brevix_discovery_pair_create "$ns"
}

# The discovery pair bvuh0 (host side) / bvud0 (device side): the host side holds the namespace's
# only IPv4 address, 10.77.0.1/16, so the library's UDP broadcasts leave through it alone and never
# reach the pairs of other tests. The discovery responder answers on the device side with frames of
# its own from any address of 10.77.0.0/16, the host's own address included (hence accept_local).
# Its MAC addresses are not of the maker's prefix, so tester detection never takes the pair for a tester.
brevix_discovery_pair_create() {
  local ns=$1
  ip -n "$ns" link add bvuh0 type veth peer name bvud0
  ip -n "$ns" link set bvuh0 address 02:d1:5c:00:00:00
  ip -n "$ns" link set bvud0 address 02:d1:5c:00:00:01
  ip -n "$ns" addr add 10.77.0.1/16 dev bvuh0
  ip netns exec "$ns" sysctl -qw net.ipv4.conf.all.rp_filter=0 net.ipv4.conf.bvuh0.rp_filter=0 \
    net.ipv4.conf.bvuh0.accept_local=1
  ip -n "$ns" link set bvuh0 up
  ip -n "$ns" link set bvud0 up
}

brevix_netns_delete() {
  local ns=$1
  ip netns pids "$ns" 2>/dev/null | xargs -r kill -9 2>/dev/null
  ip netns delete "$ns" 2>/dev/null || true
}

# The name of the folder wineserver works in for a prefix: server-<dev>-<inode>, in hex (it lies
# under a per-user temporary folder whose name varies between Wine builds).
brevix_wineserver_dir() {
  local dev ino
  dev=$(stat -c '%d' "$1") ino=$(stat -c '%i' "$1")
  printf 'server-%x-%x' "$dev" "$ino"
}

# Start a persistent wineserver for $WINEPREFIX in the current (namespaced) shell and prove that it
# lives in this network namespace: Wine opens sockets in the wineserver, so one outside would put
# test traffic on the machine's real network. With "bare", the prefix is only booted: none of the
# settings below, as on a machine where Wine was just installed.
brevix_wineserver_start_checked() {
  mkdir -p "$WINEPREFIX"
  wineserver -k 2>/dev/null; wineserver -w 2>/dev/null
  wineserver -p </dev/null >/dev/null 2>&1 || die "wineserver did not start"
  local dir pid= tries
  dir=$(brevix_wineserver_dir "$WINEPREFIX")
  for tries in $(seq 50); do
    for p in $(pgrep -f wineserver); do
      case "$(readlink "/proc/$p/cwd" 2>/dev/null)" in */"$dir") pid=$p ;; esac
    done
    [ -n "$pid" ] && break
    sleep 0.1
  done
  [ -n "$pid" ] || die "cannot find the wineserver of $WINEPREFIX"
  [ "$(readlink "/proc/$pid/ns/net")" = "$(readlink /proc/self/ns/net)" ] ||
    die "wineserver $pid is not in the test network namespace; refusing to run"
  log "wineserver $pid runs in network namespace $(readlink "/proc/$pid/ns/net")"
  # Create or update the prefix now, before any test starts: several Wine processes that start
  # together on a prefix that is being updated can hang.
  [ -f "$WINEPREFIX/system.reg" ] || log "creating the Wine prefix $WINEPREFIX"
  wine wineboot -u >/dev/null 2>&1
  [ "${1:-}" = "bare" ] && return 0
  # Japanese texts in captions and message boxes: Wine links its interface font to "MS UI Gothic"
  # for the glyphs it lacks, and Debian's IPA font stands in for that face.
  grep -q '^"MS UI Gothic"="IPAPGothic"' "$WINEPREFIX/user.reg" 2>/dev/null ||
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS UI Gothic' /d IPAPGothic /f >/dev/null 2>&1
  # Wine draws the caption buttons (minimise, maximise, close) with glyphs of its Marlett font; Debian
  # keeps that font beside Wine rather than in the prefix, and without it the buttons show as the
  # letters "0", "1" and "r".
  local marlett fonts="$WINEPREFIX/drive_c/windows/Fonts"
  for marlett in /usr/share/wine/fonts/marlett.ttf /usr/lib/wine/fonts/marlett.ttf; do
    if [ -f "$marlett" ] && [ ! -f "$fonts/marlett.ttf" ]; then mkdir -p "$fonts" && cp "$marlett" "$fonts/"; fi
  done
  # No window manager runs on the test display: Wine draws the frames and captions itself, so that
  # windows look on the display as they do on a desktop.
  grep -q '^"Decorated"="N"' "$WINEPREFIX/user.reg" 2>/dev/null ||
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
  # Unmanaged windows: with no window manager, Wine otherwise waits about two seconds for one each
  # time a shown top-level window or message box closes.
  grep -q '^"Managed"="N"' "$WINEPREFIX/user.reg" 2>/dev/null ||
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
}

# Start Xvfb on a display it chooses itself (-displayfd: several runs may start at once, and a
# display picked by looking for lock files can be taken by another run in between); sets DISPLAY and
# XVFB_PID once the server accepts connections, which is when it writes the display number.
# -noreset: by default the server resets when its last client leaves, and a client that connects
# while it resets is accepted but never read, so it waits for its connection set-up forever. A
# test program's display meets that moment often: the console host of the debug log may be its only
# client, and the next console host, or the program's first window, connects as that one leaves.
brevix_xvfb_start() {
  local number
  number=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$number" >/dev/null 2>&1 &
  XVFB_PID=$!
  for _ in $(seq 300); do
    if grep -q '^[0-9]\+$' "$number"; then
      export DISPLAY=":$(head -n 1 "$number")"
      rm -f "$number"
      return 0
    fi
    kill -0 "$XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  rm -f "$number"
  die "cannot start Xvfb"
}

# The shared frame of scripts/test, run and bench. Outside the namespace: check for root, install
# what is missing, build, create the namespace `brevix-<kind>-<pid>` with the given number of veth
# pairs and run the calling script again inside it as `<script> --inside <args>`; the namespace is
# removed when the script ends, whatever happened.
brevix_run_inside_namespace() {
  local kind=$1 pairs=$2 script=$3
  shift 3
  [ "$(id -u)" -eq 0 ] || die "run as root: the private network namespace needs it"
  "$BREVIX_ROOT/scripts/setup" || die "setup failed"
  brevix_configure_and_build
  BREVIX_NS="brevix-$kind-$$"
  trap 'brevix_netns_delete "$BREVIX_NS"' EXIT
  BREVIX_PAIRS=$pairs brevix_netns_create "$BREVIX_NS"
  ip netns exec "$BREVIX_NS" "$script" --inside "$@"
}

# Inside the namespace: a display, a checked wineserver on the prefix given, and the first veth pair
# named for programs that are not run by CTest. Tests and benchmarks always get an Xvfb display of
# their own; with "keep-display", a DISPLAY already set (a person's screen) is used.
brevix_session_start() {
  if [ "${2:-}" != "keep-display" ] || [ -z "${DISPLAY:-}" ]; then brevix_xvfb_start; fi
  export WINEPREFIX=$1 WINEDEBUG=-all
  brevix_wineserver_start_checked
  export BREVIX_HOST_IF=bvh0 BREVIX_DEVICE_IF=bvd0 BREVIX_HOST_MAC=02:5e:c1:ff:00:00
}

# The bare prefix beside the session's: a freshly booted Wine's fonts (its dialog font is narrower
# than the session prefix's), for the tests that must lay out with either. CTest entries named
# *_booted run in it (brevix_add_gtest's BOOTED).
brevix_booted_prefix_start() {
  (export WINEPREFIX=$1 && brevix_wineserver_start_checked bare) || die "cannot boot the bare prefix $1"
  BREVIX_BOOTED_PREFIX=$1
}

brevix_session_stop() {
  [ -n "${BREVIX_BOOTED_PREFIX:-}" ] && WINEPREFIX=$BREVIX_BOOTED_PREFIX wineserver -k 2>/dev/null
  wineserver -k 2>/dev/null
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null
  return 0
}
