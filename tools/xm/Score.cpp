// SPDX-License-Identifier: GPL-3.0-or-later
#include "Score.h"

#include "Synth.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace xm {
namespace {

constexpr int MaxRepeat = 256;
constexpr std::size_t MaxTokens = 1 << 16;  // a guard against a runaway repeat, far above any real line
constexpr std::string_view Effects = "0123456789ABCDEFGHKLPRTX";

struct Token {
  std::string text;
  int line;
};

std::string quoted(std::string_view s) { return "'" + std::string(s) + "'"; }

bool isIdentStart(char c) { return c >= 'a' && c <= 'z'; }
bool isIdentChar(char c) { return isIdentStart(c) || (c >= '0' && c <= '9') || c == '_'; }
bool isIdentifier(std::string_view s) {
  return !s.empty() && isIdentStart(s[0]) && std::all_of(s.begin(), s.end(), isIdentChar);
}
bool isPatternName(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) {
    return isIdentChar(c) || (c >= 'A' && c <= 'Z');
  });
}
bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view trim(std::string_view s) {
  while (!s.empty() && isSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && isSpace(s.back())) s.remove_suffix(1);
  return s;
}

std::vector<std::string_view> words(std::string_view s) {
  std::vector<std::string_view> out;
  std::size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && isSpace(s[i])) ++i;
    const std::size_t start = i;
    while (i < s.size() && !isSpace(s[i])) ++i;
    if (i > start) out.push_back(s.substr(start, i - start));
  }
  return out;
}

int toInt(std::string_view s, int min, int max, std::string_view what, int line) {
  int v = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc{} || end != s.data() + s.size() || v < min || v > max)
    throw ScoreError(line, std::string(what) + " must be a whole number from " + std::to_string(min) + " to " +
                               std::to_string(max) + ", not " + quoted(s));
  return v;
}

double toNumber(std::string_view s, double min, double max, std::string_view what, int line) {
  double v = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc{} || end != s.data() + s.size() || v < min || v > max)
    throw ScoreError(line, std::string(what) + " must be a number from " + std::to_string(min) + " to " +
                               std::to_string(max) + ", not " + quoted(s));
  return v;
}

std::vector<std::string_view> split(std::string_view s, char by) {
  std::vector<std::string_view> out;
  std::size_t start = 0;
  while (true) {
    const std::size_t at = s.find(by, start);
    out.push_back(s.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start));
    if (at == std::string_view::npos) return out;
    start = at + 1;
  }
}

// "C-4", "D#5": the tracker's note number, 1 (C-0) to 96 (B-7).
std::uint8_t parseNote(std::string_view s, int line) {
  constexpr std::string_view Letters = "CDEFGAB";
  constexpr int Semitone[] = {0, 2, 4, 5, 7, 9, 11};
  const std::size_t letter = Letters.find(s[0]);
  const bool sharp = s[1] == '#';
  const bool valid = letter != std::string_view::npos && (sharp || s[1] == '-') && s[2] >= '0' && s[2] <= '7' &&
                     !(sharp && (s[0] == 'E' || s[0] == 'B'));
  if (!valid) throw ScoreError(line, "bad note " + quoted(s) + " (notes look like C-4 or D#5, octaves 0 to 7)");
  return static_cast<std::uint8_t>((s[2] - '0') * 12 + Semitone[letter] + (sharp ? 1 : 0) + 1);
}

Envelope parseEnvelope(std::string_view s, int line) {
  Envelope e;
  if (s == "none") return e;
  const auto points = split(s, ',');
  if (points.size() > 12) throw ScoreError(line, "an envelope has at most 12 points");
  for (std::string_view point : points) {
    const auto xy = split(point, '/');
    if (xy.size() != 2) throw ScoreError(line, "envelope points look like tick/level, not " + quoted(point));
    const int tick = toInt(xy[0], 0, 65535, "an envelope tick", line);
    const int level = toInt(xy[1], 0, 64, "an envelope level", line);
    if (e.points.empty() ? tick != 0 : tick <= e.points.back().tick)
      throw ScoreError(line, "envelope ticks must start at 0 and rise");
    e.points.push_back({static_cast<std::uint16_t>(tick), static_cast<std::uint16_t>(level)});
  }
  return e;
}

class Compiler {
 public:
  Song run(std::string_view text);

 private:
  struct OpenPattern {
    std::string name;
    int rows = 0;
    int line = 0;
    std::vector<std::vector<Cell>> channels;
    std::vector<int> lastLine;
    std::vector<int> instrument;  // the instrument a bare note plays, per channel
  };

  void statement(std::string_view text, int line);
  void instrument(const std::vector<std::string_view>& w, int line);
  void namedLine(std::string_view header, std::string_view body, int line);
  void channelLine(std::string_view header, std::string_view body, int line);
  void beginPattern(const std::vector<std::string_view>& w, int line);
  void closePattern();
  void order(const std::vector<std::string_view>& w, int line);
  std::vector<Token> lex(std::string_view text, std::size_t& pos, int line, int depth);
  Cell cell(const Token& t, int& current);
  int instrumentNumber(std::string_view name, int line) const;

  Song song_;
  bool patternsBegun_ = false;
  int restartLine_ = 0;
  std::map<std::string, int, std::less<>> instruments_;
  std::map<std::string, Token, std::less<>> aliases_;
  std::map<std::string, std::vector<Token>, std::less<>> lines_;
  std::map<std::string, int, std::less<>> patterns_;
  std::optional<OpenPattern> open_;
};

Song Compiler::run(std::string_view text) {
  int line = 0;
  std::size_t start = 0;
  while (start <= text.size()) {
    ++line;
    const std::size_t end = std::min(text.find('\n', start), text.size());
    std::string_view content = text.substr(start, end - start);
    content = trim(content.substr(0, content.find(';')));
    if (!content.empty()) statement(content, line);
    start = end + 1;
  }
  closePattern();
  if (song_.instruments.empty()) throw ScoreError(0, "the score defines no instrument");
  if (song_.order.empty()) throw ScoreError(0, "the score has no order line");
  if (song_.restart >= static_cast<int>(song_.order.size()))
    throw ScoreError(restartLine_, "restart position " + std::to_string(song_.restart) +
                                       " is past the end of the order list (" +
                                       std::to_string(song_.order.size()) + " entries)");
  return song_;
}

void Compiler::statement(std::string_view text, int line) {
  if (text[0] >= '0' && text[0] <= '9') {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) throw ScoreError(line, "a channel line needs ':' after its channel number");
    channelLine(trim(text.substr(0, colon)), text.substr(colon + 1), line);
    return;
  }
  const auto w = words(text);
  const std::string_view what = w[0];
  if (what == "line") {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) throw ScoreError(line, "a named line looks like 'line NAME: notes...'");
    namedLine(trim(text.substr(4, colon - 4)), text.substr(colon + 1), line);
    return;
  }
  if (what != "pattern") closePattern();
  const auto needs = [&](std::size_t n) {
    if (w.size() != n) throw ScoreError(line, quoted(what) + " takes " + std::to_string(n - 1) + " value(s)");
  };
  if (what == "title") {
    std::string_view title = trim(text.substr(5));
    if (title.size() >= 2 && title.front() == '"' && title.back() == '"') title = title.substr(1, title.size() - 2);
    if (title.size() > 20) throw ScoreError(line, "the title has at most 20 characters");
    song_.title = title;
  } else if (what == "speed") {
    needs(2);
    song_.speed = toInt(w[1], 1, 31, "speed (ticks per row)", line);
  } else if (what == "bpm") {
    needs(2);
    song_.bpm = toInt(w[1], 32, 255, "bpm", line);
  } else if (what == "channels") {
    needs(2);
    if (patternsBegun_) throw ScoreError(line, "'channels' must come before the first pattern");
    song_.channels = toInt(w[1], 1, 32, "channels", line);
  } else if (what == "restart") {
    needs(2);
    song_.restart = toInt(w[1], 0, 255, "restart position", line);
    restartLine_ = line;
  } else if (what == "instrument") {
    instrument(w, line);
  } else if (what == "alias") {
    needs(3);
    if (!isIdentifier(w[1])) throw ScoreError(line, "alias names are lower-case words, not " + quoted(w[1]));
    if (!aliases_.try_emplace(std::string(w[1]), Token{std::string(w[2]), line}).second)
      throw ScoreError(line, "alias " + quoted(w[1]) + " is defined twice");
    int probe = 1;
    cell(aliases_.at(std::string(w[1])), probe);  // a bad alias should fail where it is written
  } else if (what == "pattern") {
    beginPattern(w, line);
  } else if (what == "order") {
    order(w, line);
  } else {
    throw ScoreError(line, "unknown statement " + quoted(what));
  }
}

void Compiler::instrument(const std::vector<std::string_view>& w, int line) {
  if (w.size() < 3) throw ScoreError(line, "an instrument looks like 'instrument NAME VOICE setting=value...'");
  const std::string_view name = w[1], kind = w[2];
  if (!isIdentifier(name)) throw ScoreError(line, "instrument names are lower-case words, not " + quoted(name));
  if (instruments_.contains(name)) throw ScoreError(line, "instrument " + quoted(name) + " is defined twice");
  if (song_.instruments.size() >= 128) throw ScoreError(line, "a song has at most 128 instruments");
  if (!knownVoice(kind))
    throw ScoreError(line, "unknown voice " + quoted(kind) + " (voices: " + voiceKindList() + ")");

  std::map<std::string, std::string_view, std::less<>> settings;
  for (std::size_t i = 3; i < w.size(); ++i) {
    const std::size_t eq = w[i].find('=');
    if (eq == std::string_view::npos || eq == 0) throw ScoreError(line, "settings look like key=value, not " + quoted(w[i]));
    if (!settings.try_emplace(std::string(w[i].substr(0, eq)), w[i].substr(eq + 1)).second)
      throw ScoreError(line, "setting " + quoted(w[i].substr(0, eq)) + " is given twice");
  }

  std::map<std::string, double, std::less<>> voiceSettings;
  for (const auto& [key, value] : settings) {
    static constexpr std::string_view Common[] = {"vol", "pan", "env", "sus", "loop", "fade", "vib"};
    if (std::find(std::begin(Common), std::end(Common), key) != std::end(Common)) continue;
    const auto params = voiceParams(kind);
    const auto p =
        std::find_if(params.begin(), params.end(), [&name = key](const VoiceParam& vp) { return vp.name == name; });
    if (p == params.end()) {
      std::string known = "vol, pan, env, sus, loop, fade, vib";
      for (const VoiceParam& vp : params) known += ", " + std::string(vp.name);
      throw ScoreError(line, "unknown setting " + quoted(key) + " for a " + std::string(kind) + " voice (settings: " +
                                 known + ")");
    }
    voiceSettings[key] = toNumber(value, p->min, p->max, key, line);
  }

  Voice voice = synthesise(kind, voiceSettings);
  Instrument ins;
  ins.name = name;
  ins.sample = std::move(voice.sample);
  ins.envelope = voice.envelope;
  ins.fadeout = voice.fadeout;
  const auto setting = [&](std::string_view key) -> std::optional<std::string_view> {
    const auto it = settings.find(key);
    return it == settings.end() ? std::nullopt : std::optional(it->second);
  };
  if (auto v = setting("vol")) ins.volume = static_cast<std::uint8_t>(toInt(*v, 0, 64, "vol", line));
  if (auto v = setting("pan")) ins.panning = static_cast<std::uint8_t>(toInt(*v, 0, 255, "pan", line));
  if (auto v = setting("fade")) ins.fadeout = static_cast<std::uint16_t>(toInt(*v, 0, 4095, "fade", line));
  if (auto v = setting("env")) ins.envelope = parseEnvelope(*v, line);
  const int points = static_cast<int>(ins.envelope.points.size());
  if (auto v = setting("sus")) {
    if (points == 0) throw ScoreError(line, "'sus' needs an envelope");
    ins.envelope.sustain = toInt(*v, 0, points - 1, "sus (an envelope point)", line);
  } else if (setting("env")) {
    ins.envelope.sustain = -1;
  }
  if (auto v = setting("loop")) {
    const auto ends = split(*v, '-');
    if (points == 0 || ends.size() != 2) throw ScoreError(line, "'loop' looks like FIRST-LAST and needs an envelope");
    ins.envelope.loopStart = toInt(ends[0], 0, points - 1, "loop start (an envelope point)", line);
    ins.envelope.loopEnd = toInt(ends[1], ins.envelope.loopStart, points - 1, "loop end (an envelope point)", line);
  }
  if (auto v = setting("vib")) {
    const auto parts = split(*v, '/');
    if (parts.size() != 4) throw ScoreError(line, "'vib' looks like type/sweep/depth/rate");
    ins.vibrato = {static_cast<std::uint8_t>(toInt(parts[0], 0, 3, "vibrato type", line)),
                   static_cast<std::uint8_t>(toInt(parts[1], 0, 255, "vibrato sweep", line)),
                   static_cast<std::uint8_t>(toInt(parts[2], 0, 15, "vibrato depth", line)),
                   static_cast<std::uint8_t>(toInt(parts[3], 0, 63, "vibrato rate", line))};
  }
  song_.instruments.push_back(std::move(ins));
  instruments_[std::string(name)] = static_cast<int>(song_.instruments.size());
}

int Compiler::instrumentNumber(std::string_view name, int line) const {
  const auto it = instruments_.find(name);
  if (it == instruments_.end()) throw ScoreError(line, "unknown instrument " + quoted(name));
  return it->second;
}

// Flattens one line's cells: "[ ... ]*N" and "cell*N" repeat, "=name" inserts a named line, '|' is a bar line.
std::vector<Token> Compiler::lex(std::string_view text, std::size_t& pos, int line, int depth) {
  std::vector<Token> out;
  const auto add = [&](const std::vector<Token>& part, int times) {
    if (out.size() + part.size() * static_cast<std::size_t>(times) > MaxTokens)
      throw ScoreError(line, "the line repeats into too many cells");
    for (int i = 0; i < times; ++i) out.insert(out.end(), part.begin(), part.end());
  };
  const auto count = [&](std::string_view s) { return toInt(s, 1, MaxRepeat, "a repeat count", line); };
  while (true) {
    while (pos < text.size() && (isSpace(text[pos]) || text[pos] == '|')) ++pos;
    if (pos == text.size()) {
      if (depth > 0) throw ScoreError(line, "'[' without its ']'");
      return out;
    }
    if (text[pos] == ']') {
      if (depth == 0) throw ScoreError(line, "']' without its '['");
      ++pos;
      return out;
    }
    if (text[pos] == '[') {
      ++pos;
      const std::vector<Token> inner = lex(text, pos, line, depth + 1);
      const std::size_t start = pos;
      while (pos < text.size() && !isSpace(text[pos]) && text[pos] != '[' && text[pos] != ']') ++pos;
      const std::string_view suffix = text.substr(start, pos - start);
      if (suffix.size() < 2 || suffix[0] != '*') throw ScoreError(line, "a group ends with a count, like ']*4'");
      add(inner, count(suffix.substr(1)));
      continue;
    }
    const std::size_t start = pos;
    while (pos < text.size() && !isSpace(text[pos]) && text[pos] != '[' && text[pos] != ']' && text[pos] != '|') ++pos;
    std::string_view word = text.substr(start, pos - start);
    int times = 1;
    if (const std::size_t star = word.rfind('*'); star != std::string_view::npos) {
      times = count(word.substr(star + 1));
      word = word.substr(0, star);
    }
    if (word.empty()) throw ScoreError(line, "a repeat count needs a cell before it");
    if (word[0] == '=') {
      const auto it = lines_.find(word.substr(1));
      if (it == lines_.end()) throw ScoreError(line, "unknown line " + quoted(word.substr(1)));
      add(it->second, times);
    } else {
      add({Token{std::string(word), line}}, times);
    }
  }
}

// One cell: '.', '^' (key off) or a note, then any of vNN (volume), !EXX (effect), and @name (instrument) last.
Cell Compiler::cell(const Token& t, int& current) {
  std::string_view s = t.text;
  int line = t.line;
  if (const auto a = aliases_.find(s); a != aliases_.end()) s = a->second.text;
  Cell c;
  std::size_t pos = 1;
  if (s[0] == '^') {
    c.note = KeyOff;
  } else if (s.size() >= 3 && s[0] >= 'A' && s[0] <= 'G') {
    c.note = parseNote(s.substr(0, 3), line);
    pos = 3;
  } else if (s[0] != '.') {
    throw ScoreError(line, quoted(t.text) + " is not a cell: write a note (C-4, D#5), '.', '^' or an alias");
  }
  int explicitInstrument = 0;
  bool volumeGiven = false, effectGiven = false;
  while (pos < s.size()) {
    const char m = s[pos++];
    if (m == 'v' && !volumeGiven) {
      std::size_t end = pos;
      while (end < s.size() && s[end] >= '0' && s[end] <= '9') ++end;
      c.volume = static_cast<std::uint8_t>(0x10 + toInt(s.substr(pos, end - pos), 0, 64, "a volume", line));
      volumeGiven = true;
      pos = end;
    } else if (m == '!' && !effectGiven) {
      const std::string_view fx = s.substr(pos, 3);
      const std::size_t type = fx.empty() ? std::string_view::npos : Effects.find(fx[0]);
      unsigned param = 0;
      const bool hex = fx.size() == 3 && std::from_chars(fx.data() + 1, fx.data() + 3, param, 16).ptr == fx.data() + 3;
      if (type == std::string_view::npos || !hex)
        throw ScoreError(line, "bad effect in " + quoted(t.text) + " (effects look like !A04: type, two hex digits)");
      c.effect = static_cast<std::uint8_t>(fx[0] <= '9' ? fx[0] - '0' : fx[0] - 'A' + 10);
      c.param = static_cast<std::uint8_t>(param);
      effectGiven = true;
      pos += 3;
    } else if (m == '@') {
      explicitInstrument = instrumentNumber(s.substr(pos), line);
      pos = s.size();
    } else {
      throw ScoreError(line, "unexpected " + quoted(std::string(1, m)) + " in cell " + quoted(t.text));
    }
  }
  if (explicitInstrument) current = explicitInstrument;
  if (c.note >= 1 && c.note <= 96) {
    if (current == 0)
      throw ScoreError(line, "note " + quoted(t.text) + " has no instrument: name one on the channel (1 lead:) or with @");
    c.instrument = static_cast<std::uint8_t>(current);
  } else if (explicitInstrument) {
    c.instrument = static_cast<std::uint8_t>(explicitInstrument);
  }
  return c;
}

void Compiler::namedLine(std::string_view header, std::string_view body, int line) {
  if (!isIdentifier(header)) throw ScoreError(line, "line names are lower-case words, not " + quoted(header));
  if (lines_.contains(header)) throw ScoreError(line, "line " + quoted(header) + " is defined twice");
  std::size_t pos = 0;
  std::vector<Token> tokens = lex(body, pos, line, 0);
  lines_[std::string(header)] = std::move(tokens);
}

void Compiler::beginPattern(const std::vector<std::string_view>& w, int line) {
  closePattern();
  if (w.size() < 2 || w.size() > 3) throw ScoreError(line, "a pattern starts with 'pattern NAME [ROWS]'");
  if (!isPatternName(w[1])) throw ScoreError(line, "pattern names are letters, digits and '_', not " + quoted(w[1]));
  if (patterns_.contains(w[1])) throw ScoreError(line, "pattern " + quoted(w[1]) + " is defined twice");
  if (song_.patterns.size() >= 256) throw ScoreError(line, "a song has at most 256 patterns");
  patternsBegun_ = true;
  OpenPattern p;
  p.name = w[1];
  p.rows = w.size() == 3 ? toInt(w[2], 1, 256, "pattern rows", line) : 64;
  p.line = line;
  p.channels.resize(static_cast<std::size_t>(song_.channels));
  p.lastLine.assign(static_cast<std::size_t>(song_.channels), line);
  p.instrument.assign(static_cast<std::size_t>(song_.channels), 0);
  open_ = std::move(p);
}

void Compiler::channelLine(std::string_view header, std::string_view body, int line) {
  if (!open_) throw ScoreError(line, "a channel line belongs inside a pattern");
  const auto w = words(header);
  if (w.empty() || w.size() > 2) throw ScoreError(line, "a channel line looks like 'N: cells' or 'N instrument: cells'");
  const auto ch = static_cast<std::size_t>(toInt(w[0], 1, song_.channels, "the channel", line) - 1);
  int& current = open_->instrument[ch];
  if (w.size() == 2) current = instrumentNumber(w[1], line);
  std::size_t pos = 0;
  for (const Token& t : lex(body, pos, line, 0)) open_->channels[ch].push_back(cell(t, current));
  open_->lastLine[ch] = line;
  if (open_->channels[ch].size() > static_cast<std::size_t>(open_->rows))
    throw ScoreError(line, "channel " + std::to_string(ch + 1) + " of pattern " + quoted(open_->name) + " has " +
                               std::to_string(open_->channels[ch].size()) + " rows, the pattern " +
                               std::to_string(open_->rows));
}

void Compiler::closePattern() {
  if (!open_) return;
  OpenPattern p = std::move(*open_);
  open_.reset();
  const auto rows = static_cast<std::size_t>(p.rows);
  for (std::size_t ch = 0; ch < p.channels.size(); ++ch) {
    auto& cells = p.channels[ch];
    if (cells.empty()) cells.resize(rows);  // an unwritten channel stays silent
    if (cells.size() != rows)
      throw ScoreError(p.lastLine[ch], "channel " + std::to_string(ch + 1) + " of pattern " + quoted(p.name) +
                                           " has " + std::to_string(cells.size()) + " rows, the pattern " +
                                           std::to_string(rows));
  }
  Pattern out;
  out.name = p.name;
  out.rows = p.rows;
  for (std::size_t r = 0; r < rows; ++r)
    for (const auto& cells : p.channels) out.cells.push_back(cells[r]);
  patterns_[p.name] = static_cast<int>(song_.patterns.size());
  song_.patterns.push_back(std::move(out));
}

void Compiler::order(const std::vector<std::string_view>& w, int line) {
  for (std::size_t i = 1; i < w.size(); ++i) {
    std::string_view name = w[i];
    int times = 1;
    if (const std::size_t star = name.rfind('*'); star != std::string_view::npos) {
      times = toInt(name.substr(star + 1), 1, MaxRepeat, "a repeat count", line);
      name = name.substr(0, star);
    }
    const auto it = patterns_.find(name);
    if (it == patterns_.end()) throw ScoreError(line, "unknown pattern " + quoted(name));
    for (int k = 0; k < times; ++k) {
      if (song_.order.size() >= 256) throw ScoreError(line, "the order list has at most 256 entries");
      song_.order.push_back(static_cast<std::uint8_t>(it->second));
    }
  }
}

}  // namespace

Song compileScore(std::string_view text) { return Compiler().run(text); }

}  // namespace xm
