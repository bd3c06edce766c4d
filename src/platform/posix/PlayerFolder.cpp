// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/PlayerFolder.h"

#include <cstdlib>

#include "app/GameFolder.h"

namespace gw::platform {

std::filesystem::path PlayerFolder() { return app::PlayerFolder(std::getenv("XDG_DATA_HOME"), std::getenv("HOME")); }

}  // namespace gw::platform
