# Orvane's Homebrew cask. scripts/macos-release.sh renders it for each release (through
# scripts/render-cask.sh), filling in each placeholder; the rendered copy goes into the tap.
cask "orvane" do
  version "@VERSION@"
  sha256 "@SHA256@"

  url "@DOWNLOAD_PREFIX@Orvane-#{version}.zip"
  name "Orvane"
  desc "Menu-bar utility that lets the GPU wire more unified memory"
  homepage "@HOMEPAGE@"

  livecheck do
    url "@FEED_URL@"
    strategy :sparkle
  end

  auto_updates true
  depends_on arch: :arm64
  depends_on macos: ">= :sequoia"

  app "Orvane.app"
  binary "#{appdir}/Orvane.app/@CLI_PATH@"

  # Orvane withdraws its own daemon registration (the app's executable, as the password-free
  # switch does), then quits; Homebrew removes the login item of the app it installed.
  uninstall early_script: {
              executable:   "#{appdir}/Orvane.app/@APP_EXECUTABLE@",
              args:         ["helper", "off"],
              must_succeed: false,
            },
            quit:         "@BUNDLE_ID@",
            login_item:   "Orvane"

  zap trash: [
    "~/Library/Caches/@BUNDLE_ID@",
    "~/Library/HTTPStorages/@BUNDLE_ID@",
    "~/Library/HTTPStorages/@BUNDLE_ID@.binarycookies",
    "~/Library/Preferences/@BUNDLE_ID@.plist",
  ]
end
