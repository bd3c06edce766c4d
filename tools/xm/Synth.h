// SPDX-License-Identifier: GPL-3.0-or-later
// The composer's instrument voices: every sample is synthesised here, deterministically.
#pragma once

#include "Song.h"

#include <map>
#include <span>
#include <string>
#include <string_view>

namespace xm {

struct VoiceParam {
  std::string_view name;
  double fallback;
  double min;
  double max;
};

// What a voice gives an instrument: its sample and the envelope it usually wants.
struct Voice {
  Sample sample;
  Envelope envelope;
  std::uint16_t fadeout = 0;
};

// The parameters a voice kind accepts; empty for an unknown kind (see knownVoice).
bool knownVoice(std::string_view kind);
std::span<const VoiceParam> voiceParams(std::string_view kind);
std::string voiceKindList();

// Builds the voice. Every parameter not given takes its fallback; the caller has checked names and ranges.
Voice synthesise(std::string_view kind, const std::map<std::string, double, std::less<>>& params);

}  // namespace xm
