// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/web/SaveSync.h"

#include <emscripten.h>
#include <sys/stat.h>

namespace gw::platform::web {

namespace {

// The page's own function (shell script): writes the storage folder back, one write at a time.
EM_JS(void, gw_store_saves, (), { Module.gwStoreSaves(); });

}  // namespace

ino_t SaveSync::CurrentFile() const {
  struct stat st {};
  return ::stat(file_.c_str(), &st) == 0 ? st.st_ino : 0;
}

void SaveSync::AfterTurn() {
  const ino_t now = CurrentFile();
  if (now == saved_) return;
  saved_ = now;
  gw_store_saves();
}

}  // namespace gw::platform::web
