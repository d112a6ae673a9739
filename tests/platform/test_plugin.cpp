// A tiny plug-in loaded by its ".dll" file name. Built twice (PLUGIN_VALUE 1 and 2): both export
// the same names, and each caller must reach the build it loaded.
#define PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))

PLUGIN_EXPORT int PlugValue() { return PLUGIN_VALUE; }
// Names callers may ask for in decorated form ("_Stdcall@8", "?Cpp@@YAHXZ", "_Plain").
PLUGIN_EXPORT int Stdcall(int a, int b) { return a + b; }
PLUGIN_EXPORT int Cpp() { return 30; }
PLUGIN_EXPORT int Plain() { return 40; }
// Both spellings exported: the exact name must win over the plain one.
PLUGIN_EXPORT int _Under() { return 50; }
PLUGIN_EXPORT int Under() { return 51; }
