#include "TextConversion.h"

#include <iconv.h>

#include <memory>

namespace gw::scores {

namespace {

struct IconvCloser {
  void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};

}  // namespace

std::optional<std::string> Cp1251ToUtf8(std::string_view text) {
  const iconv_t raw = iconv_open("UTF-8", "CP1251");
  if (raw == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  const std::unique_ptr<void, IconvCloser> cd(raw);
  std::string in(text);
  std::string out(text.size() * 3, '\0');  // every character of the code page takes at most 3 bytes
  char* inPtr = in.data();
  std::size_t inLeft = in.size();
  char* outPtr = out.data();
  std::size_t outLeft = out.size();
  if (iconv(raw, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) || inLeft != 0) {
    return std::nullopt;
  }
  out.resize(out.size() - outLeft);
  return out;
}

std::string HtmlEscape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out.push_back(c); break;
    }
  }
  return out;
}

}  // namespace gw::scores
