#!/usr/bin/env bash
# CPU time a running engine with nothing to do takes over a while: starts the built transmit on
# a private bus in a temporary home, starts the server, and reads the process's CPU time.
#
#   bench/idle_cpu.sh [build dir] [seconds]      (defaults: build, 20)
set -euo pipefail
build=${1:-build}
seconds=${2:-20}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/home"
cp "$build/home/transmit" "$work/home/"
export NIMBRA_SETTINGS_DIR="$work/settings"

measure() {
  "$work/home/transmit" --headless --home "$work/home" 2>"$work/stderr" &
  local pid=$!
  sleep 2
  touch "$work/home/servercontrol/StartServer.act"
  sleep 2
  local before after
  before=$(awk '{print $14 + $15}' "/proc/$pid/stat")
  sleep "$seconds"
  after=$(awk '{print $14 + $15}' "/proc/$pid/stat")
  echo "server: $(cat "$work/home/logs/status0.txt")"
  echo "CPU time over $seconds s idle: $(( (after - before) * 1000 / $(getconf CLK_TCK) )) ms"
  kill "$pid"
  wait "$pid"
}
export -f measure
export work seconds
dbus-run-session -- bash -c measure
