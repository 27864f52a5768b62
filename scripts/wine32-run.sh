#!/usr/bin/env bash
# Runs one Windows program of the i686 build under the 32-bit rig's prefix (the i686 tree's
# ctest emulator). A GoogleTest filter given as an argument also leaves out the cases that the
# 32-bit rig leaves out (GTEST_FILTER, "-Case:Case", from scripts/run-tests-i686.sh), since the
# argument overrides the variable.
source "$(dirname "${BASH_SOURCE[0]}")/lib/wine32-env.sh"
arguments=()
for argument in "$@"; do
  if [ -n "${GTEST_FILTER:-}" ] && [[ $argument == --gtest_filter=* ]]; then
    # Judged on the value: the option's own name has dashes too.
    case ${argument#--gtest_filter=} in
      *-*) argument+=":${GTEST_FILTER#-}" ;;
      *) argument+="$GTEST_FILTER" ;;
    esac
  fi
  arguments+=("$argument")
done
wine32 "${arguments[@]}"
