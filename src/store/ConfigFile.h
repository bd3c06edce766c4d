// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The settings file: three flag bytes (windowed, music, sound), the country line, then ten table entries of
// a name and a little-endian 32-bit score. Texts are stored as a length byte and the complemented bytes.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "store/DurableFile.h"
#include "store/Options.h"

namespace gw::store {

inline constexpr std::string_view kConfigFileName = "Config.cfg";
// A text longer than a length byte can tell is stored as its first 255 bytes.
inline constexpr std::size_t kMaxCfgString = 255;
// The longest file the reader can use: three flags and eleven texts at full length, ten scores.
inline constexpr std::size_t kMaxConfigBytes = 3 + 11 * (1 + kMaxCfgString) + 10 * 4;

struct ConfigData {
  TOptions options;
  HiScoreTable hiScores{};
};

void WriteCfgString(std::vector<std::uint8_t>& out, std::string_view text);
// Reads one stored text at pos and moves pos past it; empty when the bytes end first.
std::optional<std::string> ReadCfgString(std::span<const std::uint8_t> bytes, std::size_t& pos);

std::vector<std::uint8_t> EncodeConfig(const TOptions& options, const HiScoreTable& table);
// Fails with a reason when the bytes end before the tenth entry; bytes after it are ignored.
std::optional<ConfigData> DecodeConfig(std::span<const std::uint8_t> bytes, std::string& error);

enum class LoadStatus { Loaded, Missing, Damaged };
LoadStatus ReadConfigFile(const std::filesystem::path& path, ConfigData& out, std::string& error);
// Replaces the file durably (store/DurableFile.h): a failed save reports why and keeps the last good file,
// and neither a kill nor a power loss at any moment leaves a damaged one.
bool WriteConfigFile(const std::filesystem::path& path, const TOptions& options, const HiScoreTable& table,
                     std::string& error);
bool WriteConfigFile(const std::filesystem::path& path, const TOptions& options, const HiScoreTable& table,
                     std::string& error, FileCalls& calls);
// Moves a damaged file aside under a new name; returns that name (empty when it could not be moved).
std::filesystem::path KeepDamagedFile(const std::filesystem::path& path);

}  // namespace gw::store
