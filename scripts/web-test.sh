#!/usr/bin/env bash
# The web page in a real browser: builds the site (scripts/web.sh), then
# plays it in Debian's Chromium, headless, through web/test/site.test.mjs
# (node's test runner driving playwright-core) against a static server on
# 127.0.0.1. Screenshots of both pages go to build-web/screenshots/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/packages.sh"
bash "$root/scripts/setup.sh" "${WEB_TEST_PACKAGES[@]}"
bash "$root/scripts/web.sh"
cd "$root/web"
ZUMBRIK_SITE="${ZUMBRIK_WEB_BUILD_DIR:-$root/build-web}/site" \
ZUMBRIK_SCREENSHOTS="${ZUMBRIK_WEB_BUILD_DIR:-$root/build-web}/screenshots" \
  node --test test/site.test.mjs
