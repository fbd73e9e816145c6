#pragma once

#include <filesystem>
#include <memory>

#include "platform/CorePlatform.h"
#include "platform/ports/AdminRunner.h"
#include "platform/ports/ServiceManager.h"
#include "platform/ports/StatusItem.h"
#include "platform/ports/Updater.h"

// The application's ports beyond those of platform/CorePlatform.h: the ones with windows of their
// own, or the system's user interface. Same rules: one set per platform, each built once on first
// use, main thread only.
namespace orvane::platform {

ServiceManager& serviceManager();
AdminRunner& adminRunner();

std::unique_ptr<StatusItem> makeStatusItem();
std::unique_ptr<Updater> makeUpdater();

// Where the running application answers a later start (a local socket): a folder of the user's
// own, never a shared one such as /tmp; empty when there is none.
std::filesystem::path instanceSocketPath();

// No Dock icon and no menus (an accessory application); bring it to the front.
void makeAccessory();
void activateApplication();
void terminate();

} // namespace orvane::platform
