#!/usr/bin/env bash
# Where the start goes, Tarnwick.exe beside the peer of scripts/bench/first_window.sh
# (Wine's iexplore.exe), from Wine's own trace: each program is started `runs`
# (5) times, alternately, with the same loopback URL, under
# WINEDEBUG=+timestamp,+loaddll,+relay with only CreateWindowExW, ShowWindow
# and connect relayed. For each program it prints the medians, in ms from the
# process's first trace line, of: the last DLL loaded before the first window
# of its own (OLE's message-only window not counted), that first window, the
# first ShowWindow that shows a top-level window, and the first connect (the control's
# request leaving); then one run's timeline of those events. Tracing slows both
# programs alike, so compare the phases, not the totals, with first_window.sh.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
runs=${1:-5}

source "$root/scripts/bench/bench_session.sh"
bench_start "${BENCH_SESSION_DIR:-/tmp/speed-first-window-phases}" Tarnwick.exe
build=$bench_build
peer='C:\Program Files\Internet Explorer\iexplore.exe'
export WINEDLLOVERRIDES="mscoree=;winemenubuilder.exe=d;winedbg.exe=d"
if [[ ! -f $WINEPREFIX/.tarnwick-html ]]; then
  "$root/scripts/wine-exec" regsvr32 /s mshtml.dll
  touch "$WINEPREFIX/.tarnwick-html"
fi
"$root/scripts/wine-exec" reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /t REG_SZ \
  /d 'user32.CreateWindowExW;user32.ShowWindow;ws2_32.connect' /f >/dev/null

# A listener that answers every request with a small page, as first_window.sh's does.
port_file=$(mktemp)
python3 - "$port_file" <<'EOF' &
import http.server, socketserver, sys
class Page(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        body = b"<html><head><title>t</title></head><body>t</body></html>"
        self.send_response(200)
        self.send_header("Content-Type", "text/html")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)
    def log_message(self, *args):
        pass
with socketserver.TCPServer(("127.0.0.1", 0), Page) as server:
    open(sys.argv[1], "w").write(str(server.server_address[1]))
    server.serve_forever()
EOF
listener=$!
trap 'kill $listener 2>/dev/null; session_stop' EXIT
while [[ ! -s $port_file ]]; do sleep 0.1; done
url="http://127.0.0.1:$(cat "$port_file")/start"

traces=$BUILD_DIR/phases
rm -rf "$traces" && mkdir -p "$traces"
# One traced start: the program runs until its request has left, then is ended.
trace_one() {
  local out=$1
  shift
  WINEDEBUG=+timestamp,+loaddll,+relay "$root/scripts/wine-exec" "$@" "$url" 2>"$out" >/dev/null &
  local pid=$! waited=0
  until grep -q 'Call ws2_32.connect' "$out" 2>/dev/null || ((waited >= 150)); do
    sleep 0.1
    waited=$((waited + 1))
  done
  sleep 0.5
  pkill -P "$pid" 2>/dev/null || true
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

bench_machine
for i in $(seq 0 "$runs"); do # run 0 warms both up and is not counted
  trace_one "$traces/a$i.log" "$(winpath "$build/Tarnwick.exe")"
  trace_one "$traces/b$i.log" "$peer"
done
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"

python3 - "$traces" "$runs" <<'EOF'
import re, statistics, sys
folder, runs = sys.argv[1], int(sys.argv[2])
line_re = re.compile(r"^\s*(\d+\.\d+):([0-9a-f]+):(.*)$")

def events(path):
    """(ms from the first line, thread, text) of the process's trace, its own lines only."""
    out, t0 = [], None
    for raw in open(path, errors="replace"):
        m = line_re.match(raw)
        if not m:
            continue
        t = float(m.group(1)) * 1000
        if t0 is None:
            t0 = t
        out.append((t - t0, m.group(2), m.group(3)))
    return out

def marks(evs):
    """Marks of one start: DLLs loaded before its first window of its own (OLE's message-only window not
    counted), that window, the first top-level window shown, the first connect."""
    last_dll = first_window = shown = connect = None
    dlls = 0
    top_level, pending = set(), {}  # handles of top-level windows; per thread, the parents of open calls
    for t, thread, text in evs:
        if "Loaded L" in text and first_window is None:
            last_dll, dlls = t, dlls + 1
        elif "Call user32.CreateWindowExW(" in text:
            args = text.split("(", 1)[1].split(",")
            parent = args[8].strip().lstrip("0").lower() if len(args) > 8 else "?"
            pending.setdefault(thread, []).append(parent)
            if first_window is None and parent != "fffffffffffffffd":  # HWND_MESSAGE: OLE's own
                first_window = t
        elif "Ret  user32.CreateWindowExW(" in text and pending.get(thread):
            parent = pending[thread].pop()
            handle = re.search(r"retval=([0-9a-f]+)", text)
            if parent == "" and handle:
                top_level.add(handle.group(1).lstrip("0"))
        elif "Call user32.ShowWindow(" in text and shown is None:
            handle, cmd = text.split("(", 1)[1].split(")")[0].split(",")[:2]
            if int(cmd, 16) != 0 and handle.lstrip("0") in top_level:
                shown = t
        elif "Call ws2_32.connect(" in text and connect is None:
            connect = t
    return dict(last_dll=last_dll, dlls=dlls, first_window=first_window, shown=shown, connect=connect)

def med(values):
    values = [v for v in values if v is not None]
    return f"{statistics.median(values):7.1f}" if values else "      -"

names = {"a": "Tarnwick.exe", "b": "iexplore.exe"}
print()
print(f"{'program':14} {'DLLs':>5} {'last DLL':>9} {'1st window':>11} {'shown':>8} {'connect':>8}   (medians, ms)")
for side in "ab":
    ms = [marks(events(f"{folder}/{side}{i}.log")) for i in range(1, runs + 1)]
    print(f"{names[side]:14} {med([m['dlls'] for m in ms]):>5} {med([m['last_dll'] for m in ms]):>9} "
          f"{med([m['first_window'] for m in ms]):>11} {med([m['shown'] for m in ms]):>8} "
          f"{med([m['connect'] for m in ms]):>8}")
for side in "ab":
    print(f"\n{names[side]}, run 1: DLLs loaded, windows created and shown, connect")
    for t, _, text in events(f"{folder}/{side}1.log"):
        if "Loaded L" in text:
            name = re.search(r'Loaded L"([^"]*)"', text)
            print(f"{t:8.1f}  dll {name.group(1).split(chr(92))[-1] if name else text}")
        elif re.search(r"Call (user32\.(CreateWindowExW|ShowWindow)|ws2_32\.connect)\(", text):
            print(f"{t:8.1f}  {text[:150]}")
EOF
