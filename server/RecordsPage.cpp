// SPDX-License-Identifier: GPL-3.0-or-later
#include "RecordsPage.h"

#include <nlohmann/json.hpp>

#include <ctime>
#include <string_view>

#include "TextConversion.h"

namespace gw::scores {

namespace {

constexpr const char* kHead = R"html(<!DOCTYPE html>
<html lang="ru">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>Grom Wumbler — таблица рекордов</title>
<link rel="icon" href="data:,">
<style>
  :root { --ink: #23351f; --leaf: #3f8a2e; --sun: #f3d400; --paper: #fbfbef; --line: #dfe5c8; }
  * { box-sizing: border-box; }
  body { margin: 0; font-family: "Comfortaa", "DejaVu Sans", sans-serif; color: var(--ink);
         background: linear-gradient(160deg, #bfe7a3 0%, #8fd06b 45%, #4f9d3a 100%); min-height: 100vh; }
  header { text-align: center; padding: 28px 16px 8px; }
  h1 { margin: 0; font-size: 2.4rem; color: var(--sun); letter-spacing: .04em;
       text-shadow: 2px 2px 0 #1d3b12, 0 0 14px rgba(0,0,0,.25); }
  header p { margin: 6px 0 0; color: #1d3b12; font-weight: bold; }
  header p.play a { display: inline-block; margin-top: 10px; padding: 8px 22px; border-radius: 22px;
                    background: var(--sun); color: #1d3b12; text-decoration: none; box-shadow: 0 3px 0 #1d3b12; }
  main { display: flex; flex-wrap: wrap; gap: 24px; justify-content: center; padding: 20px 16px 40px; }
  section { background: var(--paper); border-radius: 18px; box-shadow: 0 8px 24px rgba(0,0,0,.18);
            padding: 18px 16px 12px; width: min(480px, 100%); min-width: 0; }
  h2 { margin: 0 0 10px; font-size: 1.25rem; color: var(--leaf); }
  /* Fixed columns: a long name or country wraps inside its own cell and never pushes the score out. */
  table { width: 100%; border-collapse: collapse; font-size: .95rem; table-layout: fixed; }
  th { text-align: left; font-size: .75rem; text-transform: uppercase; color: #6b7a5a; padding: 4px 6px;
       border-bottom: 2px solid var(--line); }
  td { padding: 6px; border-bottom: 1px solid var(--line); vertical-align: top; }
  col.rank { width: 2.6em; }
  col.score { width: 7.6em; }
  td.rank { color: #6b7a5a; text-align: right; }
  td.who { overflow-wrap: anywhere; }
  .country { display: block; color: #6b7a5a; font-size: .8rem; }
  th.score, td.score { text-align: right; overflow-wrap: anywhere; }
  /* A score is one word: the column fits nine digits, and they never break over two lines. */
  .points { display: block; font-weight: bold; font-variant-numeric: tabular-nums; white-space: nowrap; }
  .when { display: block; color: #6b7a5a; font-size: .75rem; white-space: nowrap; }
  tr:nth-child(1) td.rank, tr:nth-child(1) .name { color: #b8860b; font-weight: bold; }
  a.watch { display: inline-block; margin-top: 3px; padding: 1px 9px; border-radius: 10px; font-size: .75rem;
            background: var(--line); color: #1d3b12; text-decoration: none; }
  a.watch::before { content: "\25B6\FE0E  "; font-size: .8em; }
  .empty { color: #6b7a5a; font-style: italic; padding: 12px 6px; }
  @media (max-width: 420px) {
    h1 { font-size: 1.9rem; }
    main { padding: 16px 8px 32px; }
    section { padding: 14px 10px 10px; }
    table { font-size: .9rem; }
    col.score { width: 7.4em; }
  }
  footer { text-align: center; color: #1d3b12; font-size: .8rem; padding-bottom: 24px; }
tr.unverified td { opacity: .6; }
/* On a line of its own: beside a long score it would run out of a phone's narrow column. */
tr.unverified .points::after { content: "(не проверено)"; display: block; font-size: .7em; font-weight: normal; }
</style>
</head>
<body>
<header><h1>Grom Wumbler</h1><p>Таблица рекордов</p>)html";
constexpr const char* kPlayLink = R"html(<p class="play"><a href="/play/">Играть</a></p>)html";
constexpr const char* kHeadEnd = "</header>\n<main>\n";

std::string Date(std::int64_t time) {
  const std::time_t t = static_cast<std::time_t>(time);
  std::tm tm{};
  gmtime_r(&t, &tm);
  char text[32];
  std::strftime(text, sizeof text, "%d.%m.%Y", &tm);
  return text;
}

// A name of nothing but spaces (the game's field may send no-break ones) would leave its row without a player.
std::string ShownName(std::string_view name) {
  constexpr std::string_view kNoBreakSpace = "\xC2\xA0";
  std::string_view rest = name;
  while (!rest.empty()) {
    if (rest.front() == ' ' || rest.front() == '\t') {
      rest.remove_prefix(1);
    } else if (rest.starts_with(kNoBreakSpace)) {
      rest.remove_prefix(kNoBreakSpace.size());
    } else {
      return HtmlEscape(name);
    }
  }
  return "—";
}

// playLink: each verified entry links to its game played back in the web build.
void Section(std::string& html, const char* title, const std::vector<ScoreRow>& rows, bool playLink) {
  html += "<section>\n<h2>";
  html += title;
  html += "</h2>\n";
  if (rows.empty()) {
    html += "<p class=\"empty\">Пока никого — будьте первым!</p>\n</section>\n";
    return;
  }
  html += "<table>\n<colgroup><col class=\"rank\"><col><col class=\"score\"></colgroup>\n"
          "<thead><tr><th></th><th>Игрок, страна</th><th class=\"score\">Очки, дата</th></tr></thead>\n<tbody>\n";
  int rank = 0;
  for (const ScoreRow& r : rows) {
    html += r.verified ? "<tr>" : "<tr class=\"unverified\" title=\"не проверено\">";
    html += "<td class=\"rank\">" + std::to_string(++rank) + "</td><td class=\"who\"><span class=\"name\">" +
            ShownName(r.name) + "</span><span class=\"country\">" + HtmlEscape(r.country) + "</span>";
    if (playLink && r.verified && r.id != 0) {
      html += "<a class=\"watch\" href=\"/play/?watch=" + std::to_string(r.id) + "\">Смотреть</a>";
    }
    html += "</td><td class=\"score\"><span class=\"points\">" + std::to_string(r.score) +
            "</span><span class=\"when\">" + Date(r.time) + "</span></td></tr>\n";
  }
  html += "</tbody>\n</table>\n</section>\n";
}

}  // namespace

std::string RecordsPageHtml(const std::vector<ScoreRow>& week, const std::vector<ScoreRow>& allTime,
                            std::int64_t now, bool playLink) {
  std::string html = kHead;
  if (playLink) html += kPlayLink;
  html += kHeadEnd;
  Section(html, "Лучшие за неделю", week, playLink);
  Section(html, "Лучшие за всё время", allTime, playLink);
  html += "</main>\n<footer>Обновлено " + Date(now) + " (UTC)</footer>\n</body>\n</html>\n";
  return html;
}

std::string ScoresJson(const std::vector<ScoreRow>& rows) {
  nlohmann::json list = nlohmann::json::array();
  int rank = 0;
  for (const ScoreRow& r : rows) {
    nlohmann::json row = {{"rank", ++rank}, {"name", r.name}, {"country", r.country},
                          {"score", r.score}, {"time", r.time}, {"verified", r.verified}};
    if (r.id != 0) row["id"] = r.id;
    list.push_back(std::move(row));
  }
  // Stored texts are valid UTF-8; replace rather than throw should one ever not be.
  return list.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace gw::scores
