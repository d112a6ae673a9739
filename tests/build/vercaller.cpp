// A caller linked against one build of the tiny library.
extern "C" const char* VER_Name(void);
extern "C" int VER_Counter(void);

extern "C" __attribute__((visibility("default"))) const char* VERCALLER_NAME(void) {
    return VER_Name();
}
