// Programs a test starts as processes of their own: with this process's environment and the
// test's changes over it, in a folder of the test's choosing, their output kept out of the
// test's own; waited for with a bound, and killed at the test's end if still running.
#pragma once

#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

extern char** environ;

class ChildProcesses {
  public:
    ChildProcesses() = default;
    ChildProcesses(const ChildProcesses&) = delete;
    ChildProcesses& operator=(const ChildProcesses&) = delete;
    ~ChildProcesses() { KillAll(); }

    // Starts `argv` (argv[0] a path) in `cwd` with this process's environment and `env` over it
    // (an empty value removes the name); its standard output goes nowhere, its standard error to
    // `err`. Its process id (0 when it could not start, which fails the test).
    pid_t Start(std::vector<std::string> argv, const std::map<std::string, std::string>& env,
                const std::string& cwd, const std::string& err = "/dev/null") {
        std::map<std::string, std::string> all;
        for (char** e = environ; *e; ++e) {
            const std::string kv = *e;
            const size_t eq = kv.find('=');
            if (eq != std::string::npos) all[kv.substr(0, eq)] = kv.substr(eq + 1);
        }
        for (const auto& [k, v] : env) {
            if (v.empty())
                all.erase(k);
            else
                all[k] = v;
        }
        std::vector<std::string> envText;
        for (const auto& [k, v] : all) envText.push_back(k + "=" + v);
        std::vector<char*> envp, args;
        for (auto& s : envText) envp.push_back(s.data());
        envp.push_back(nullptr);
        for (auto& s : argv) args.push_back(s.data());
        args.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
        // A program left behind by a failed case must not hold the test's output open.
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        pid_t pid = 0;
        const int rc =
            posix_spawn(&pid, argv[0].c_str(), &actions, nullptr, args.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        EXPECT_EQ(rc, 0) << argv[0];
        if (rc != 0) return 0;
        running_.push_back(pid);
        return pid;
    }

    // The exit code of `pid` (-1000 when a signal ended it), or -1 when it has not ended within
    // 60 s of real time: a generous bound for a loaded machine.
    int Wait(pid_t pid) {
        for (int i = 0; i < 60000; ++i) {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                std::erase(running_, pid);
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1000;
            }
            usleep(1000);
        }
        return -1;
    }

    // Kills what is still running.
    void KillAll() {
        for (pid_t p : running_) {
            kill(p, SIGKILL);
            waitpid(p, nullptr, 0);
        }
        running_.clear();
    }

  private:
    std::vector<pid_t> running_;
};
