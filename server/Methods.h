// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The methods each path is served with. The transport answers any other with 405 and the list, before it reads a
// byte of a body: the one body the server takes is a recorded game's, and only that path's POST is read.

#include <string_view>

namespace gw::scores {

// The methods served at the target's path, as an Allow header lists them.
std::string_view MethodsAllowed(std::string_view target);

// Whether the target's path is served with `method` (methods are case-sensitive).
bool MethodAllowed(std::string_view target, std::string_view method);

}  // namespace gw::scores
