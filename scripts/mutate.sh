#!/usr/bin/env bash
# Mutation score of the player's tests (not in CI: an hour or more on two cores).
# Needs python3, ninja, ccache, lld and the build packages (scripts/packages.sh).
# Usage: scripts/mutate.sh [--root SOURCE_TREE] [--sample N | --sample 0 for every mutant]
#                          [--seed S] [--list] [--build DIR]
# The build folder (default SOURCE_TREE/build-mutate) is a Debug build of its
# own with a ccache of its own, so mutants never reach the shared cache.
set -euo pipefail
exec nice python3 "$(dirname "$0")/mutate.py" "$@"
