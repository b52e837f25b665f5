#!/usr/bin/env bash
# page_renders.sh PAGE: man renders PAGE without a warning of groff or man.
# Skipped (77) where man is not installed.
set -euo pipefail
page=$1
command -v man >/dev/null 2>&1 || { echo "man is not installed"; exit 77; }
warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
if [ -n "$warnings" ]; then
  printf '%s\n' "$warnings"
  exit 1
fi
echo "$(basename "$page"): no warning"
