// SPDX-License-Identifier: GPL-3.0-or-later
#include "AccessLog.h"

#include <cstdio>
#include <ctime>

namespace gw::scores {

namespace {

void AppendSafe(std::string& out, std::string_view text) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  for (const char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (b > 0x20 && b < 0x7F) {
      out.push_back(c);
    } else {
      out.push_back('%');
      out.push_back(kDigits[b >> 4]);
      out.push_back(kDigits[b & 15]);
    }
  }
}

}  // namespace

std::string LoggedTarget(std::string_view target) {
  std::string out;
  out.reserve(target.size() < 256 ? target.size() : 256);
  const std::size_t query = target.find('?');
  AppendSafe(out, target.substr(0, query));
  if (query == std::string_view::npos) return out;
  out.push_back('?');
  std::string_view rest = target.substr(query + 1);
  bool first = true;
  while (true) {
    const std::size_t amp = rest.find('&');
    const std::string_view param = rest.substr(0, amp);
    if (!first) out.push_back('&');
    first = false;
    if (param.substr(0, 4) == "inf=") {
      out += "inf=[" + std::to_string(param.size() - 4) + "]";
    } else {
      AppendSafe(out, param);
    }
    if (amp == std::string_view::npos) break;
    rest.remove_prefix(amp + 1);
  }
  return out;
}

std::string AccessLine(const AccessEntry& e) {
  using namespace std::chrono;
  const auto ms = duration_cast<milliseconds>(e.at.time_since_epoch()).count();
  const std::time_t seconds = static_cast<std::time_t>(ms / 1000);
  std::tm tm{};
  gmtime_r(&seconds, &tm);
  char when[96];  // room for any int the format could be handed
  std::snprintf(when, sizeof when, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                tm.tm_hour, tm.tm_min, tm.tm_sec, static_cast<int>(ms % 1000));
  char took[32];
  std::snprintf(took, sizeof took, "%.2fms", duration<double, std::milli>(e.took).count());
  std::string line = when;
  line += ' ';
  line += e.address.empty() ? "-" : e.address;
  line += ' ';
  if (e.method.empty()) line += '-'; else AppendSafe(line, e.method);
  line += ' ';
  line += e.target.empty() ? std::string("-") : LoggedTarget(e.target);
  line += ' ' + std::to_string(e.status) + ' ';
  line += e.refusal.empty() ? "-" : e.refusal;
  line += ' ';
  line += took;
  line += '\n';
  return line;
}

}  // namespace gw::scores
