#pragma once
// The batch layer of ivra-cli: one command over many files and folders.
//
// A command that measures one file at a time (info, colors, stats, freq)
// hands its per-file computation to RunBatch, which expands folders, runs the
// files on -j N threads, writes the results in the order given (the tab grid,
// --html or --csv), shows progress on a terminal and goes on past a bad file.
// A single file named on the command line without --csv prints exactly what
// the command printed before it learned batches.

#include "cli/CliCommand.h"

#include <functional>
#include <string>
#include <vector>

namespace ivra::cli {

// What one file adds: its table rows and, for a command that prints one
// line for a single file (info, colors), that line without its end.
struct TBatchRows {
    std::vector<std::vector<std::string>> rows;
    std::string line;
};

struct TBatchCommand {
    std::vector<std::string> header; // the table's header cells
    bool fileColumn = false;         // the table starts each row with the file's name
    bool html = false;               // --html: the table as an HTML fragment
    // Reads and measures one file; throws ivra::Error for a bad file. Runs
    // on several threads at once, so it touches nothing shared.
    std::function<TBatchRows(const std::string& path, TCliTiming& timing)> measure;
};

// The batch options: --csv, --recursive, --fail-fast and -j N (also -jN and
// --jobs N; default the number of cores).
struct TBatchOptions {
    bool csv = false;
    bool recursive = false;
    bool failFast = false;
    int jobs = 0;
};

// Removes the batch options from args.
TBatchOptions TakeBatchOptions(std::vector<std::string>& args);

// The files the arguments stand for, in order: a file as it is, a folder as
// its image files sorted by name (with recursive also those of its
// sub-folders, each where its name sorts). Throws ivra::Error for a folder
// it cannot read.
std::vector<std::string> ExpandImageArguments(const std::vector<std::string>& args, bool recursive);

// Runs the command over the files (ctx.args, with every option already
// taken). Returns the exit code: 0, or 1 when any file failed.
int RunBatch(const TCliContext& ctx, const TBatchOptions& options, const TBatchCommand& command);

// One CSV record (RFC 4180): fields joined by commas, a field holding a
// comma, a quote, CR or LF quoted with its quotes doubled, ended by CR LF.
std::string CsvRecord(const std::vector<std::string>& fields);

} // namespace ivra::cli
