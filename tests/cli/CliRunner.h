#pragma once
// Runs the real ivra-cli binary for the batch-tool tests.

#include "core/io/FileIO.h"

#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace ivra::testing {

struct RunResult {
    int exitCode = -1;
    std::string out, err;
};

// A path in the temporary folder unique to this test process.
inline std::string CliTempPath(const std::string& prefix, const std::string& name) {
    return (std::filesystem::temp_directory_path() /
            ("ivra_" + prefix + "_" + std::to_string(::getpid()) + "_" + name))
        .string();
}

inline std::string ReadText(const std::string& path) {
    auto b = ReadWholeFile(path);
    return std::string(b.begin(), b.end());
}

// Runs ivra-cli with these arguments (no shell involved) and collects its
// standard output, standard error and exit code.
inline RunResult RunCli(const std::vector<std::string>& args) {
    static int counter = 0;
    const std::string tag = std::to_string(++counter);
    const std::string outPath = CliTempPath("cli", tag + ".stdout");
    const std::string errPath = CliTempPath("cli", tag + ".stderr");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<std::string> all = {IVRA_CLI_PATH};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    RunResult r;
    pid_t pid = 0;
    if (posix_spawn(&pid, IVRA_CLI_PATH, &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    r.out = ReadText(outPath);
    r.err = ReadText(errPath);
    std::filesystem::remove(outPath);
    std::filesystem::remove(errPath);
    return r;
}

// The same with the arguments in one text, split at white space (the tests'
// paths hold none).
inline RunResult RunCli(const std::string& args) {
    std::istringstream in(args);
    std::vector<std::string> list;
    for (std::string a; in >> a;) list.push_back(a);
    return RunCli(list);
}

} // namespace ivra::testing
