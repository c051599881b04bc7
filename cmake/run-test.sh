#!/usr/bin/env bash
# run-test.sh [--xvfb DISPLAY_NUMBER] TEST [ARGS...]
# Runs one test in a fresh private home (HOME, XDG folders, runtime folder), removed afterwards, so tests
# never see the user's settings, documents or sockets, nor each other's.
set -u
tmp=$(mktemp -d "${TMPDIR:-/tmp}/lumidesk-test.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
export HOME=$tmp/home
export XDG_CONFIG_HOME=$HOME/.config XDG_DATA_HOME=$HOME/.local/share XDG_CACHE_HOME=$HOME/.cache
export XDG_RUNTIME_DIR=$tmp/run
export TMPDIR=$tmp
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$HOME/Documents"
mkdir -m 700 "$XDG_RUNTIME_DIR"
if [ "${1:-}" = "--xvfb" ]; then
    display=$2; shift 2
    xvfb-run --server-num="$display" --server-args="-screen 0 1920x1080x24 -nolisten tcp" "$@"
else
    "$@"
fi
