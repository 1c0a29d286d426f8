#!/bin/sh
# makensis for 64-bit Unicode installers: the target is set before the script CPack wrote.
exec makensis "-XTarget amd64-unicode" "$@"
