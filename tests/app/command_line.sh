#!/bin/sh
# command_line.sh ZELTO VERSION: the command line's answers that open no window. Help and version
# need no display at all; an unknown option is refused with status 2 before any window opens.
set -eu
zelto="$1"
version="$2"
nodisplay() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@"; }

help="$(nodisplay "$zelto" --help)"
echo "$help" | grep -q '^Использование: zelto '
echo "$help" | grep -q -- '--version'
[ "$(nodisplay "$zelto" -h)" = "$help" ]
# Help wins over the rest of the line, Qt's options and unknown ones included.
[ "$(nodisplay "$zelto" -platform offscreen --bogus --help)" = "$help" ]
[ "$(nodisplay "$zelto" --version)" = "zelto $version" ]
[ "$(nodisplay "$zelto" some-file -v)" = "zelto $version" ]

status=0
err="$(QT_QPA_PLATFORM=offscreen "$zelto" --bogus 2>&1 >/dev/null)" || status=$?
[ "$status" -eq 2 ]
echo "$err" | grep -q 'неизвестный параметр «--bogus»'
echo "command line: all answers as expected"
