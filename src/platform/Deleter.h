// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The deleter of an owning pointer to a C library's handle: it calls the library's own release function.
//   using FilePtr = std::unique_ptr<FILE, gw::platform::Deleter<std::fclose>>;

namespace gw::platform {

template <auto Destroy>
struct Deleter {
  template <typename T>
  void operator()(T* p) const {
    if (p) Destroy(p);
  }
};

}  // namespace gw::platform
