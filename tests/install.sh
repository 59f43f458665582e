#!/bin/sh
# Installs the build into a temporary prefix and runs the installed program from another folder, in
# a home of its own: it must find its module, its shipped styles and its libraries by itself.
#   install.sh BUILD-DIR IMAGE
set -eu
build=$1
image=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
mkdir -p "$work/home" "$work/elsewhere"
cd "$work/elsewhere"
run() {
    env -i HOME="$work/home" PATH=/usr/bin:/bin "$prefix/bin/relight" "$@"
}
fail() {
    echo "install test: $*" >&2
    exit 1
}

[ "$(run --version)" = "$(run -V)" ] || fail "--version and -V differ"
run --version | grep -Eqx 'relight [0-9]+\.[0-9]+\.[0-9]+' || fail "no version: $(run --version)"
head -n 1 "$prefix/share/man/man1/relight.1" | grep -q '^\.TH RELIGHT 1 ' || fail "no manual page"
grep -q 'complete .* relight$' "$prefix/share/bash-completion/completions/relight" || fail "no completion"
run about | grep -qx "plug-in: $prefix/bin/../lib/relight/relight-lighting.so" || fail "module not found beside the program"
cp "$image" photo.png
run apply photo.png -o lit.png --style Night --quiet || fail "apply --style Night failed"
[ -s lit.png ] && ! cmp -s photo.png lit.png || fail "no lit image"
[ -f "$work/home/.local/share/relight/Lighting Styles/Night" ] || fail "the style folder was not seeded"
