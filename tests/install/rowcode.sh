#!/usr/bin/env bash
# Installs the built tree into a scratch prefix, generates the row class of a grid
# with a column of every type with the installed varn-rowcode, compiles a program
# that uses it against the installed headers and libraries, and runs it.
#   rowcode.sh BUILD-DIR C++-COMPILER
set -euo pipefail
build_dir=$1
cxx=$2
here=$(cd "$(dirname "$0")" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

cmake --install "$build_dir" --prefix "$scratch/prefix" >/dev/null

"$scratch/prefix/bin/varn-rowcode" "$here/EveryType.form" every >"$scratch/every_dataRow.h"
cat "$scratch/every_dataRow.h"
# A grid without columns gives a class without members that compiles too.
printf 'object none: TVarnGrid\nend\n' >"$scratch/none.form"
"$scratch/prefix/bin/varn-rowcode" "$scratch/none.form" none >"$scratch/none_dataRow.h"

export PKG_CONFIG_PATH="$scratch/prefix/lib/pkgconfig:$scratch/prefix/lib/x86_64-linux-gnu/pkgconfig"
# shellcheck disable=SC2046
"$cxx" -std=c++20 -Wall -Wextra -Werror -I"$scratch" "$here/rowcode_consumer.cpp" -o "$scratch/rowcode-consumer" \
  $(pkg-config --cflags --libs varncontrols)
"$scratch/rowcode-consumer" "$here/EveryType.form"
