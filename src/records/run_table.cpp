// The table's order and text. Reading is strict: a table that is not exactly what the game wrote
// (or what a careful person could write) is called damaged, never half-read.
#include "records/run_table.h"

#include <algorithm>
#include <charconv>

namespace records {
namespace {

constexpr int formatVersion = 1;
constexpr std::string_view headerStart = "ghoulrun best runs, version ";
constexpr std::string_view columnsLine = "# game-ms defeated date scene";
constexpr char commentStart = '#';
constexpr std::string_view fieldGaps = " \t";
constexpr int fieldsPerRun = 4;
// "YYYY-MM-DDTHH:MM:SS": where each separator stands, the rest being digits.
constexpr std::string_view dateShape = "0000-00-00T00:00:00";
// Each number of the date: where it starts, its length, and its range (60 is a leap second).
struct DateNumber {
    std::size_t at, length;
    unsigned low, high;
};
constexpr DateNumber dateNumbers[] = {
    {5, 2, 1, 12}, {8, 2, 1, 31}, {11, 2, 0, 23}, {14, 2, 0, 59}, {17, 2, 0, 60}};

// Digits only, with no sign, and within the number's range.
template <class Number> bool readNumber(std::string_view text, Number& number) {
    const char* end = text.data() + text.size();
    const auto [stop, problem] = std::from_chars(text.data(), end, number);
    return !text.empty() && text.front() != '-' && problem == std::errc() && stop == end;
}

bool isDate(std::string_view text) {
    if (text.size() != dateShape.size()) {
        return false;
    }
    for (std::size_t at = 0; at < text.size(); ++at) {
        const bool digitHere = dateShape[at] == '0';
        const bool isDigit = text[at] >= '0' && text[at] <= '9';
        if (digitHere != isDigit || (!digitHere && text[at] != dateShape[at])) {
            return false;
        }
    }
    return std::all_of(std::begin(dateNumbers), std::end(dateNumbers), [&](const DateNumber& part) {
        unsigned value = 0;
        readNumber(text.substr(part.at, part.length), value);
        return value >= part.low && value <= part.high;
    });
}

std::vector<std::string_view> fieldsOf(std::string_view line) {
    std::vector<std::string_view> fields;
    for (std::size_t start = line.find_first_not_of(fieldGaps); start != std::string_view::npos;
         start = line.find_first_not_of(fieldGaps, start)) {
        const std::size_t end = std::min(line.find_first_of(fieldGaps, start), line.size());
        fields.push_back(line.substr(start, end - start));
        start = end;
    }
    return fields;
}

// Reads one run's line into `run`; says what is wrong with it, or nothing.
std::string readRun(std::string_view line, Run& run) {
    const std::vector<std::string_view> fields = fieldsOf(line);
    if (fields.size() != fieldsPerRun) {
        return "not the " + std::to_string(fieldsPerRun) + " fields of a run";
    }
    if (!readNumber(fields[0], run.gameMs)) {
        return "bad game time";
    }
    if (!readNumber(fields[1], run.defeated)) {
        return "bad count of enemies defeated";
    }
    if (!isDate(fields[2])) {
        return "bad date";
    }
    if (fields[3] != cityScene && fields[3] != undergroundScene) {
        return "unknown scene";
    }
    run.when = fields[2];
    run.scene = fields[3];
    return {};
}

// Control bytes other than the line ends and the gaps between fields (a NUL, a carriage return)
// come of damage, not of the game or of a text editor on this system.
bool isText(std::string_view text) {
    return std::none_of(text.begin(), text.end(), [](char byte) {
        return static_cast<unsigned char>(byte) < ' ' && byte != '\n' && byte != '\t';
    });
}

// What is wrong with the header line, or nothing.
std::string readHeader(std::string_view line) {
    int version = 0;
    if (!line.starts_with(headerStart) || !readNumber(line.substr(headerStart.size()), version)) {
        return "not a table of best runs";
    }
    if (version != formatVersion) {
        return "version " + std::to_string(version) + " is not one this game reads";
    }
    return {};
}

// The table's whole text, shape first; the runs as read so far in `runs`.
std::string readTable(std::string_view text, std::vector<Run>& runs) {
    if (text.empty()) {
        return "empty";
    }
    if (!isText(text)) {
        return "holds bytes that are not text";
    }
    if (text.back() != '\n') {
        return "cut short";
    }
    std::size_t lineStart = text.find('\n') + 1;
    if (std::string header = readHeader(text.substr(0, lineStart - 1)); !header.empty()) {
        return header;
    }
    for (int lineNumber = 2; lineStart < text.size(); ++lineNumber) {
        const std::size_t lineEnd = text.find('\n', lineStart);
        const std::string_view line = text.substr(lineStart, lineEnd - lineStart);
        lineStart = lineEnd + 1;
        if (fieldsOf(line).empty() || line.front() == commentStart) {
            continue;
        }
        if (std::string problem = readRun(line, runs.emplace_back()); !problem.empty()) {
            return "line " + std::to_string(lineNumber) + ": " + problem;
        }
    }
    return {};
}

} // namespace

bool isBetter(const Run& run, const Run& other) {
    if (run.gameMs != other.gameMs) {
        return run.gameMs > other.gameMs;
    }
    return run.defeated > other.defeated;
}

std::vector<Run> mergeRun(std::vector<Run> table, const Run& run, int& placeOfRun) {
    const auto below = std::upper_bound(table.begin(), table.end(), run, isBetter);
    placeOfRun = static_cast<int>(below - table.begin());
    table.insert(below, run);
    if (table.size() > keptRuns) {
        table.resize(keptRuns);
    }
    if (placeOfRun >= keptRuns) {
        placeOfRun = -1;
    }
    return table;
}

std::string formatTable(const std::vector<Run>& table) {
    std::string text = std::string(headerStart) + std::to_string(formatVersion) + "\n" +
                       std::string(columnsLine) + "\n";
    for (const Run& run : table) {
        text += std::to_string(run.gameMs) + " " + std::to_string(run.defeated) + " " + run.when +
                " " + run.scene + "\n";
    }
    return text;
}

Parsed parseTable(std::string_view text) {
    Parsed parsed;
    parsed.damage = readTable(text, parsed.runs);
    if (!parsed.damage.empty()) {
        parsed.runs.clear();
        return parsed;
    }
    std::stable_sort(parsed.runs.begin(), parsed.runs.end(), isBetter);
    if (parsed.runs.size() > keptRuns) {
        parsed.runs.resize(keptRuns);
    }
    return parsed;
}

} // namespace records
