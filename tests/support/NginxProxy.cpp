// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/NginxProxy.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <vector>

#include "support/LoopbackServer.h"

extern char** environ;

namespace gw::test {

namespace {

namespace fs = std::filesystem;

constexpr const char* kNginx = "/usr/sbin/nginx";

bool Accepts(std::uint16_t port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(port);
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const bool ok = fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0;
  if (fd >= 0) ::close(fd);
  return ok;
}

}  // namespace

std::string SourceFile(const std::string& relative) {
  std::ifstream file(fs::path(GW_SOURCE_DIR) / relative);
  if (!file) throw std::runtime_error("cannot read " + relative);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
  std::size_t at = text.find(from);
  if (at == std::string::npos) throw std::runtime_error("no '" + from + "' to replace");
  for (; at != std::string::npos; at = text.find(from, at + to.size())) text.replace(at, from.size(), to);
  return text;
}

NginxProxy::NginxProxy(const std::string& site) : port_(ClosedPort()) {
  if (::access(kNginx, X_OK) != 0) throw std::runtime_error("nginx is not installed (apt-get install nginx-light)");
  folder_ = fs::temp_directory_path() / ("gw-nginx-" + std::to_string(std::random_device{}()));
  fs::create_directories(folder_);
  const std::string f = folder_.string();
  {
    // Everything nginx writes stays in the folder; its workers keep the user nginx picks when started as root.
    std::ofstream conf(folder_ / "nginx.conf");
    conf << "daemon off;\nworker_processes 2;\npid " << f << "/nginx.pid;\nerror_log " << f << "/error.log warn;\n"
         << "events { worker_connections 4096; }\nhttp {\n  access_log off;\n"
         << "  client_body_temp_path " << f << "/body;\n  proxy_temp_path " << f << "/proxy;\n"
         << "  fastcgi_temp_path " << f << "/fastcgi;\n  uwsgi_temp_path " << f << "/uwsgi;\n"
         << "  scgi_temp_path " << f << "/scgi;\n"
         << ReplaceAll(site, "@PORT@", std::to_string(port_)) << "\n}\n";
  }
  std::vector<std::string> args = {kNginx, "-p", f, "-c", f + "/nginx.conf", "-e", f + "/error.log"};
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  if (posix_spawn(&pid_, kNginx, nullptr, nullptr, argv.data(), environ) != 0) {
    pid_ = -1;
    throw std::runtime_error("cannot start nginx");
  }
  for (int i = 0; i < 100; ++i) {
    if (Accepts(port_)) return;
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      throw std::runtime_error("nginx ended: " + ErrorLog());
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  const std::string log = ErrorLog();
  Stop();
  throw std::runtime_error("nginx does not listen: " + log);
}

NginxProxy::~NginxProxy() { Stop(); }

void NginxProxy::Stop() {
  if (pid_ > 0) {
    // The fast stop; the master takes its workers with it.
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
  }
  std::error_code ec;
  fs::remove_all(folder_, ec);
}

std::string NginxProxy::ErrorLog() const {
  std::ifstream file(folder_ / "error.log");
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

}  // namespace gw::test
