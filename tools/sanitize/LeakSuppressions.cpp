// SPDX-License-Identifier: GPL-3.0-or-later
// Leaks the leak checker should not report in the picture tool: fontconfig's configuration and font cache,
// which the SVG renderer loads through pango and which live until the process ends. Only allocations made
// inside fontconfig are named; the game and its tests are checked without this list.

extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
