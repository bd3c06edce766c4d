// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The records as a web page and as JSON.

#include <cstdint>
#include <string>
#include <vector>

#include "ScoreStore.h"

namespace gw::scores {

// A complete UTF-8 HTML page with the week's and the all-time best; `now` dates the page. playLink: the server
// serves the game's web build too, and the page links to it and to each verified entry's game played back there.
std::string RecordsPageHtml(const std::vector<ScoreRow>& week, const std::vector<ScoreRow>& allTime,
                            std::int64_t now, bool playLink = false);

// [{"rank":1,"name":…,"country":…,"score":…,"time":…,"verified":…,"id":…}, …]; "id" only on verified rows.
std::string ScoresJson(const std::vector<ScoreRow>& rows);

}  // namespace gw::scores
