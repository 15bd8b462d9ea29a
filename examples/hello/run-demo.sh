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

echo "\$ build/demo/hello/hello first 'second argument'"
set +e
"$app/hello" first 'second argument'
code=$?
set -e
echo "(exit code $code)"
if [ "$code" != 0 ]; then
    echo
    echo "This launcher does not yet start a virtual machine: with no runtime found it"
    echo "ends with -1 (255). Without its settings file it reports why:"
    rm "$app/hello.ini"
    echo "\$ build/demo/hello/hello"
    "$app/hello" || echo "(exit code $?)"
fi
