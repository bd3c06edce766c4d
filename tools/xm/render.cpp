// SPDX-License-Identifier: GPL-3.0-or-later
// gw_xmrender: a listening aid. Plays a module through libxmp at its default settings, writes what it hears
// as a 16-bit stereo WAV and prints the levels that matter for the mix.
//   gw_xmrender <module.xm> <out.wav> [passes] [solo channel]
// One pass runs until the song wraps to its restart position; two passes let you hear the seam. A solo channel
// (from 1) mutes the others, to weigh one part of the mix.

#include <xmp.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int Rate = 44100;

struct XmpFree {
  void operator()(char* ctx) const { xmp_free_context(ctx); }
};
using Context = std::unique_ptr<char, XmpFree>;

void put16(std::ofstream& out, std::uint16_t v) { out.put(static_cast<char>(v & 0xFF)).put(static_cast<char>(v >> 8)); }
void put32(std::ofstream& out, std::uint32_t v) {
  put16(out, static_cast<std::uint16_t>(v & 0xFFFF));
  put16(out, static_cast<std::uint16_t>(v >> 16));
}

void writeWav(const std::string& path, const std::vector<std::int16_t>& pcm) {
  std::ofstream out(path, std::ios::binary);
  const auto bytes = static_cast<std::uint32_t>(pcm.size() * 2);
  out.write("RIFF", 4);
  put32(out, 36 + bytes);
  out.write("WAVEfmt ", 8);
  put32(out, 16);
  put16(out, 1);
  put16(out, 2);
  put32(out, Rate);
  put32(out, Rate * 4);
  put16(out, 4);
  put16(out, 16);
  out.write("data", 4);
  put32(out, bytes);
  for (std::int16_t s : pcm) put16(out, static_cast<std::uint16_t>(s));
}

double dbfs(double level) { return level > 0 ? 20.0 * std::log10(level / 32768.0) : -200.0; }

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::cerr << "usage: gw_xmrender <module.xm> <out.wav> [passes] [solo channel]\n";
    return 2;
  }
  const int passes = argc > 3 ? std::max(1, std::stoi(argv[3])) : 1;
  Context ctx(xmp_create_context());
  if (xmp_load_module(ctx.get(), argv[1]) != 0) {
    std::cerr << "cannot load " << argv[1] << '\n';
    return 1;
  }
  xmp_start_player(ctx.get(), Rate, 0);
  xmp_module_info mi{};
  xmp_get_module_info(ctx.get(), &mi);
  if (argc > 4) {
    const int solo = std::stoi(argv[4]) - 1;
    for (int ch = 0; ch < mi.mod->chn; ++ch) xmp_channel_mute(ctx.get(), ch, ch == solo ? 0 : 1);
  }

  std::vector<std::int16_t> pcm;
  double firstPass = 0;
  xmp_frame_info fi{};
  while (xmp_play_frame(ctx.get()) == 0) {
    xmp_get_frame_info(ctx.get(), &fi);
    if (fi.loop_count >= passes) break;
    if (fi.loop_count == 0) firstPass = static_cast<double>(pcm.size()) / 2.0 / Rate;
    const auto* frame = static_cast<const std::int16_t*>(fi.buffer);
    pcm.insert(pcm.end(), frame, frame + fi.buffer_size / 2);
  }
  xmp_end_player(ctx.get());
  writeWav(argv[2], pcm);

  double peak = 0, sum = 0;
  std::size_t clipped = 0;
  for (std::int16_t s : pcm) {
    peak = std::max(peak, std::abs(static_cast<double>(s)));
    sum += static_cast<double>(s) * s;
    clipped += (s == 32767 || s == -32768) ? 1 : 0;
  }
  // The quietest half second tells a gap or a silent tail from a rest in the music.
  const std::size_t window = Rate;  // half a second of stereo samples
  double quietest = 1e9;
  std::size_t quietestAt = 0;
  for (std::size_t start = 0; start + window <= pcm.size(); start += window) {
    double w = 0;
    for (std::size_t i = start; i < start + window; ++i) w += static_cast<double>(pcm[i]) * pcm[i];
    const double rms = std::sqrt(w / static_cast<double>(window));
    if (rms < quietest) {
      quietest = rms;
      quietestAt = start;
    }
  }
  const double rms = pcm.empty() ? 0 : std::sqrt(sum / static_cast<double>(pcm.size()));
  std::printf("%s: \"%s\", %d channels, %d orders (restart %d), xmp total %.1f s\n", argv[1], mi.mod->name,
              mi.mod->chn, mi.mod->len, mi.mod->rst, fi.total_time / 1000.0);
  std::printf("first pass %.1f s, rendered %.1f s\n", firstPass, static_cast<double>(pcm.size()) / 2.0 / Rate);
  std::printf("peak %.0f (%.1f dBFS), rms %.0f (%.1f dBFS), samples at full scale %zu\n", peak, dbfs(peak), rms,
              dbfs(rms), clipped);
  std::printf("quietest half second: rms %.0f (%.1f dBFS) at %.1f s\n", quietest, dbfs(quietest),
              static_cast<double>(quietestAt) / 2.0 / Rate);
  return 0;
}
