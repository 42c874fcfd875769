#!/usr/bin/env bash
# Builds everything against LuaJIT in build-luajit/ and runs the whole suite
# there. Extra arguments go to cmake.
exec bash "$(dirname "$0")/test_variant.sh" luajit 300 -DQOR_LUA=luajit "$@"
