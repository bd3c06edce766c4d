#include "app/GameFolder.h"

#include <system_error>

#include "gfx/ImagePack.h"

namespace gw::app {

namespace {

bool HoldsPack(const std::filesystem::path& folder) {
  std::error_code ec;
  return std::filesystem::is_regular_file(folder / gfx::kPackPath, ec);
}

}  // namespace

void EnterGameFolder(const std::filesystem::path& programFolder) {
  std::error_code ec;
  const std::filesystem::path current = std::filesystem::current_path(ec);
  if (!ec && HoldsPack(current)) return;
  if (!programFolder.empty() && HoldsPack(programFolder)) {
    std::filesystem::current_path(programFolder, ec);
    if (!ec) return;
    throw GameFolderError("cannot enter the game folder " + programFolder.string() + ": " + ec.message());
  }
  const std::string pack = std::string("the picture pack ") + gfx::kPackPath;
  if (programFolder.empty() || std::filesystem::equivalent(programFolder, current, ec)) {
    throw GameFolderError(pack + " is not in " + current.string());
  }
  throw GameFolderError(pack + " is neither in " + current.string() + " nor in " + programFolder.string());
}

}  // namespace gw::app
