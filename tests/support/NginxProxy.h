// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Debian's nginx, started by the test in a temporary folder with a site configuration of the test's own (on a
// free port of 127.0.0.1), its logs kept in that folder. Stopped and removed at the end.

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <string>

namespace gw::test {

class NginxProxy {
 public:
  // `site` is what goes inside nginx's http block; "@PORT@" in it is replaced by the port nginx listens on.
  // Throws std::runtime_error when nginx is not installed or does not start.
  explicit NginxProxy(const std::string& site);
  ~NginxProxy();
  NginxProxy(const NginxProxy&) = delete;
  NginxProxy& operator=(const NginxProxy&) = delete;

  std::uint16_t Port() const { return port_; }
  std::string ErrorLog() const;

 private:
  void Stop();

  std::filesystem::path folder_;
  std::uint16_t port_ = 0;
  pid_t pid_ = -1;
};

// The text of a file of the source tree, for configurations shipped with the server.
std::string SourceFile(const std::string& relative);

// `text` with every `from` replaced by `to`; throws when there is none, so a changed file is noticed.
std::string ReplaceAll(std::string text, const std::string& from, const std::string& to);

}  // namespace gw::test
