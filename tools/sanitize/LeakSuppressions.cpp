// Leaks the leak checker should not report: memory that the SVG, font and GLib libraries keep for the life of
// the process (caches, type registrations, fontconfig's configuration) and never free. Only frames inside those
// libraries are named, so a leak of our own still fails the build.

extern "C" const char* __lsan_default_suppressions() {
  return "leak:librsvg-2.so\n"
         "leak:libcairo.so\n"
         "leak:libpango\n"
         "leak:libfontconfig.so\n"
         "leak:libglib-2.0.so\n"
         "leak:libgobject-2.0.so\n"
         "leak:libgio-2.0.so\n";
}
