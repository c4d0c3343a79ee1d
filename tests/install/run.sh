#!/usr/bin/env bash
# Installs the built tree into a scratch prefix, then builds and runs a program
# outside the tree twice: through find_package(VarnControls) and through pkg-config,
# and a GoogleTest of a form through the installed harness (Varn::testing).
set -euo pipefail
build_dir=$1
here=$(cd "$(dirname "$0")" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

cmake --install "$build_dir" --prefix "$scratch/prefix" >/dev/null

cmake -S "$here" -B "$scratch/cmake-build" -DCMAKE_PREFIX_PATH="$scratch/prefix" >/dev/null
cmake --build "$scratch/cmake-build" >/dev/null
echo "find_package: $("$scratch/cmake-build/consumer")"
"$scratch/cmake-build/consumer_formtest" --gtest_brief=1

export PKG_CONFIG_PATH="$scratch/prefix/lib/pkgconfig:$scratch/prefix/lib/x86_64-linux-gnu/pkgconfig"
# shellcheck disable=SC2046
c++ -std=c++20 "$here/consumer.cpp" -o "$scratch/consumer-pc" $(pkg-config --cflags --libs varncontrols)
echo "pkg-config: $("$scratch/consumer-pc")"
