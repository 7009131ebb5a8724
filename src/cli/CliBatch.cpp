// The batch layer of ivra-cli: folders, threads, ordered output, CSV,
// progress and errors for the commands that measure one file at a time.

#include "cli/CliBatch.h"

#include "core/Error.h"
#include "core/codecs/ImageFiles.h"
#include "core/processing/PixelLoops.h"
#include "core/text/TextGrid.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <mutex>
#include <new>
#include <optional>
#include <thread>
#include <unistd.h>

namespace ivra::cli {

namespace fs = std::filesystem;

TBatchOptions TakeBatchOptions(std::vector<std::string>& args) {
    TBatchOptions o;
    o.csv = TakeFlag(args, "--csv");
    o.recursive = TakeFlag(args, "--recursive");
    o.failFast = TakeFlag(args, "--fail-fast");
    std::string jobs;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "-j" || a == "--jobs") {
            if (i + 1 >= args.size()) throw TCliUsageError(a + " needs a value");
            jobs = args[i + 1];
            args.erase(args.begin() + long(i), args.begin() + long(i) + 2);
            --i;
        } else if (a.size() > 2 && a.rfind("-j", 0) == 0) {
            jobs = a.substr(2);
            args.erase(args.begin() + long(i));
            --i;
        }
    }
    if (!jobs.empty()) {
        o.jobs = ParseInt(jobs, "-j");
        if (o.jobs < 1) throw TCliUsageError("-j must be 1 or more: " + jobs);
    }
    return o;
}

namespace {

bool IsImageName(const fs::path& p) { return FormatFromExtension(p.extension().string()) != TImageFormat::Unknown; }

void AddFolder(const fs::path& folder, bool recursive, std::vector<std::string>& out) {
    std::vector<fs::directory_entry> entries;
    try {
        for (const auto& e : fs::directory_iterator(folder)) entries.push_back(e);
    } catch (const fs::filesystem_error& e) {
        throw Error("Cannot read the folder \"" + folder.string() + "\": " + e.code().message());
    }
    std::sort(entries.begin(), entries.end(),
              [](const auto& a, const auto& b) { return a.path().filename().string() < b.path().filename().string(); });
    for (const auto& e : entries) {
        std::error_code ec;
        if (e.is_directory(ec)) {
            // A link to a folder is not followed: it could lead back up.
            if (recursive && !e.is_symlink(ec)) AddFolder(e.path(), recursive, out);
        } else if (IsImageName(e.path())) {
            out.push_back(e.path().string());
        }
    }
}

} // namespace

std::vector<std::string> ExpandImageArguments(const std::vector<std::string>& args, bool recursive) {
    std::vector<std::string> files;
    for (const std::string& a : args) {
        std::error_code ec;
        if (fs::is_directory(a, ec))
            AddFolder(a, recursive, files);
        else
            files.push_back(a); // a missing or unreadable file fails when it is read
    }
    return files;
}

std::string CsvRecord(const std::vector<std::string>& fields) {
    std::string out;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) out += ',';
        const std::string& f = fields[i];
        if (f.find_first_of(",\"\r\n") == std::string::npos) {
            out += f;
            continue;
        }
        out += '"';
        for (char c : f) {
            if (c == '"') out += '"';
            out += c;
        }
        out += '"';
    }
    out += "\r\n";
    return out;
}

namespace {

// The outcome of one file.
struct TFileOutcome {
    TBatchRows rows;
    std::string error; // empty when the file was measured
};

// The message of a bad file, naming the file when the reason does not.
std::string FileError(const std::string& path, const std::string& what) {
    if (what.find(path) != std::string::npos) return what;
    return path + ": " + what;
}

// The table rows of one file: its rows, each after the file's name when the
// command has a file column.
std::vector<std::vector<std::string>> TableRows(const TBatchCommand& command, const std::string& path,
                                                std::vector<std::vector<std::string>> rows) {
    if (command.fileColumn)
        for (auto& row : rows) row.insert(row.begin(), path);
    return rows;
}

// Rows as text: CSV records, or the tab grid writer's rows (each cell
// followed by a tab, CR LF after each row).
std::string RowsText(const std::vector<std::vector<std::string>>& rows, bool csv) {
    std::string out;
    for (const auto& row : rows) {
        if (csv) {
            out += CsvRecord(row);
            continue;
        }
        for (const auto& c : row) {
            out += c;
            out += '\t';
        }
        out += "\r\n";
    }
    return out;
}

void AppendRows(TTextGrid& grid, const std::vector<std::vector<std::string>>& rows) {
    for (const auto& row : rows) {
        const int r = grid.RowCount();
        grid.SetSize(std::max(grid.ColCount(), int(row.size())), r + 1);
        for (std::size_t c = 0; c < row.size(); ++c) grid.SetCell(int(c), r, row[c]);
    }
}

// The progress line on standard error: files done of the total, the rate and
// the time left; only when standard error is a terminal.
class TProgress {
public:
    explicit TProgress(std::size_t total)
        : total_(total), shown_(::isatty(2) == 1), start_(std::chrono::steady_clock::now()) {}
    void Show(std::size_t done) {
        if (!shown_) return;
        const auto now = std::chrono::steady_clock::now();
        // At most ten times a second, and always the last file.
        if (visible_ && done < total_ && now - lastShown_ < std::chrono::milliseconds(100)) return;
        lastShown_ = now;
        const double s = std::chrono::duration<double>(now - start_).count();
        const double rate = s > 0 ? double(done) / s : 0.0;
        char left[32] = "?";
        if (rate > 0) {
            const long secs = long(double(total_ - done) / rate + 0.5);
            std::snprintf(left, sizeof left, "%ld:%02ld", secs / 60, secs % 60);
        }
        std::fprintf(stderr, "\r\033[K%zu/%zu files, %.1f files/s, %s left", done, total_, rate, left);
        std::fflush(stderr);
        visible_ = true;
    }
    // Removes the line (before an error message and at the end).
    void Clear() {
        if (!visible_) return;
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
        visible_ = false;
    }

private:
    std::size_t total_;
    bool shown_;
    bool visible_ = false;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point lastShown_;
};

// Output that did not reach its file (a full disk) is a failure.
void FlushOutput() {
    std::cout.flush();
    if (std::fflush(stdout) != 0 || std::ferror(stdout) || !std::cout)
        throw Error(std::string("Cannot write the output: ") + std::strerror(errno));
}

} // namespace

int RunBatch(const TCliContext& ctx, const TBatchOptions& options, const TBatchCommand& command) {
    for (const auto& a : ctx.args)
        if (a.size() > 2 && a.rfind("--", 0) == 0) throw TCliUsageError("unknown option " + a);
    if (ctx.args.empty()) throw TCliUsageError("no image given");
    if (options.csv && command.html) throw TCliUsageError("--csv and --html exclude each other");

    // One file named alone prints what the command always printed for it.
    std::error_code ec;
    if (ctx.args.size() == 1 && !options.csv && !fs::is_directory(ctx.args[0], ec)) {
        TCliTiming timing(ctx.timing);
        const TBatchRows rows = command.measure(ctx.args[0], timing);
        timing.Write([&] {
            if (!rows.line.empty()) {
                std::cout << rows.line << "\n";
                return;
            }
            TTextGrid grid;
            AppendRows(grid, {command.header});
            AppendRows(grid, rows.rows);
            std::cout << (command.html ? GridToHTMLString(grid) : GridToTextString(grid));
        });
        FlushOutput();
        return 0;
    }

    const std::vector<std::string> files = ExpandImageArguments(ctx.args, options.recursive);
    if (files.empty())
        throw Error(ctx.args.size() == 1 ? ctx.args[0] + ": no image files in the folder"
                                         : std::string("no image files in the folders given"));
    const std::size_t n = files.size();
    std::size_t jobs = options.jobs > 0 ? std::size_t(options.jobs) : std::max(1u, std::thread::hardware_concurrency());
    jobs = std::min(jobs, n);
    // The files' own pixel loops share the cores left over (the results are
    // the same on any number of threads).
    if (jobs > 1) SetProcessingThreads(std::max(1, ProcessingThreads() / int(jobs)));

    std::vector<std::optional<TFileOutcome>> outcomes(n);
    std::mutex mutex;
    std::condition_variable ready;
    std::atomic<std::size_t> next{0};
    std::atomic<std::size_t> stopAfter{n}; // with --fail-fast: the first failed file
    TCliTiming total(ctx.timing);

    auto worker = [&] {
        TCliTiming mine(false);
        for (;;) {
            const std::size_t i = next.fetch_add(1);
            if (i >= n || i > stopAfter.load()) break;
            TFileOutcome outcome;
            try {
                outcome.rows = command.measure(files[i], mine);
            } catch (const Error& e) {
                outcome.error = FileError(files[i], e.what());
            } catch (const std::bad_alloc&) {
                outcome.error = files[i] + ": out of memory";
            } catch (const std::exception& e) {
                outcome.error = FileError(files[i], e.what());
            }
            if (!outcome.error.empty() && options.failFast) {
                std::size_t s = stopAfter.load();
                while (i < s && !stopAfter.compare_exchange_weak(s, i)) {
                }
            }
            std::lock_guard lock(mutex);
            outcomes[i] = std::move(outcome);
            ready.notify_all();
        }
        std::lock_guard lock(mutex);
        total.Add(mine);
    };
    std::vector<std::thread> threads;
    threads.reserve(jobs);
    for (std::size_t t = 0; t < jobs; ++t) threads.emplace_back(worker);

    // The results are written in the order of the files, each as soon as it
    // and all before it are done; HTML needs the whole table first.
    TTextGrid htmlGrid;
    auto emit = [&](const std::vector<std::vector<std::string>>& rows) {
        if (command.html) {
            AppendRows(htmlGrid, rows);
            return;
        }
        const std::string text = RowsText(rows, options.csv);
        total.Write([&] { std::fwrite(text.data(), 1, text.size(), stdout); });
    };
    emit(TableRows(command, "File", {command.header}));
    TProgress progress(n);
    bool anyFailed = false;
    for (std::size_t i = 0; i < n && i <= stopAfter.load(); ++i) {
        TFileOutcome outcome;
        {
            std::unique_lock lock(mutex);
            while (!outcomes[i]) {
                if (!ready.wait_for(lock, std::chrono::milliseconds(200), [&] { return outcomes[i].has_value(); })) {
                    lock.unlock();
                    progress.Show(i);
                    lock.lock();
                }
            }
            outcome = std::move(*outcomes[i]);
            outcomes[i].reset();
        }
        if (!outcome.error.empty()) {
            progress.Clear();
            std::fflush(stdout);
            std::cerr << outcome.error << "\n";
            anyFailed = true;
            if (options.failFast) break;
            continue;
        }
        emit(TableRows(command, files[i], std::move(outcome.rows.rows)));
        progress.Show(i + 1);
    }
    for (auto& t : threads) t.join();
    progress.Clear();
    if (command.html) total.Write([&] { std::fputs(GridToHTMLString(htmlGrid).c_str(), stdout); });
    FlushOutput();
    return anyFailed ? 1 : 0;
}

} // namespace ivra::cli
