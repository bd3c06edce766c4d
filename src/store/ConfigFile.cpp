// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/ConfigFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

#include <sys/stat.h>
#include <unistd.h>

#include "store/DurableFile.h"

namespace gw::store {

namespace {

void WriteFlag(std::vector<std::uint8_t>& out, bool flag) { out.push_back(flag ? 1 : 0); }

// Closes the file it was given when it goes.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() { ::close(fd_); }

 private:
  int fd_;
};

}  // namespace

void WriteCfgString(std::vector<std::uint8_t>& out, std::string_view text) {
  const std::size_t length = std::min(text.size(), kMaxCfgString);
  out.push_back(static_cast<std::uint8_t>(length));
  for (std::size_t i = 0; i < length; ++i) out.push_back(static_cast<std::uint8_t>(~static_cast<std::uint8_t>(text[i])));
}

std::optional<std::string> ReadCfgString(std::span<const std::uint8_t> bytes, std::size_t& pos) {
  if (pos >= bytes.size()) return std::nullopt;
  const std::size_t length = bytes[pos];
  if (bytes.size() - pos - 1 < length) return std::nullopt;
  std::string text;
  text.reserve(length);
  for (std::size_t i = 0; i < length; ++i) text += static_cast<char>(bytes[pos + 1 + i] ^ 0xFF);
  pos += 1 + length;
  return text;
}

std::vector<std::uint8_t> EncodeConfig(const TOptions& options, const HiScoreTable& table) {
  std::vector<std::uint8_t> out;
  WriteFlag(out, options.Windowed);
  WriteFlag(out, options.Music);
  WriteFlag(out, options.Sound);
  WriteCfgString(out, options.Country);
  for (const THiScores& entry : table) {
    WriteCfgString(out, entry.Name);
    const auto score = static_cast<std::uint32_t>(entry.Score);
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(score >> shift));
  }
  return out;
}

std::optional<ConfigData> DecodeConfig(std::span<const std::uint8_t> bytes, std::string& error) {
  ConfigData data;
  if (bytes.size() < 3) {
    error = "the file ends before its settings";
    return std::nullopt;
  }
  // Exactly 1 is true; any other value reads as false.
  data.options.Windowed = bytes[0] == 1;
  data.options.Music = bytes[1] == 1;
  data.options.Sound = bytes[2] == 1;
  std::size_t pos = 3;
  auto country = ReadCfgString(bytes, pos);
  if (!country) {
    error = "the file ends inside the country line";
    return std::nullopt;
  }
  data.options.Country = std::move(*country);
  for (std::size_t i = 0; i < data.hiScores.size(); ++i) {
    auto name = ReadCfgString(bytes, pos);
    if (!name || bytes.size() - pos < 4) {
      error = "the file ends inside high-score entry " + std::to_string(i + 1);
      return std::nullopt;
    }
    std::uint32_t score = 0;
    for (int b = 0; b < 4; ++b) score |= static_cast<std::uint32_t>(bytes[pos + static_cast<std::size_t>(b)]) << (8 * b);
    pos += 4;
    data.hiScores[i] = {std::move(*name), static_cast<std::int32_t>(score)};
  }
  return data;
}

LoadStatus ReadConfigFile(const std::filesystem::path& path, ConfigData& out, std::string& error) {
  // Never through a link: in a folder others can write, a link would hand us (and, at the next save, copy
  // out) any file the player can read. Nor wait on a pipe put in the file's place.
  const int fd = FileCalls::OpenToRead(CallName(path).c_str());
  if (fd < 0) {
    // No such file, or no such folder above it.
    if (errno == ENOENT || errno == ENOTDIR) return LoadStatus::Missing;
    error = errno == ELOOP ? "it is a symbolic link" : std::string("it cannot be read: ") + std::strerror(errno);
    return LoadStatus::Damaged;
  }
  const FileDescriptor file(fd);
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    error = "it is not a file";
    return LoadStatus::Damaged;
  }
  // Nothing past the longest possible table is ever read, however large the file.
  std::vector<std::uint8_t> bytes(kMaxConfigBytes);
  std::size_t got = 0;
  while (got < bytes.size()) {
    // Windows' read counts in unsigned int; the table is far smaller.
    const ssize_t n = ::read(fd, bytes.data() + got, static_cast<unsigned>(bytes.size() - got));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error = std::string("it cannot be read: ") + std::strerror(errno);
      return LoadStatus::Damaged;
    }
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  bytes.resize(got);
  auto data = DecodeConfig(bytes, error);
  if (!data) return LoadStatus::Damaged;
  out = std::move(*data);
  return LoadStatus::Loaded;
}

bool WriteConfigFile(const std::filesystem::path& path, const TOptions& options, const HiScoreTable& table,
                     std::string& error, FileCalls& calls) {
  return ReplaceFileDurably(path, EncodeConfig(options, table), error, calls);
}

bool WriteConfigFile(const std::filesystem::path& path, const TOptions& options, const HiScoreTable& table,
                     std::string& error) {
  FileCalls system;
  return WriteConfigFile(path, options, table, error, system);
}

std::filesystem::path KeepDamagedFile(const std::filesystem::path& path) {
  for (int n = 0; n < 1000; ++n) {
    std::filesystem::path aside = path;
    aside += n == 0 ? std::string(".damaged") : ".damaged." + std::to_string(n);
    std::error_code ec;
    // A link counts as taken too: it is never written through.
    if (std::filesystem::exists(std::filesystem::symlink_status(aside, ec))) continue;
    std::filesystem::rename(path, aside, ec);
    return ec ? std::filesystem::path{} : aside;
  }
  return {};
}

}  // namespace gw::store
