// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A real PostgreSQL server of the test's own: a fresh cluster in a temporary folder, reached only through a
// Unix socket in that folder, run as the unprivileged "postgres" user when the tests run as root (PostgreSQL
// refuses to run as root). Removed with everything in it at the end.

#include <filesystem>
#include <string>

namespace gw::test {

class PostgresServer {
 public:
  // Makes the cluster and starts it; fails the calling test (by exception) when PostgreSQL is not installed.
  PostgresServer();
  ~PostgresServer();
  PostgresServer(const PostgresServer&) = delete;
  PostgresServer& operator=(const PostgresServer&) = delete;

  // The URI of a database of this server (created with CreateDatabase first, or "postgres").
  std::string Uri(const std::string& database = "postgres") const;
  void CreateDatabase(const std::string& name);
  // Runs SQL in a database through psql; throws when it fails.
  void Sql(const std::string& database, const std::string& statement);

  void Start();
  // A clean, fast stop.
  void Stop();
  // The whole server killed at once, as a crash would: the postmaster and every backend get SIGKILL.
  void Kill();

 private:
  std::filesystem::path folder_;
  std::filesystem::path data_;
  std::filesystem::path bin_;
  int postmaster_ = -1;  // our child while it runs
};

// One server for the whole test program (a cluster takes seconds to make), and a fresh database on it for each
// test that wants one: its name, and its URI.
PostgresServer& TestPostgres();
std::string FreshPostgresDatabaseName();
std::string FreshPostgresDatabase();

}  // namespace gw::test
