#pragma once
// Command registration and shared helpers of ivra-cli.
//
// Each cli/*.cpp file registers its commands with a static TCliRegistrar; the
// main program looks them up by name. A command handler returns the exit
// code; it throws ivra::Error for a failure (exit code 1, message on standard
// error) and TCliUsageError for a wrong command line (usage, exit code 2).

#include <chrono>
#include <functional>
#include <iosfwd>
#include <stdexcept>
#include <string>
#include <vector>

namespace ivra::cli {

class TCliUsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The arguments after the command name, with the common options removed.
struct TCliContext {
    std::vector<std::string> args;
    bool timing = false; // --timing: report read, process and write times
};

using TCliHandler = std::function<int(TCliContext&)>;

struct TCliCommandInfo {
    std::string name;
    std::string synopsis; // e.g. "convert IN OUT"
    std::string summary;  // one line for the usage text
    TCliHandler handler;
    int order = 0; // position in the usage listing
};

struct TCliRegistrar {
    TCliRegistrar(std::string name, std::string synopsis, std::string summary, TCliHandler handler,
                  int order = 100);
};

const std::vector<TCliCommandInfo>& RegisteredCommands();

// Measures the three phases of a command that reads an image. Each phase adds
// its time; Report() prints "read: 12.3 ms" and so on to standard error when
// --timing was given.
class TCliTiming {
public:
    explicit TCliTiming(bool enabled) : enabled_(enabled) {}
    template <class F>
    auto Read(F&& f) { return Measure(readMs_, std::forward<F>(f)); }
    template <class F>
    auto Process(F&& f) { return Measure(processMs_, std::forward<F>(f)); }
    template <class F>
    auto Write(F&& f) { return Measure(writeMs_, std::forward<F>(f)); }
    void Report() const;
    // Adds the times of another measurement (the files of a batch).
    void Add(const TCliTiming& other) {
        readMs_ += other.readMs_;
        processMs_ += other.processMs_;
        writeMs_ += other.writeMs_;
    }
    ~TCliTiming() { Report(); }

private:
    template <class F>
    auto Measure(double& acc, F&& f) {
        auto t0 = std::chrono::steady_clock::now();
        struct Add {
            double& acc;
            std::chrono::steady_clock::time_point t0;
            ~Add() {
                acc += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
            }
        } add{acc, t0};
        return f();
    }
    bool enabled_;
    double readMs_ = 0, processMs_ = 0, writeMs_ = 0;
};

// Parses a whole number or a real, throwing TCliUsageError naming the option.
int ParseInt(const std::string& text, const char* what);
double ParseDouble(const std::string& text, const char* what);

// Removes "--name VALUE" from args and returns VALUE, or returns fallback.
std::string TakeOption(std::vector<std::string>& args, const std::string& name,
                       const std::string& fallback = std::string());
// Removes a "--name" switch from args and tells whether it was there.
bool TakeFlag(std::vector<std::string>& args, const std::string& name);
// Throws TCliUsageError unless args has exactly n entries, or no option left.
void ExpectArgs(const std::vector<std::string>& args, std::size_t n);

} // namespace ivra::cli
