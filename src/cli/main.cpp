// ivra-cli: the batch tool over the core of Ivra Image Analyser.

#include "cli/CliCommand.h"
#include "core/Error.h"
#include "core/io/FileIO.h"

#include <algorithm>
#include <cmath>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <map>
#include <signal.h>

namespace ivra::cli {

namespace {
std::vector<TCliCommandInfo>& Registry() {
    static std::vector<TCliCommandInfo> commands;
    return commands;
}
} // namespace

TCliRegistrar::TCliRegistrar(std::string name, std::string synopsis, std::string summary,
                             TCliHandler handler, int order) {
    Registry().push_back({std::move(name), std::move(synopsis), std::move(summary), std::move(handler), order});
}

const std::vector<TCliCommandInfo>& RegisteredCommands() {
    auto& r = Registry();
    std::stable_sort(r.begin(), r.end(), [](const auto& a, const auto& b) { return a.order < b.order; });
    return r;
}

void TCliTiming::Report() const {
    if (!enabled_) return;
    std::fprintf(stderr, "read: %.1f ms\nprocess: %.1f ms\nwrite: %.1f ms\n", readMs_, processMs_, writeMs_);
}

int ParseInt(const std::string& text, const char* what) {
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno == ERANGE || v < -2147483647L || v > 2147483647L)
        throw TCliUsageError(std::string("not a whole number for ") + what + ": " + text);
    return int(v);
}

double ParseDouble(const std::string& text, const char* what) {
    char* end = nullptr;
    errno = 0;
    double v = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0')
        throw TCliUsageError(std::string("not a number for ") + what + ": " + text);
    // Out of range: a number all the same, but one that cannot be used.
    if (errno == ERANGE)
        throw TCliUsageError(std::string(std::fabs(v) < 1 ? "number too small to use for " : "number too large for ") +
                             what + ": " + text);
    return v;
}

std::string TakeOption(std::vector<std::string>& args, const std::string& name, const std::string& fallback) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == name) {
            if (i + 1 >= args.size()) throw TCliUsageError(name + " needs a value");
            std::string v = args[i + 1];
            args.erase(args.begin() + long(i), args.begin() + long(i) + 2);
            return v;
        }
    }
    return fallback;
}

bool TakeFlag(std::vector<std::string>& args, const std::string& name) {
    auto it = std::find(args.begin(), args.end(), name);
    if (it == args.end()) return false;
    args.erase(it);
    return true;
}

void ExpectArgs(const std::vector<std::string>& args, std::size_t n) {
    for (const auto& a : args)
        if (a.size() > 2 && a.rfind("--", 0) == 0) throw TCliUsageError("unknown option " + a);
    if (args.size() != n) throw TCliUsageError("wrong number of arguments");
}

} // namespace ivra::cli

namespace {

// Interrupted (Ctrl+C, kill, the terminal closed): the temporary file of a
// write in progress is removed, then the signal takes its ordinary course
// (SA_RESETHAND has restored the default action, so the raised signal ends
// the program once the handler returns).
extern "C" void OnTerminatingSignal(int signal) {
    ivra::RemovePendingTemporaryFiles();
    ::raise(signal);
}

void InstallSignalHandlers() {
    const int signals[] = {SIGINT, SIGTERM, SIGHUP};
    struct sigaction action {};
    action.sa_handler = OnTerminatingSignal;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (int signal : signals) sigaddset(&action.sa_mask, signal);
    for (int signal : signals) {
        // A signal the caller chose to ignore (nohup, a background job) stays ignored.
        struct sigaction old {};
        if (::sigaction(signal, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
        ::sigaction(signal, &action, nullptr);
    }
}

void PrintUsage(std::ostream& os) {
    os << "Usage: ivra-cli COMMAND [ARGUMENTS]\n\nCommands:\n";
    for (const auto& c : ivra::cli::RegisteredCommands()) {
        os << "  " << c.synopsis << "\n";
        if (!c.summary.empty()) os << "      " << c.summary << "\n";
    }
    os << "\nCommands that read an image accept --timing, which prints the time spent\n"
          "reading, processing and writing to standard error.\n"
          "\nBatch options of info, colors, stats and freq, which take any number of\n"
          "images and folders (a folder: its image files sorted by name):\n"
          "  --recursive   also the images in the folders' sub-folders\n"
          "  --csv         CSV (RFC 4180) with a header line instead of the tab grid\n"
          "  -j N          N files at once (default: the number of cores)\n"
          "  --fail-fast   stop at the first file that fails\n"
          "A bad file is reported on standard error and the others are measured;\n"
          "the exit code is then 1.\n";
}

} // namespace

int main(int argc, char** argv) {
    using namespace ivra::cli;
    InstallSignalHandlers();
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        PrintUsage(std::cerr);
        return 2;
    }
    if (args[0] == "--version") {
        std::cout << "ivra-cli (Ivra Image Analyser) " IVRA_VERSION "\n";
        return 0;
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        PrintUsage(std::cout);
        return 0;
    }
    const auto& commands = RegisteredCommands();
    auto it = std::find_if(commands.begin(), commands.end(), [&](const auto& c) { return c.name == args[0]; });
    if (it == commands.end()) {
        std::cerr << "ivra-cli: unknown command \"" << args[0] << "\"\n\n";
        PrintUsage(std::cerr);
        return 2;
    }
    TCliContext ctx;
    ctx.args.assign(args.begin() + 1, args.end());
    ctx.timing = TakeFlag(ctx.args, "--timing");
    try {
        return it->handler(ctx);
    } catch (const TCliUsageError& e) {
        std::cerr << "ivra-cli " << it->name << ": " << e.what() << "\nUsage: ivra-cli " << it->synopsis << "\n";
        return 2;
    } catch (const ivra::Error& e) {
        std::cerr << e.what() << "\n";
        return 1;
    } catch (const std::bad_alloc&) {
        std::cerr << "Out of memory\n";
        return 1;
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
}
