// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/PlayerFolder.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/GameFolder.h"

namespace gw::platform {

namespace {

// The home folder the password database gives the user running the game; empty when it gives none.
std::string AccountHome() {
  const long suggested = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(suggested > 0 ? static_cast<std::size_t>(suggested) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found || !found->pw_dir) {
    return {};
  }
  return found->pw_dir;
}

}  // namespace

// A game started with a bare environment (a service, `env -i`) still has a user, and so a home.
std::filesystem::path PlayerFolder() {
  const std::filesystem::path named = app::PlayerFolder(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
  if (!named.empty()) return named;
  const std::string home = AccountHome();
  return app::PlayerFolder(nullptr, home.c_str());
}

}  // namespace gw::platform
