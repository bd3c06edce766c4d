// SPDX-License-Identifier: GPL-3.0-or-later
#include "RecordsPage.h"

#include <nlohmann/json.hpp>

#include <ctime>

#include "TextConversion.h"

namespace gw::scores {

namespace {

constexpr const char* kHead = R"html(<!DOCTYPE html>
<html lang="ru">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>Grom Wumbler — таблица рекордов</title>
<style>
  :root { --ink: #23351f; --leaf: #3f8a2e; --sun: #f3d400; --paper: #fbfbef; --line: #dfe5c8; }
  * { box-sizing: border-box; }
  body { margin: 0; font-family: "Comfortaa", "DejaVu Sans", sans-serif; color: var(--ink);
         background: linear-gradient(160deg, #bfe7a3 0%, #8fd06b 45%, #4f9d3a 100%); min-height: 100vh; }
  header { text-align: center; padding: 28px 16px 8px; }
  h1 { margin: 0; font-size: 2.4rem; color: var(--sun); letter-spacing: .04em;
       text-shadow: 2px 2px 0 #1d3b12, 0 0 14px rgba(0,0,0,.25); }
  header p { margin: 6px 0 0; color: #1d3b12; font-weight: bold; }
  main { display: flex; flex-wrap: wrap; gap: 24px; justify-content: center; padding: 20px 16px 40px; }
  section { background: var(--paper); border-radius: 18px; box-shadow: 0 8px 24px rgba(0,0,0,.18);
            padding: 18px 20px 12px; width: min(460px, 100%); }
  h2 { margin: 0 0 10px; font-size: 1.25rem; color: var(--leaf); }
  table { width: 100%; border-collapse: collapse; font-size: .95rem; }
  th { text-align: left; font-size: .8rem; text-transform: uppercase; color: #6b7a5a; padding: 4px 6px;
       border-bottom: 2px solid var(--line); }
  td { padding: 6px; border-bottom: 1px solid var(--line); }
  td.rank { width: 2.5em; color: #6b7a5a; text-align: right; }
  th.score, td.score { text-align: right; }
  td.score { font-weight: bold; font-variant-numeric: tabular-nums; }
  tr:nth-child(1) td.rank, tr:nth-child(1) td.name { color: #b8860b; font-weight: bold; }
  td.when { color: #6b7a5a; font-size: .8rem; white-space: nowrap; }
  .empty { color: #6b7a5a; font-style: italic; padding: 12px 6px; }
  footer { text-align: center; color: #1d3b12; font-size: .8rem; padding-bottom: 24px; }
</style>
</head>
<body>
<header><h1>Grom Wumbler</h1><p>Таблица рекордов</p></header>
<main>
)html";

std::string Date(std::int64_t time) {
  const std::time_t t = static_cast<std::time_t>(time);
  std::tm tm{};
  gmtime_r(&t, &tm);
  char text[32];
  std::strftime(text, sizeof text, "%d.%m.%Y", &tm);
  return text;
}

void Section(std::string& html, const char* title, const std::vector<ScoreRow>& rows) {
  html += "<section>\n<h2>";
  html += title;
  html += "</h2>\n";
  if (rows.empty()) {
    html += "<p class=\"empty\">Пока никого — будьте первым!</p>\n</section>\n";
    return;
  }
  html += "<table>\n<thead><tr><th></th><th>Имя</th><th>Страна</th><th class=\"score\">Очки</th><th>Дата</th></tr></thead>\n<tbody>\n";
  int rank = 0;
  for (const ScoreRow& r : rows) {
    html += "<tr><td class=\"rank\">" + std::to_string(++rank) + "</td><td class=\"name\">" + HtmlEscape(r.name) +
            "</td><td class=\"country\">" + HtmlEscape(r.country) + "</td><td class=\"score\">" +
            std::to_string(r.score) + "</td><td class=\"when\">" + Date(r.time) + "</td></tr>\n";
  }
  html += "</tbody>\n</table>\n</section>\n";
}

}  // namespace

std::string RecordsPageHtml(const std::vector<ScoreRow>& week, const std::vector<ScoreRow>& allTime,
                            std::int64_t now) {
  std::string html = kHead;
  Section(html, "Лучшие за неделю", week);
  Section(html, "Лучшие за всё время", allTime);
  html += "</main>\n<footer>Обновлено " + Date(now) + " (UTC)</footer>\n</body>\n</html>\n";
  return html;
}

std::string ScoresJson(const std::vector<ScoreRow>& rows) {
  nlohmann::json list = nlohmann::json::array();
  int rank = 0;
  for (const ScoreRow& r : rows) {
    list.push_back({{"rank", ++rank}, {"name", r.name}, {"country", r.country}, {"score", r.score}, {"time", r.time}});
  }
  // Stored texts are valid UTF-8; replace rather than throw should one ever not be.
  return list.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace gw::scores
