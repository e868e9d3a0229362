// fontconfig keeps allocations of its configuration (and of application fonts
// it is told to forget) that it only frees in FcFini, which a process using
// Pango cannot call. Under LeakSanitizer they would read as leaks.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
