// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Debian's emscripten (3.1.6) ships a C++ library from before std::bit_cast, which the game's exact arithmetic
// uses; its compiler has the builtin the later library implements it with. The browser build includes this first
// in every file (dist/web/WebBuild.cmake); a library that has std::bit_cast is left as it is.
#include <version>

#if !defined(__cpp_lib_bit_cast)
namespace std {
template <class To, class From>
constexpr To bit_cast(const From& from) noexcept {
  static_assert(sizeof(To) == sizeof(From), "bit_cast needs types of one size");
  return __builtin_bit_cast(To, from);
}
}  // namespace std
#endif
