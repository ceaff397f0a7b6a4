#!/usr/bin/env bash
# Installs what is missing, builds, and starts sonvik+ in the demo samples folder.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
cd samples
exec ../"${BUILD_DIR:-build}"/sonvik
