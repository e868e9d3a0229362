// Fontconfig keeps its configuration and font patterns for the life of the
// process and never frees them; that is not a leak of ours. The hook is
// read by LeakSanitizer in sanitizer builds and unused otherwise.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
