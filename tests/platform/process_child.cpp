// The program the process tests start: it writes what it was given into the runtime folder
// (child-<pid>.txt) and ends with the code its arguments ask for ("exit=N"); "wait" keeps it
// running until it is terminated.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR cmdLine, int) {
    const char* dir = getenv("WYN_RUNTIME_DIR");
    std::string path = std::string(dir ? dir : "/tmp") + "/child-" +
                       std::to_string(GetCurrentProcessId()) + ".txt";
    std::string tmp = path + ".part";
    FILE* f = fopen(tmp.c_str(), "wb");
    if (f) {
        char cwd[1024] = {};
        GetCurrentDirectoryA(sizeof cwd, cwd);
        fprintf(f, "line=[%s]\ncmd=[%s]\ncwd=[%s]\ntid=%u\n", GetCommandLineA(), cmdLine, cwd,
                static_cast<unsigned>(GetCurrentThreadId()));
        fclose(f);
        rename(tmp.c_str(), path.c_str());  // the test sees the whole file or none
    }
    if (strstr(cmdLine, "wait")) {
        for (;;) pause();
    }
    const char* exitArg = strstr(cmdLine, "exit=");
    return exitArg ? atoi(exitArg + 5) : 0;
}
