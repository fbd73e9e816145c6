#!/usr/bin/env bash
# Makes a release of Orvane on a Mac: what users download, what Sparkle updates from, and the
# Homebrew cask.
#
#   scripts/macos-release.sh --notary-profile PROFILE --notes FILE [options]
#
# Needs: an Apple-silicon Mac with the Xcode command-line tools and Homebrew's qt, ninja and
# googletest (README.md, "Building on a Mac"); a Developer ID Application certificate of the team
# both programs require, in the keychain; a notarytool profile, made once with
# `xcrun notarytool store-credentials PROFILE`; and Sparkle's EdDSA key pair: the private key in
# the keychain (Sparkle's generate_keys puts it there) or in a file outside this repository, the
# public key in the build (ORVANE_SPARKLE_PUBLIC_ED_KEY, or --public-key). The private key is
# handed to Sparkle's tools and never printed.
#
#   --notary-profile PROFILE  the notarytool keychain profile (required)
#   --notes FILE              the release notes, HTML (.html) or Markdown (.md) (required)
#   --public-key KEY          SUPublicEDKey for this build, as generate_keys printed it
#   --ed-key-file FILE        the EdDSA private key, exported by generate_keys -x (else keychain)
#   --ed-key-account NAME     its keychain account (default ed25519)
#   --identity NAME           the signing certificate (default: the build's, Developer ID Application)
#   --release-dir DIR         where the release goes (default build/release); keep it from one
#                             release to the next: DIR/updates holds the published archives and
#                             appcast.xml, which keeps its older entries
#   --allow-dirty             release from a work tree with uncommitted changes (trial runs)
#
# Steps: a clean build of the macos preset in build/macos-release with ORVANE_RELEASE=ON (which
# refuses the placeholder update key), and its tests; scripts/check-min-macos.sh over the bundle;
# scripts/macos-sign.sh; notarization (notarytool submit --wait; anything but Accepted fails,
# and the submission's log is printed either way) and stapling. It writes:
#   DIR/updates/Orvane-VERSION.zip  the stapled app (ditto), for Sparkle and Homebrew
#   DIR/Orvane-VERSION.dmg          the app beside an /Applications link; signed, notarized, stapled
#   DIR/updates/appcast.xml         Sparkle's generate_appcast: the feed signed, the notes embedded
#   DIR/orvane.rb                   the Homebrew cask with this version and the zip's sha256
set -euo pipefail

source_dir=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=scripts/bundle-paths.sh
. "$source_dir/scripts/bundle-paths.sh"

fail() {
  echo "macos-release: $*" >&2
  exit 1
}
# A file given by path is taken only when it is one, not a link to one.
regular_file() { [ -f "$1" ] && [ ! -L "$1" ]; }

notary_profile=""
notes=""
public_key=""
ed_key_file=""
ed_key_account="ed25519"
identity=""
release_dir="$source_dir/build/release"
allow_dirty=false
while [ $# -gt 0 ]; do
  case "$1" in
    --notary-profile) notary_profile="${2:?$1 needs a value}"; shift 2 ;;
    --notes) notes="${2:?$1 needs a value}"; shift 2 ;;
    --public-key) public_key="${2:?$1 needs a value}"; shift 2 ;;
    --ed-key-file) ed_key_file="${2:?$1 needs a value}"; shift 2 ;;
    --ed-key-account) ed_key_account="${2:?$1 needs a value}"; shift 2 ;;
    --identity) identity="${2:?$1 needs a value}"; shift 2 ;;
    --release-dir) release_dir="${2:?$1 needs a value}"; shift 2 ;;
    --allow-dirty) allow_dirty=true; shift ;;
    -h|--help) awk 'NR > 1 && !/^#/ { exit } NR > 1 { sub(/^# ?/, ""); print }' "$0"; exit 0 ;;
    *) echo "macos-release: unknown argument $1 (see --help)" >&2; exit 2 ;;
  esac
done

# --- what must hold before anything is built ------------------------------------------------------
[ "$(uname -s) $(uname -m)" = "Darwin arm64" ] || fail "this runs on an Apple-silicon Mac"
[ -n "$notary_profile" ] || fail "--notary-profile is required (see --help)"
[ -n "$notes" ] || fail "--notes is required: the release notes the appcast carries"
regular_file "$notes" || fail "$notes is not a regular file"
case "$notes" in
  *.html) notes_type=html ;;
  *.md) notes_type=md ;;
  *) fail "$notes: release notes are .html or .md" ;;
esac
for tool in xcrun ditto hdiutil codesign plutil xmllint shasum ruby cmake ctest git; do
  command -v "$tool" > /dev/null || fail "$tool is missing"
done
if [ -n "$ed_key_file" ]; then
  regular_file "$ed_key_file" || fail "$ed_key_file is not a regular file"
  key_dir=$(cd "$(dirname "$ed_key_file")" && pwd -P)
  case "$key_dir/" in
    "$source_dir"/*) fail "the private key must live outside the repository, not in $key_dir" ;;
  esac
  case "$(stat -f %Lp "$ed_key_file")" in
    *00) ;;
    *) echo "macos-release: warning: others can read $ed_key_file (chmod 600 it)" >&2 ;;
  esac
  key_arguments=(--ed-key-file "$ed_key_file")
else
  key_arguments=(--account "$ed_key_account")
fi
if [ "$allow_dirty" = false ] && [ -n "$(git -C "$source_dir" status --porcelain)" ]; then
  fail "the work tree has uncommitted changes: commit them, or pass --allow-dirty for a trial"
fi

build="$source_dir/build/macos-release"
work="$build/release-work"
mkdir -p "$release_dir/updates"
release_dir=$(cd "$release_dir" && pwd -P)
updates="$release_dir/updates"
version=$(sed -n 's/^project(Orvane VERSION \([0-9.]*\) .*/\1/p' "$source_dir/CMakeLists.txt")
[ -n "$version" ] || fail "CMakeLists.txt names no project version"
zip="$updates/Orvane-$version.zip"
dmg="$release_dir/Orvane-$version.dmg"
[ ! -e "$zip" ] ||
  fail "$zip exists: a published version is never made again (remove it only if it never left this Mac)"

# --- build, test, check the minimum system, sign ---------------------------------------------------
configure=(-DORVANE_RELEASE=ON)
[ -z "$public_key" ] || configure+=("-DORVANE_SPARKLE_PUBLIC_ED_KEY=$public_key")
[ -z "$identity" ] || configure+=("-DORVANE_SIGNING_IDENTITY=$identity")
rm -rf "$build"
cmake --preset macos -B "$build" "${configure[@]}"
cmake --build "$build"
ctest --test-dir "$build" --output-on-failure --timeout 300

app="$build/Orvane.app"
info="$app/Contents/Info.plist"
plist_value() { plutil -extract "$1" raw -o - "$info"; }
[ "$(plist_value CFBundleShortVersionString)" = "$version" ] || fail "the bundle is not version $version"
feed=$(plist_value SUFeedURL)
[ -x "$app/$orvane_cli_path" ] || fail "no command-line tool at $orvane_cli_path in the bundle"

"$source_dir/scripts/check-min-macos.sh" "$app"
"$source_dir/scripts/macos-sign.sh" "$build"
identity=$(sed -n 's/^ORVANE_SIGNING_IDENTITY:[A-Z]*=//p' "$build/CMakeCache.txt" | head -n 1)
tools=$(sed -n 's/^ORVANE_SPARKLE_TOOLS_DIR:[A-Z]*=//p' "$build/CMakeCache.txt" | head -n 1)
for tool in generate_appcast sign_update; do
  [ -x "$tools/$tool" ] || fail "Sparkle's $tool is not in '$tools'"
done

# --- notarization ----------------------------------------------------------------------------------
# --wait alone ends with status 0 on an Invalid submission: the status is read from the result.
notarize() {
  local file="$1" result id status
  result="$work/notary-$(basename "$file").json"
  echo "Notarizing $(basename "$file"); Apple's service usually answers within minutes"
  xcrun notarytool submit "$file" --keychain-profile "$notary_profile" --wait --timeout 2h \
    --output-format json > "$result" || { cat "$result" >&2; fail "notarytool submit failed"; }
  id=$(plutil -extract id raw -o - "$result") || { cat "$result" >&2; fail "no submission id"; }
  status=$(plutil -extract status raw -o - "$result") || status="unknown"
  xcrun notarytool log "$id" --keychain-profile "$notary_profile" ||
    echo "macos-release: the log of submission $id could not be fetched" >&2
  [ "$status" = Accepted ] || fail "$(basename "$file"): notarization ended '$status', not Accepted"
}

rm -rf "$work"
mkdir -p "$work"
ditto -c -k --sequesterRsrc --keepParent "$app" "$work/Orvane-notarize.zip"
notarize "$work/Orvane-notarize.zip"
xcrun stapler staple "$app"
xcrun stapler validate "$app"
spctl --assess --type execute --verbose=2 "$app"

# --- the downloads ---------------------------------------------------------------------------------
ditto -c -k --sequesterRsrc --keepParent "$app" "$work/Orvane-$version.zip"

stage="$work/disk-image"
mkdir -p "$stage"
ditto "$app" "$stage/Orvane.app"
ln -s /Applications "$stage/Applications"
rm -f "$dmg"
hdiutil create -volname "Orvane $version" -srcfolder "$stage" -fs HFS+ -format UDZO "$dmg"
codesign --force --sign "$identity" --timestamp "$dmg"
codesign --verify --strict --verbose=2 "$dmg"
notarize "$dmg"
xcrun stapler staple "$dmg"
xcrun stapler validate "$dmg"
spctl --assess --type open --context context:primary-signature --verbose=2 "$dmg"

# --- the appcast -----------------------------------------------------------------------------------
# The updates folder is what gets published: should anything below fail, it is left as it was, so
# that the same version can be made again.
appcast="$updates/appcast.xml"
added=("$zip" "$updates/Orvane-$version.$notes_type")
finished=false
restore_updates() {
  [ "$finished" = false ] || return 0
  rm -f "${added[@]}"
  if [ -f "$work/appcast.xml" ]; then cp "$work/appcast.xml" "$appcast"; else rm -f "$appcast"; fi
}
[ ! -f "$appcast" ] || cp "$appcast" "$work/appcast.xml"
trap restore_updates EXIT
cp "$work/Orvane-$version.zip" "$zip"
cp "$notes" "$updates/Orvane-$version.$notes_type"

# generate_appcast signs an archive only when the app's SUPublicEDKey belongs to the private key
# (otherwise it merely warns): the archive's signature in the feed is the proof that it does.
"$tools/generate_appcast" "${key_arguments[@]}" --download-url-prefix "${feed%/*}/" \
  --embed-release-notes "$updates"
[ -f "$appcast" ] || fail "generate_appcast wrote no appcast.xml"
item="//item[enclosure[substring(@url, string-length(@url) - string-length('Orvane-$version.zip') + 1) = 'Orvane-$version.zip']]"
signature=$(xmllint --xpath "string($item/enclosure/@*[local-name()='edSignature'])" "$appcast")
[ -n "$signature" ] ||
  fail "the appcast's Orvane-$version.zip carries no signature: the private key does not match SUPublicEDKey"
[ -n "$(xmllint --xpath "string($item/description)" "$appcast")" ] ||
  fail "the appcast's item for $version carries no release notes"
grep -q '<!-- sparkle-signatures:' "$appcast" || fail "appcast.xml is not signed"
"$tools/sign_update" --verify "${key_arguments[@]}" "$appcast"
"$tools/sign_update" --verify "${key_arguments[@]}" "$zip" "$signature"

# --- the cask ----------------------------------------------------------------------------------------
sha256=$(shasum -a 256 "$zip" | cut -d ' ' -f 1)
"$source_dir/scripts/render-cask.sh" "$version" "$sha256" "$feed" > "$release_dir/orvane.rb"
ruby -c "$release_dir/orvane.rb" > /dev/null
finished=true

cat <<DONE

Orvane $version is ready in $release_dir:
  Orvane-$version.dmg        for the download page
  updates/                     upload all of it beside $feed (appcast.xml last)
  orvane.rb                    for the Homebrew tap (Casks/orvane.rb)
DONE
