#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer in
# build-asan/ and runs the whole suite there. Extra arguments go to cmake.
exec bash "$(dirname "$0")/test_variant.sh" asan 600 -DQOR_SANITIZE=ON "$@"
