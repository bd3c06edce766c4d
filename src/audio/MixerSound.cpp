// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/MixerSound.h"

namespace gw::audio {

MixerSound::MixerSound(EffectVoices& voices, ModulePlayer& player)
    : effects_(voices, MaxPlayingCounts(BuiltInEffects())), music_(player) {}

}  // namespace gw::audio
