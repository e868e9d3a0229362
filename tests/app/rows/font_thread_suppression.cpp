// Pango starts fontconfig on a thread of its own ("[pango] FcInit") and hands
// the result over with glib's locks, which ThreadSanitizer cannot see in the
// uninstrumented libraries; the races it reports there are not ours. Read by
// ThreadSanitizer in sanitizer builds and unused otherwise.
extern "C" const char* __tsan_default_suppressions() {
  return "race:libfontconfig.so\n"
         "race:libglib-2.0.so\n"
         "race:libpango-1.0.so\n"
         "race:libpangoft2-1.0.so\n";
}
