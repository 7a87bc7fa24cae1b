// A tiny library for the library-binding tests, built twice with different
// answers so that a test can tell which copy was loaded.
extern "C" __attribute__((visibility("default"))) int FixtureAnswer() { return FIXTURE_ANSWER; }
