// What the sanitizers report about libraries outside this project, compiled
// into every test program and into the programs the tests start (see
// Snapfold.cmake), so that a sanitizer build needs no settings in the
// environment. Without a sanitizer nothing calls these functions.
//
// - fontconfig loses a pattern while it parses its configuration files, once
//   per process. It has no frame pointers, so the stack the leak checker
//   records ends inside it: the library is named rather than the function.
// - pango loads fontconfig and matches and sorts fonts in threads of its own,
//   and hands their results over under glib's own locks, which the thread
//   checker cannot see (those libraries are not built for it). What the
//   threads leave in the memory of the text libraries then reads as a race;
//   a race in this project's own memory has no frame in them and is still
//   reported.

extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

extern "C" const char* __tsan_default_suppressions() {
    return "race:libglib-2.0.so\n"
           "race:libgobject-2.0.so\n"
           "race:libfontconfig.so\n"
           "race:libfreetype.so\n"
           "race:libharfbuzz.so\n"
           "race:libpango-1.0.so\n"
           "race:libpangoft2-1.0.so\n"
           "race:libpangocairo-1.0.so\n";
}
