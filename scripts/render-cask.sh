#!/usr/bin/env bash
# Writes Orvane's Homebrew cask for one release to stdout: packaging/homebrew/orvane.rb with its
# placeholders filled in and checked.
#
#   scripts/render-cask.sh VERSION SHA256 FEED_URL
#
# VERSION is the release's (2.3.0) and SHA256 that of its Orvane-VERSION.zip. FEED_URL is the
# appcast's address (SUFeedURL): the archive is downloaded from beside it, the home page is its
# site, and Homebrew's livecheck reads it. The bundle identifier comes from shared/HelperIdentity.h.
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=scripts/bundle-paths.sh
. "$source_dir/scripts/bundle-paths.sh"

fail() { echo "render-cask: $*" >&2; exit 2; }
case "${1:-}" in -h|--help) sed -n '2,9p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;; esac
[ $# -eq 3 ] || fail "usage: render-cask.sh VERSION SHA256 FEED_URL"
version=$1
sha256=$2
feed=$3
# Each value lands inside a Ruby string: only characters that cannot end or escape one.
[[ $version =~ ^[0-9]+(\.[0-9]+){1,3}$ ]] || fail "'$version' is not a version such as 2.3.0"
[[ $sha256 =~ ^[0-9a-f]{64}$ ]] || fail "'$sha256' is not a SHA-256 in lowercase hex"
[[ $feed =~ ^https://[A-Za-z0-9.-]+(/[A-Za-z0-9._~-]+)*/[A-Za-z0-9._~-]+$ ]] ||
  fail "'$feed' is not an https address of a file"
bundle_id=$(sed -n 's/.*appBundleIdentifier = "\([A-Za-z0-9.-]*\)";.*/\1/p' \
  "$source_dir/shared/HelperIdentity.h")
[ -n "$bundle_id" ] || fail "shared/HelperIdentity.h no longer names appBundleIdentifier"
homepage="${feed%"${feed#https://*/}"}"

# The template's own comment, which speaks of rendering, stays behind.
cask=$(sed -e '1,/^cask /{/^#/d;}' -e "s|@VERSION@|$version|g" -e "s|@SHA256@|$sha256|g" -e "s|@FEED_URL@|$feed|g" \
  -e "s|@DOWNLOAD_PREFIX@|${feed%/*}/|g" -e "s|@HOMEPAGE@|$homepage|g" \
  -e "s|@BUNDLE_ID@|$bundle_id|g" -e "s|@APP_EXECUTABLE@|$orvane_app_executable|g" \
  -e "s|@CLI_PATH@|$orvane_cli_path|g" "$source_dir/packaging/homebrew/orvane.rb")
if grep -n '@[A-Z_]*@' <<< "$cask" >&2; then
  fail "placeholders above are left in packaging/homebrew/orvane.rb"
fi
printf '%s\n' "$cask"
