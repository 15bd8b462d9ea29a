#!/usr/bin/env bash
# Lays out the sample application as a user ships it (the launcher renamed to
# hello, hello.ini beside it, the classes below) and starts it.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
app="$root/build/demo/hello"
rm -rf "$app" && mkdir -p "$app/classes"
cp "$root/build/linux/bin/embark" "$app/hello"
cp "$root/examples/hello/hello.ini" "$app/hello.ini"
javac -d "$app/classes" "$root/examples/hello/Hello.java"

cd "$app"
echo "\$ cd build/demo/hello && ./hello first 'second argument'"
set +e
./hello first 'second argument'
code=$?
set -e
echo "(exit code $code)"
exit "$code"
