#!/usr/bin/env bash
# A vendor's start, from the development package's files alone: stages the install component "dev"
# of the build folder, copies the template plug-in's source out of the stage, configures and builds
# it with -Werror against the staged header (pkg-config sees only the stage, so nothing of the
# source tree can stand in), and runs the staged velmora-plugin-check on the library: every check
# must pass.
#   template_build.sh BUILD_DIR LIBDIR TEMPLATE_DIR C_COMPILER [C_FLAGS]
# C_FLAGS are added to the template's build: an instrumented build passes its sanitizer flags, so
# that the sanitized checker loads a template compiled like the project's own plug-ins.
set -euo pipefail
build=$1 libdir=$2 template_dir=$3 compiler=$4 flags=${5:-}

tmp=$(mktemp -d /tmp/velmora-template.XXXXXX)
trap 'rm -rf "$tmp"' EXIT
stage=$tmp/stage
DESTDIR=$stage cmake --install "$build" --component dev >"$tmp/install.log" ||
  { cat "$tmp/install.log" >&2; exit 1; }
cp -r "$stage$template_dir" "$tmp/template"

export PKG_CONFIG_LIBDIR=$stage/usr/$libdir/pkgconfig PKG_CONFIG_SYSROOT_DIR=$stage
unset PKG_CONFIG_PATH
cmake -S "$tmp/template" -B "$tmp/build" -G Ninja -DCMAKE_C_COMPILER="$compiler" -DCMAKE_C_FLAGS="-Werror $flags" \
  -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >"$tmp/configure.log" 2>&1 || { cat "$tmp/configure.log" >&2; exit 1; }
cmake --build "$tmp/build" >"$tmp/build.log" 2>&1 || { cat "$tmp/build.log" >&2; exit 1; }
grep -q -- "-[Iisystem ]*$stage/usr/include " "$tmp/build/compile_commands.json" || {
  echo "FAIL: the template was not compiled against the staged header:" >&2
  cat "$tmp/build/compile_commands.json" >&2
  exit 1
}

checker=$stage/usr/bin/velmora-plugin-check
[ -x "$checker" ] || { echo "FAIL: velmora-plugin-check is not in the stage" >&2; exit 1; }
status=0
"$checker" --slow 10 "$tmp/build/libfpx-template.so" || status=$?
[ "$status" -eq 0 ] || { echo "FAIL: velmora-plugin-check exit status $status" >&2; exit 1; }
echo "the template builds from the staged kit and passes velmora-plugin-check"
