// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Opening outside documents and web pages with whatever the desktop uses for them.

#include <string>

namespace gw::platform {

class Shell {
 public:
  virtual ~Shell() = default;
  // A file of the game folder, relative to the current folder, as a file address.
  virtual void OpenFile(const std::string& path) = 0;
  virtual void OpenUrl(const std::string& url) = 0;
};

}  // namespace gw::platform
