// SPDX-License-Identifier: GPL-3.0-or-later
// The records page as a phone shows it, laid out by headless Chromium (Debian's) in a frame 360 px wide: the
// longest name, country and score the server stores, a "Смотреть" link and an unverified mark all stay inside
// the page. Skipped where Chromium is not installed.

#include <gtest/gtest.h>
#include <httplib.h>

#include <array>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "ScoreCeiling.h"
#include "support/Headless.h"
#include "support/ScoreServerRunner.h"

namespace gw::scores {
namespace {

constexpr const char* kChromium = "/usr/bin/chromium";

// The page inside a same-origin frame of the given width, which the script then measures: Chromium's own
// window is never narrower than 500 px. Each measure ends up in the dumped document as data-measured.
std::string Probe(const std::string& page, int width) {
  std::string escaped;
  for (const char c : page) {
    if (c == '&') escaped += "&amp;";
    else if (c == '"') escaped += "&quot;";
    else escaped += c;
  }
  const std::string w = std::to_string(width);
  return "<!DOCTYPE html><body style=\"margin:0\"><iframe id=\"f\" scrolling=\"no\" style=\"border:0;width:" + w +
         "px;height:6000px\" srcdoc=\"" + escaped + R"("></iframe>
<script>
document.getElementById("f").addEventListener("load", () => {
  const d = document.getElementById("f").contentDocument;
  const links = [...d.querySelectorAll("a.watch")];
  const oneLine = links.filter((a) => a.getClientRects().length === 1 && a.getBoundingClientRect().right <= )" +
         w + R"().length;
  document.body.dataset.measured = [d.documentElement.clientWidth, d.documentElement.scrollWidth, links.length,
                                    oneLine].join(" ");
});
</script></body>)";
}

std::string Output(const std::string& command) {
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  std::string out;
  if (!pipe) return out;
  std::array<char, 4096> chunk{};
  std::size_t n;
  while ((n = std::fread(chunk.data(), 1, chunk.size(), pipe.get())) > 0) out.append(chunk.data(), n);
  return out;
}

TEST(RecordsPageLayout, TheLongestEntriesAndTheirLinksFitAPhonesWidth) {
  if (!std::filesystem::exists(kChromium)) GTEST_SKIP() << "no Chromium to lay the page out";
  ServiceSettings settings;
  settings.playLink = true;
  test::ScoreServerRunner server(settings);
  const std::int64_t now = std::time(nullptr);
  const std::string country = "Соединённые Штаты Америки " + std::string(150, 'W');
  // Verified, unverified and never replayed; the widest name and score the server takes.
  const std::pair<const char*, int> entries[] = {{"verified", 1}, {"refused", 2}, {"pending", 0}};
  for (const auto& [token, replay] : entries) {
    ASSERT_EQ(server.Store().Add({std::string(32, 'W'), country, kHighestScore, now, token, "::1"}),
              AddResult::Stored);
    if (replay != 0) {
      ASSERT_EQ(server.Store().KeepReplay(token, {replay == 1, 1, replay == 1 ? "r" : "", token, ""}), KeepResult::Kept);
    }
  }
  httplib::Client client("127.0.0.1", server.Port());
  const auto page = client.Get("/?all=1");
  ASSERT_TRUE(page);

  test::TempFolder folder;
  std::ofstream(folder.Path() / "probe.html") << Probe(page->body, 360);
  const std::string dump = Output(std::string("timeout 60 ") + kChromium +
                                  " --headless --no-sandbox --disable-gpu --no-first-run --user-data-dir='" +
                                  (folder.Path() / "profile").string() + "' --dump-dom 'file://" +
                                  (folder.Path() / "probe.html").string() + "' 2>/dev/null");
  const std::size_t at = dump.find("data-measured=\"");
  ASSERT_NE(at, std::string::npos) << dump.substr(0, 400);
  const std::string measured = dump.substr(at + 15, dump.find('"', at + 15) - at - 15);
  // Inner width, content width, links, links on one line inside the page: one link in each table.
  EXPECT_EQ(measured, "360 360 2 2");
}

}  // namespace
}  // namespace gw::scores
