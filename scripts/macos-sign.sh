#!/usr/bin/env bash
# Signs Orvane.app for distribution outside the App Store and, when asked, notarizes it.
#
#   scripts/macos-sign.sh [--notarize PROFILE] [BUILD_DIR]
#
# BUILD_DIR (default build/macos) holds Orvane.app and the CMake cache whose
# ORVANE_SIGNING_IDENTITY names the certificate and ORVANE_TEAM_IDENTIFIER its team. PROFILE is a
# notarytool keychain profile, made once with `xcrun notarytool store-credentials PROFILE`.
#
# Code is signed before whatever contains it, each piece with the hardened runtime and a secure
# timestamp. --deep is never used for signing: it would give nested code the options meant for
# its container. Afterwards the programs are checked against the very requirements each side
# places on the other (the daemon on the application and orvane, they on the daemon), so a wrong
# certificate or identifier shows here, not as a helper that never answers.
set -euo pipefail

notary_profile=""
build_dir=""
while [ $# -gt 0 ]; do
  case "$1" in
    --notarize) notary_profile="${2:?--notarize needs a notarytool keychain profile}"; shift 2 ;;
    -h|--help) sed -n '2,14p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    -*) echo "unknown option $1" >&2; exit 2 ;;
    *) build_dir="$1"; shift ;;
  esac
done
build_dir="${build_dir:-build/macos}"
app="$build_dir/Orvane.app"
cache="$build_dir/CMakeCache.txt"
files="$build_dir/bundle-files"
if [ ! -d "$app" ] || [ ! -f "$cache" ]; then
  echo "No Orvane.app in $build_dir: build it first." >&2
  exit 1
fi

cache_value() { sed -n "s/^$1:[A-Z]*=//p" "$cache" | head -n 1; }
identity="$(cache_value ORVANE_SIGNING_IDENTITY)"
team="$(cache_value ORVANE_TEAM_IDENTIFIER)"
if [ -z "$identity" ] || [ -z "$team" ]; then
  echo "$cache names no signing identity or team." >&2
  exit 1
fi

sign() { /usr/bin/codesign --force --sign "$identity" --options runtime --timestamp "$@"; }

echo "Signing $app as \"$identity\" (team $team)"

# Qt, as macdeployqt placed it: plug-ins, then frameworks and loose libraries.
if [ -d "$app/Contents/PlugIns" ]; then
  find "$app/Contents/PlugIns" -type f -name '*.dylib' -print0 |
    while IFS= read -r -d '' library; do sign "$library"; done
fi
find "$app/Contents/Frameworks" -maxdepth 1 -type f -name '*.dylib' -print0 |
  while IFS= read -r -d '' library; do sign "$library"; done
for framework in "$app"/Contents/Frameworks/*.framework; do
  [ "$(basename "$framework")" = Sparkle.framework ] || sign "$framework"
done

# Sparkle, innermost first, in the order its documentation gives for signing outside Xcode. The
# downloader service keeps the entitlements Sparkle gave it.
sparkle="$app/Contents/Frameworks/Sparkle.framework"
version="$sparkle/Versions/$(readlink "$sparkle/Versions/Current")"
sign "$version/XPCServices/Installer.xpc"
if [ -e "$version/XPCServices/Downloader.xpc" ]; then
  sign --preserve-metadata=entitlements "$version/XPCServices/Downloader.xpc"
fi
sign "$version/Autoupdate"
sign "$version/Updater.app"
sign "$sparkle"

# The daemon and the command line, without entitlements, each under the identifier that the
# information list linked into it gives and the other side's requirement names: said explicitly,
# since a bare executable outside Contents/MacOS would otherwise be named after its file. Then the
# application, which seals everything above.
identifier() { /usr/libexec/PlistBuddy -c 'Print :CFBundleIdentifier' "$files/$1"; }
cli="$app/Contents/Helpers/orvane"
sign -i "$(identifier OrvaneHelper-Info.plist)" "$app/Contents/MacOS/OrvaneHelper"
sign -i "$(identifier orvane-Info.plist)" "$cli"
sign "$app"

/usr/bin/codesign --verify --strict --deep --verbose=2 "$app"
actual_team="$(/usr/bin/codesign --display --verbose=2 "$app" 2>&1 | sed -n 's/^TeamIdentifier=//p')"
if [ "$actual_team" != "$team" ]; then
  echo "Signed by team '$actual_team', but both programs require team $team." >&2
  exit 1
fi
/usr/bin/codesign --verify --strict -R "=$(cat "$files/OrvaneHelper.requirement")" \
  "$app/Contents/MacOS/OrvaneHelper"
/usr/bin/codesign --verify --strict -R "=$(cat "$files/Orvane.requirement")" "$app"
/usr/bin/codesign --verify --strict -R "=$(cat "$files/Orvane.requirement")" "$cli"
echo "Signed; each program meets the requirement the other side places on it."

[ -n "$notary_profile" ] || exit 0

# --wait alone ends with status 0 on an Invalid submission: the status is read from the result.
archive="$build_dir/Orvane-notarization.zip"
result="$build_dir/Orvane-notarization.json"
/usr/bin/ditto -c -k --keepParent "$app" "$archive"
xcrun notarytool submit "$archive" --keychain-profile "$notary_profile" --wait --timeout 2h \
  --output-format json > "$result" || { cat "$result" >&2; rm -f "$archive"; exit 1; }
rm -f "$archive"
id=$(plutil -extract id raw -o - "$result")
status=$(plutil -extract status raw -o - "$result") || status="unknown"
xcrun notarytool log "$id" --keychain-profile "$notary_profile" ||
  echo "macos-sign: the log of submission $id could not be fetched" >&2
if [ "$status" != Accepted ]; then
  echo "macos-sign: notarization ended '$status', not Accepted" >&2
  exit 1
fi
xcrun stapler staple "$app"
/usr/sbin/spctl --assess --type execute --verbose=2 "$app"
