#!/bin/sh
# Runs browser_test.js with node, or says in one line why it cannot (exit status 77, which CTest
# counts as skipped; with SPRITEBAKE_REQUIRE_BROWSER=1 a missing node fails instead).
node=$(command -v node || true)
if [ -z "$node" ]; then
  if [ "${SPRITEBAKE_REQUIRE_BROWSER:-}" = 1 ]; then
    echo "browser test failed: node is missing (SPRITEBAKE_REQUIRE_BROWSER=1)"
    exit 1
  fi
  echo "browser test skipped: node is missing"
  exit 77
fi
exec "$node" "$(dirname "$0")/browser_test.js" "$@"
