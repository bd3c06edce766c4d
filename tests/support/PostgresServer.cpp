// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/PostgresServer.h"

#include <fcntl.h>
#include <libpq-fe.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <vector>

extern char** environ;

namespace gw::test {

namespace {

namespace fs = std::filesystem;

// The newest installed server's programs (Debian keeps each major version in its own folder).
fs::path FindBin() {
  std::vector<fs::path> found;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator("/usr/lib/postgresql", ec)) {
    if (fs::exists(entry.path() / "bin" / "initdb")) found.push_back(entry.path() / "bin");
  }
  if (found.empty()) throw std::runtime_error("PostgreSQL is not installed (no /usr/lib/postgresql/*/bin/initdb)");
  std::sort(found.begin(), found.end(), [](const fs::path& a, const fs::path& b) {
    return std::stoi(a.parent_path().filename().string()) < std::stoi(b.parent_path().filename().string());
  });
  return found.back();
}

// PostgreSQL will not run as root; as root the cluster belongs to the unprivileged "postgres" user.
const passwd* RunAs() { return geteuid() == 0 ? getpwnam("postgres") : nullptr; }

// Starts a program as the cluster's user, its output appended to `log` when given. setpriv changes the user and
// then becomes the program, so the process is our own child and we reap it ourselves (nobody else may).
pid_t Spawn(std::vector<std::string> args, const fs::path& log = {}) {
  if (const passwd* user = RunAs()) {
    args.insert(args.begin(), {"setpriv", "--reuid=" + std::to_string(user->pw_uid),
                               "--regid=" + std::to_string(user->pw_gid), "--clear-groups", "--"});
  }
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  if (!log.empty()) {
    posix_spawn_file_actions_addopen(&files, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&files, 1, 2);
  }
  pid_t pid = -1;
  const int rc = posix_spawnp(&pid, argv[0], &files, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&files);
  return rc == 0 ? pid : -1;
}

int Wait(pid_t pid) {
  if (pid <= 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int Run(std::vector<std::string> args, const fs::path& log) { return Wait(Spawn(std::move(args), log)); }

void Require(int rc, const std::string& what, const fs::path& log) {
  if (rc == 0) return;
  std::ifstream in(log);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  throw std::runtime_error(what + " failed (" + std::to_string(rc) + "): " + text);
}

// The state letter of a process from /proc/<pid>/stat, 0 when there is none.
char State(pid_t pid, pid_t* parent = nullptr) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (!std::getline(stat, line)) return 0;
  const std::size_t close = line.rfind(')');
  if (close == std::string::npos) return 0;
  char state = 0;
  pid_t up = 0;
  std::istringstream rest(line.substr(close + 1));
  rest >> state >> up;
  if (parent) *parent = up;
  return state;
}

// Killed processes that nobody reaps linger as zombies; gone is gone either way. Bounded, so a test cannot hang.
void WaitGone(pid_t pid) {
  for (int i = 0; i < 1000; ++i) {
    const char state = State(pid);
    if (state == 0 || state == 'Z') return;
    usleep(10'000);
  }
  throw std::runtime_error("process " + std::to_string(pid) + " outlived SIGKILL");
}

}  // namespace

PostgresServer::PostgresServer() : bin_(FindBin()) {
  std::random_device rd;
  folder_ = fs::temp_directory_path() / ("gw-pg-" + std::to_string(rd()));
  data_ = folder_ / "data";
  fs::create_directories(folder_);
  if (const passwd* user = RunAs()) {
    if (chown(folder_.c_str(), user->pw_uid, user->pw_gid) != 0) throw std::runtime_error("cannot give the folder away");
  }
  const fs::path log = folder_ / "initdb.log";
  // --no-sync only spares the new cluster's first flush; the server itself syncs every commit as deployed.
  Require(Run({(bin_ / "initdb").string(), "-D", data_.string(), "-U", "gw", "-A", "trust", "-E", "UTF8", "--locale=C",
               "--no-sync"},
              log),
          "initdb", log);
  std::ofstream(data_ / "postgresql.conf", std::ios::app)
      << "listen_addresses = ''\n"
      << "unix_socket_directories = '" << folder_.string() << "'\n"
      << "max_connections = 200\n"
      << "shared_buffers = 32MB\n";
  Start();
}

PostgresServer::~PostgresServer() {
  Kill();
  std::error_code ec;
  fs::remove_all(folder_, ec);
}

std::string PostgresServer::Uri(const std::string& database) const {
  return "postgresql://gw@/" + database + "?host=" + folder_.string();
}

void PostgresServer::CreateDatabase(const std::string& name) {
  const fs::path log = folder_ / "createdb.log";
  Require(Run({(bin_ / "createdb").string(), "-h", folder_.string(), "-U", "gw", name}, log), "createdb", log);
}

void PostgresServer::Sql(const std::string& database, const std::string& statement) {
  const fs::path file = folder_ / "statement.sql";
  std::ofstream(file) << statement << "\n";
  fs::permissions(file, fs::perms::others_read, fs::perm_options::add);
  const fs::path log = folder_ / "psql.log";
  Require(Run({(bin_ / "psql").string(), "-X", "-q", "-v", "ON_ERROR_STOP=1", "-h", folder_.string(), "-U", "gw", "-d",
               database, "-f", file.string()},
              log),
          "psql", log);
}

void PostgresServer::Start() {
  const fs::path log = folder_ / "server.log";
  postmaster_ = Spawn({(bin_ / "postgres").string(), "-D", data_.string()}, log);
  if (postmaster_ <= 0) throw std::runtime_error("cannot start postgres");
  // Ready when it accepts a connection; bounded, and a server that exits early is reported with its log.
  const std::string conninfo = "host=" + folder_.string() + " user=gw dbname=postgres connect_timeout=2";
  for (int i = 0; i < 600; ++i) {
    if (PQping(conninfo.c_str()) == PQPING_OK) return;
    int status = 0;
    if (waitpid(postmaster_, &status, WNOHANG) == postmaster_) {
      postmaster_ = -1;
      Require(1, "postgres", log);
    }
    usleep(100'000);
  }
  Kill();
  Require(1, "postgres did not become ready in 60 s", log);
}

void PostgresServer::Stop() {
  if (postmaster_ <= 0) return;
  // SIGINT is the fast shutdown: sessions end, everything committed is flushed.
  kill(postmaster_, SIGINT);
  Wait(postmaster_);
  postmaster_ = -1;
}

void PostgresServer::Kill() {
  if (postmaster_ <= 0) return;
  // The backends with it, so none outlives it holding the shared memory.
  std::vector<pid_t> children;
  for (const auto& entry : fs::directory_iterator("/proc")) {
    const std::string name = entry.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    const auto pid = static_cast<pid_t>(std::stoi(name));
    pid_t parent = 0;
    if (State(pid, &parent) != 0 && parent == postmaster_) children.push_back(pid);
  }
  kill(postmaster_, SIGKILL);
  for (pid_t child : children) kill(child, SIGKILL);
  Wait(postmaster_);
  postmaster_ = -1;
  for (pid_t child : children) WaitGone(child);
}

PostgresServer& TestPostgres() {
  static PostgresServer server;
  return server;
}

std::string FreshPostgresDatabaseName() {
  static std::atomic<int> next{0};
  const std::string name = "t" + std::to_string(++next);
  TestPostgres().CreateDatabase(name);
  return name;
}

std::string FreshPostgresDatabase() { return TestPostgres().Uri(FreshPostgresDatabaseName()); }

}  // namespace gw::test
