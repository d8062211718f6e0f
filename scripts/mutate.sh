#!/usr/bin/env bash
# Mutation score of the player's tests (not in CI: an hour or more for the default sample of
# about 300 mutants on two cores, more the first time, when it builds its two folders; far
# longer with --sample 0, every mutant).
# Needs python3, ninja, ccache, lld and the build packages (scripts/packages.sh).
# Usage: scripts/mutate.sh [--root SOURCE_TREE] [--sample N | --sample 0 for every mutant]
#                          [--seed S] [--list] [--build DIR] [--recheck EARLIER_RESULTS.jsonl]
#                          [--results FILE] [--no-sanitizer]
# The build folder (default SOURCE_TREE/build-mutate) is a Debug build of its own with a
# ccache of its own, so mutants never reach the shared cache; survivors run again in
# BUILD-asan, built with the address and undefined-behaviour sanitizers.
set -euo pipefail
exec nice python3 "$(dirname "$0")/mutate.py" "$@"
