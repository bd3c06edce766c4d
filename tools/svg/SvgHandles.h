// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Owning pointers for the librsvg and cairo handles that the picture tools render with.

#include <cairo.h>
#include <librsvg/rsvg.h>

#include <memory>

#include "platform/Deleter.h"

namespace gw::svg {

using platform::Deleter;

using HandlePtr = std::unique_ptr<RsvgHandle, Deleter<g_object_unref>>;
using ErrorPtr = std::unique_ptr<GError, Deleter<g_error_free>>;
using SurfacePtr = std::unique_ptr<cairo_surface_t, Deleter<cairo_surface_destroy>>;
using CairoPtr = std::unique_ptr<cairo_t, Deleter<cairo_destroy>>;

}  // namespace gw::svg
