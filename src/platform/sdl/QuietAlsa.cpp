// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/sdl/QuietAlsa.h"

#ifdef GW_HAVE_ALSA
#include <alsa/asoundlib.h>
#endif

namespace gw::platform::sdl {

#ifdef GW_HAVE_ALSA
namespace {
// SDL opens the same libasound that the game links, so its handler is the one that counts.
void Discard(const char*, int, const char*, int, const char*, ...) {}
}  // namespace

QuietAlsa::QuietAlsa() { snd_lib_error_set_handler(&Discard); }
// The library's own handler again (printing to stderr).
QuietAlsa::~QuietAlsa() { snd_lib_error_set_handler(nullptr); }
#else
// No ALSA on this platform: nothing to quiet.
QuietAlsa::QuietAlsa() = default;
QuietAlsa::~QuietAlsa() = default;
#endif

}  // namespace gw::platform::sdl
