#!/bin/sh
# Runs one test with its own empty settings store and headless Qt, so that no
# test ever reads or writes the user's settings or needs a display.
dir=$(mktemp -d "${TMPDIR:-/tmp}/vandra-test.XXXXXX") || exit 1
trap 'rm -rf "$dir"' EXIT INT TERM
export HOME="$dir" XDG_CONFIG_HOME="$dir/config" XDG_RUNTIME_DIR="$dir/runtime"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}" QT_QUICK_BACKEND="${QT_QUICK_BACKEND:-software}"
cd "$dir" || exit 1
"$@"
