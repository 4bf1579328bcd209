#!/usr/bin/env bash
# Runs a Windows program under Wine as if it were a Linux one: Windows' CRLF line ends become LF, and its
# exit code is kept. usage: wine_run.sh PROGRAM.exe ARGS...
set -o pipefail
wine "$@" | tr -d '\r'
