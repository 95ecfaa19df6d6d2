#!/usr/bin/env bash
# Builds the entry store and the window's logic with the toolkit out of reach.
# Usage: build_test.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source_dir=$1
build_dir=$2/no_toolkit
cmake -S "$source_dir/tests/no_toolkit" -B "$build_dir" -DNIMBREL_SOURCE_DIR="$source_dir" >/dev/null
cmake --build "$build_dir" -j "$(nproc)"
