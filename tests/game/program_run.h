// A program of the set run by a test, bounded and explained: the run's own program folder (the
// build's files linked, the settings copied, the stages made anew), one run under an inner time
// limit with its trace, message boxes and stderr kept, and on failure what a CI log needs (exit
// code, real time, the last lines of the trace and of stderr).
#pragma once

#include <sys/wait.h>
#include <time.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>

#include "../common/program_output.h"
#include "../common/run_folder.h"
#include "standby_client.h"

namespace programrun {

// A program folder of a run's own at `folder`: everything of the build's program folder `bin`
// linked, but krn2.ini and config.ini copied (the engine and the game write them back), no
// stage records, and port\rjtt linked file by file without its scenarios (made by the test)
// and without the names in `leave` (files of port\rjtt the test replaces).
inline void MakeProgramFolder(const std::string& bin, const std::string& folder,
                              const std::set<std::string>& leave = {}) {
    namespace fs = std::filesystem;
    fs::create_directories(folder + "/port/rjtt/scenario");
    LinkBuildFolder(bin, folder, {"port", "stage"});
    for (const auto& e : fs::directory_iterator(bin + "/port"))
        if (e.path().filename() != "rjtt")
            fs::create_symlink(e.path(), folder + "/port/" + e.path().filename().string());
    for (const auto& e : fs::directory_iterator(bin + "/port/rjtt")) {
        const std::string name = e.path().filename().string();
        if (name != "scenario" && !leave.count(name))
            fs::create_symlink(e.path(), folder + "/port/rjtt/" + name);
    }
}

// The lines of `text` that begin with `prefix`, each with its newline.
inline std::string Lines(const std::string& text, const std::string& prefix) {
    std::string out;
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        if (text.compare(at, prefix.size(), prefix) == 0) out += text.substr(at, end - at) + "\n";
        at = end + 1;
    }
    return out;
}

// The flow of a stage in a game trace: the scripts loaded ("script"), every phase change of an
// aircraft ("phase" with two words after it) and every change of a status word ("status"), in
// order, each line with its newline. The expected flows of the sample stages are these lines
// (grep -E '^(phase [0-9]+ |status |script )').
inline std::string FlowLines(const std::string& trace) {
    std::string flow;
    std::istringstream lines(trace);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream w(line);
        std::string word, first, second;
        w >> word >> first >> second;
        if (word == "script" || word == "status" || (word == "phase" && !second.empty()))
            flow += line + "\n";
    }
    return flow;
}

// The script host of the folder replaced by the tests' stand-in (`standin`, game_standin): it
// opens a "Veskeran33" window, writes its command line to standin.txt of the runtime folder and
// stays until a file named as its command line exists in the program folder.
inline void PutScriptHostStandIn(const std::string& folder, const std::string& standin) {
    std::filesystem::remove(folder + "/vsk33");
    std::filesystem::create_symlink(standin, folder + "/vsk33");
}
inline void ReleaseScriptHostStandIn(const std::string& folder, const std::string& line) {
    std::ofstream(folder + "/" + line) << "";
}

// The programs a run leaves: the stand-in script host released, the stand-by window that
// launched it closed (it waits for messages that no other program of the set sends here). Call
// with WYN_RUNTIME_DIR set to the run's runtime folder.
inline void EndHandOver(const std::string& folder, const std::string& line) {
    ReleaseScriptHostStandIn(folder, line);
    StandBy_End();
}

struct Result {
    int code = -1;        // the exit code; 124 when the time limit cut the run
    std::string trace;    // WYN_GAME_TRACE
    std::string boxes;    // WYN_MSGBOX_LOG
    std::string err;      // stderr
    std::string explain;  // exit code, real time, the ends of the trace and of stderr
};

// Runs `program args` in `folder` (its current folder and program folder) with `env` and a
// time limit of `limit` seconds; `tag` names the trace, box log and stderr files beside it
// (`tag` + ".trace" ...). `wrap` (may be empty) is a command that runs the rest (xvfb-run).
inline Result Run(const std::string& folder, const std::string& tag, const std::string& wrap,
                  const std::string& env, const std::string& program, const std::string& args,
                  int limit = 100) {
    const std::string cmd = "cd '" + folder + "' && " + wrap + " env -u WYN_HEADLESS" +
                            " WYN_PROGRAM_DIR='" + folder + "' WYN_GAME_TRACE='" + tag +
                            ".trace' WYN_MSGBOX_LOG='" + tag + ".boxes' " + env + " timeout " +
                            std::to_string(limit) + " '" + program + "' " + args + " >'" + tag +
                            ".out' 2>'" + tag + ".err'";
    std::filesystem::remove(tag + ".trace");
    std::filesystem::remove(tag + ".boxes");
    const long start = MonotonicMs();
    const int status = std::system(cmd.c_str());
    const long took = MonotonicMs() - start;
    Result r;
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.trace = ReadText(tag + ".trace");
    r.boxes = ReadText(tag + ".boxes");
    r.err = ReadText(tag + ".err");
    r.explain = "run of " + std::to_string(took) + " ms real time, exit " + std::to_string(r.code) +
                " (124: cut by its " + std::to_string(limit) +
                " s limit)\n--- trace, last lines:\n" + Tail(r.trace) + "--- message boxes:\n" +
                Tail(r.boxes, 10) + "--- stderr, last lines:\n" + Tail(r.err);
    return r;
}

}  // namespace programrun
