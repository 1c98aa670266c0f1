#pragma once
// Counting one record file, or the lines a grown file gained, into its fact
// rows (records/FileFacts.h).

#include <cstdint>
#include <optional>
#include <string>

#include "dates/DateParser.h"
#include "progress/JobProgress.h"
#include "records/FileFacts.h"

namespace qz {

// What counting a file from an offset gave.
struct FileFactCount {
    // The facts of the complete lines (those with a line end) read.
    FileFacts facts;
    // The offset behind the last complete line read: where a later count of
    // the grown file starts. The header's end when there is no data line.
    std::uint64_t completeEnd = 0;
    // An unterminated last line: its found values always, its fact row only
    // when it counts (a file that changed within kQuietTime leaves it out).
    // Never kept between runs, since the line may still grow.
    FileFacts lastLine;
    // Unterminated last lines left out (0 or 1).
    std::uint64_t linesLeftOut = 0;
    // The header line, when the count started at the file's start and the
    // file had a line.
    std::optional<std::string> header;
};

// The found values of a count: the complete lines' and the last line's.
OptionValues FoundValues(const FileFactCount& count);

// Counts the record lines of path from the offset from: 0 is the file's start,
// whose first line is the header; any other offset is the start of a data line
// (a completeEnd of an earlier count). Dates are read by locale; every record
// day counts, no value is left out (a report selects from the facts). Progress
// moves by the bytes read from from on. False when cancelled (count then
// partial). Throws FileError as the text reader does (what was read before
// stays in count); a file with lines longer than TextFileReader::kMaxLineBytes
// throws after all its other lines were counted.
bool CountFileFacts(const std::string& path, const DateLocale& locale, std::uint64_t from,
                    FileProgress& progress, FileFactCount& count);

}  // namespace qz
