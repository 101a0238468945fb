// The settings text: read line by line through libinih, written back with the player's lines kept.
#include "settings/settings.h"

#include <ini.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cstddef>
#include <cstring>

namespace settings {
namespace {

constexpr std::string_view header =
    "# Ghoulrun's settings. The game writes what you change while playing (F11, the volume, mute)\n"
    "# when a run ends, and keeps every other line as you wrote it.\n";

// The words a yes-or-no setting takes.
constexpr std::array<std::string_view, 4> yesWords = {"true", "yes", "on", "1"};
constexpr std::array<std::string_view, 4> noWords = {"false", "no", "off", "0"};
constexpr std::string_view yesWord = "true";
constexpr std::string_view noWord = "false";
constexpr std::string_view commentStarts = "#;";
constexpr std::string_view inlineComment = " ;";
constexpr std::string_view blanks = " \t\r";
constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
// --help's column for what a setting does, and the least room before it.
constexpr std::size_t helpColumn = 28;
constexpr std::size_t helpGap = 2;

// How libinih took one line of the text, for the writer to change the lines the reader takes.
struct LineTaken {
    bool hidden = false;   // handed over as a comment: too long, or not text
    bool given = false;    // gave a setting (its own, or the one before it continued)
    bool topLevel = false; // gave it outside any section
    std::string name;      // the setting it gave
};

// What libinih is fed: the text a line at a time, counted, so that each key knows its line.
struct Feed {
    std::string_view text;
    std::size_t at = 0;
    int line = 0;        // the line handed out last
    int lineHandled = 0; // the last line a setting came from
    bool lineWantsSetting = false;
    bool lineTooLong = false;
    int slowestCap = 0;
    int fastestCap = 0;
    Read read;
    std::vector<LineTaken>* taken = nullptr; // when the writer asks: how each line was taken
    std::size_t longestLine = 0;             // the longest line libinih has room for
};

std::string_view trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

void complain(Feed& feed, int line, std::string reason) {
    feed.read.problems.push_back({line, std::move(reason)});
}

// A line that is neither blank, nor a comment, nor a section must give a setting.
bool wantsSetting(std::string_view line) {
    const std::string_view content = trimmed(line);
    return !content.empty() && commentStarts.find(content.front()) == std::string_view::npos &&
           content.front() != '[';
}

// The line before the one about to be read gave no setting although it should have.
void checkLineBefore(Feed& feed) {
    if (feed.line > 0 && feed.lineWantsSetting && feed.lineHandled != feed.line) {
        complain(feed, feed.line, "not a setting (key = value)");
    }
}

// libinih's reader: the next whole line, or null at the end. A line longer than libinih takes is
// handed over as a comment, and said to be too long.
char* nextLine(char* into, int room, void* stream) {
    Feed& feed = *static_cast<Feed*>(stream);
    checkLineBefore(feed);
    if (feed.at >= feed.text.size()) {
        feed.lineWantsSetting = false;
        return nullptr;
    }
    const std::size_t end = std::min(feed.text.find('\n', feed.at), feed.text.size());
    std::string_view line = feed.text.substr(feed.at, end - feed.at);
    feed.at = end + 1;
    ++feed.line;
    feed.lineWantsSetting = wantsSetting(line);
    if (feed.taken != nullptr) {
        feed.taken->emplace_back();
    }
    // The line, its newline and the end of the string.
    feed.longestLine = room > 2 ? static_cast<std::size_t>(room) - 2 : 0;
    const bool hidden =
        line.size() + 2 > static_cast<std::size_t>(room) || line.find('\0') != line.npos;
    if (hidden && feed.taken != nullptr) {
        feed.taken->back().hidden = true;
    }
    if (line.size() + 2 > static_cast<std::size_t>(room)) {
        complain(feed, feed.line, "the line is too long");
        feed.lineWantsSetting = false;
        line = ";";
    } else if (line.find('\0') != std::string_view::npos) {
        complain(feed, feed.line, "the line is not text");
        feed.lineWantsSetting = false;
        line = ";";
    }
    std::memcpy(into, line.data(), line.size());
    into[line.size()] = '\n';
    into[line.size() + 1] = '\0';
    return into;
}

bool readYesOrNo(std::string_view value, bool& into) {
    if (std::find(yesWords.begin(), yesWords.end(), value) != yesWords.end()) {
        into = true;
        return true;
    }
    if (std::find(noWords.begin(), noWords.end(), value) != noWords.end()) {
        into = false;
        return true;
    }
    return false;
}

bool readWhole(std::string_view value, int& into) {
    const char* end = value.data() + value.size();
    const auto [stop, error] = std::from_chars(value.data(), end, into);
    return error == std::errc{} && stop == end;
}

// The numbers a setting takes: its own range, or for the frame cap 0 and the caps given.
struct Span {
    int smallest = 0;
    int largest = 0;
    bool orZero = false;
};

Span spanOf(const Setting& setting, int slowestCap, int fastestCap) {
    if (setting.takes == Takes::frameCap) {
        return {slowestCap, fastestCap, true};
    }
    return {setting.smallest, setting.largest, false};
}

// What a setting takes, in words, for a line that gives something else.
std::string takesInWords(const Setting& setting, const Span& span) {
    if (setting.takes == Takes::yesOrNo) {
        return std::string(yesWord) + " or " + std::string(noWord);
    }
    return std::string(span.orZero ? "0 or " : "") + "a whole number from " +
           std::to_string(span.smallest) + " to " + std::to_string(span.largest);
}

// The same for --help, shorter: "true|false", "1..4", "0|30..1000".
std::string takesInShort(const Setting& setting, const Span& span) {
    if (setting.takes == Takes::yesOrNo) {
        return std::string(yesWord) + "|" + std::string(noWord);
    }
    return std::string(span.orZero ? "0|" : "") + std::to_string(span.smallest) + ".." +
           std::to_string(span.largest);
}

bool holds(const Span& span, int number) {
    return (span.orZero && number == 0) || (number >= span.smallest && number <= span.largest);
}

bool readValue(const Setting& setting, const Span& span, std::string_view value, Settings& into) {
    if (setting.takes == Takes::yesOrNo) {
        return readYesOrNo(value, into.*setting.flag);
    }
    int number = 0;
    if (!readWhole(value, number) || !holds(span, number)) {
        return false;
    }
    into.*setting.number = number;
    return true;
}

void setDefault(const Setting& setting, Settings& values) {
    if (setting.takes == Takes::yesOrNo) {
        values.*setting.flag = setting.byDefault != 0;
    } else {
        values.*setting.number = setting.byDefault;
    }
}

// One setting: its value if the key takes it, else a problem and the key back at its default,
// whatever an earlier line gave it.
void takeSetting(Feed& feed, std::string_view key, std::string_view value) {
    const auto* setting = std::find_if(table.begin(), table.end(),
                                       [&](const Setting& row) { return row.key == key; });
    if (setting == table.end()) {
        complain(feed, feed.line, "unknown key " + std::string(key));
        return;
    }
    const Span span = spanOf(*setting, feed.slowestCap, feed.fastestCap);
    if (!readValue(*setting, span, value, feed.read.values)) {
        complain(feed, feed.line,
                 std::string(key) + " = " + std::string(value) + " is not " +
                     takesInWords(*setting, span) + "; the default is used");
        setDefault(*setting, feed.read.values);
    }
}

int onSetting(void* user, const char* section, const char* name, const char* value) {
    Feed& feed = *static_cast<Feed*>(user);
    feed.lineHandled = feed.line;
    if (feed.taken != nullptr) {
        feed.taken->back() = {false, true, section[0] == '\0', name};
    }
    if (section[0] != '\0') {
        complain(feed, feed.line,
                 "settings are not kept in sections ([" + std::string(section) +
                     "]); this one is passed over");
        return 1;
    }
    takeSetting(feed, name, value);
    return 1;
}

// libinih's blanks are C's white space.
bool isBlank(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

std::string_view afterBlanks(std::string_view line) {
    std::size_t at = 0;
    while (at < line.size() && isBlank(line[at])) {
        ++at;
    }
    return line.substr(at);
}

// Line `index` after the byte-order mark libinih passes over at the start of the text, and after
// its leading blanks.
std::string_view contentOf(const std::vector<std::string>& lines, std::size_t index) {
    std::string_view line = lines[index];
    if (index == 0 && line.starts_with(byteOrderMark)) {
        line.remove_prefix(byteOrderMark.size());
    }
    return afterBlanks(line);
}

// Whether libinih opens a section at `content` (a line after its leading blanks): a '[' and its
// ']' before any comment after a blank.
bool opensSection(std::string_view content) {
    if (content.empty() || content.front() != '[') {
        return false;
    }
    for (std::size_t at = 1; at < content.size(); ++at) {
        if (content[at] == ']') {
            return true;
        }
        if (content[at] == ';' && isBlank(content[at - 1])) {
            return false;
        }
    }
    return false;
}

// Which lines continue the value of the setting before them: libinih takes an indented line
// after a named setting (and before the next section) as more of that setting's value.
std::vector<bool> continuations(const std::vector<std::string>& lines,
                                const std::vector<LineTaken>& taken) {
    std::vector<bool> continues(lines.size(), false);
    bool afterSetting = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view content = contentOf(lines, i);
        if (taken[i].hidden || content.empty() ||
            commentStarts.find(content.front()) != std::string_view::npos) {
            continue;
        }
        if (afterSetting && content.size() < lines[i].size()) {
            continues[i] = true;
        } else if (opensSection(content)) {
            afterSetting = false;
        } else if (taken[i].given) {
            // A setting with no name ("= value") is taken, but leaves nothing to continue.
            afterSetting = !taken[i].name.empty();
        }
    }
    return continues;
}

// How libinih takes each line of `text`, split as `lines`; `longest` is the longest line it
// reads (a longer one is passed over as too long).
std::vector<LineTaken> linesTaken(std::string_view text, std::size_t lines, std::size_t& longest) {
    std::vector<LineTaken> taken;
    Feed feed;
    feed.text = text;
    feed.taken = &taken;
    ini_parse_stream(nextLine, &feed, onSetting, &feed);
    taken.resize(lines);
    longest = feed.longestLine;
    return taken;
}

// A line that continues a value, given `value` instead, at its indent.
std::string continuedWith(std::string_view line, const std::string& value) {
    return std::string(line.substr(0, line.size() - afterBlanks(line).size())) + value;
}

// The line with its value replaced: what stands before the value, and any comment after it with
// the spacing before the comment, kept.
std::string withValue(std::string_view line, const std::string& value) {
    const std::size_t separator = line.find_first_of("=:");
    const std::size_t valueStart = line.find_first_not_of(blanks, separator + 1);
    if (valueStart == std::string_view::npos) {
        return std::string(line.substr(0, separator + 1)) + " " + value;
    }
    std::size_t valueEnd = line.find(inlineComment, valueStart);
    valueEnd = valueEnd == std::string_view::npos ? line.size() : valueEnd;
    valueEnd = line.substr(0, valueEnd).find_last_not_of(blanks) + 1;
    return std::string(line.substr(0, valueStart)) + value + std::string(line.substr(valueEnd));
}

} // namespace

Settings::Settings() {
    for (const Setting& setting : table) {
        setDefault(setting, *this);
    }
}

Read readSettings(std::string_view text, int slowestFrameCap, int fastestFrameCap) {
    Feed feed;
    feed.text = text;
    feed.slowestCap = slowestFrameCap;
    feed.fastestCap = fastestFrameCap;
    ini_parse_stream(nextLine, &feed, onSetting, &feed);
    std::stable_sort(feed.read.problems.begin(), feed.read.problems.end(),
                     [](const Problem& a, const Problem& b) { return a.line < b.line; });
    return feed.read;
}

std::string withChanges(std::string_view text, const std::vector<Change>& changes) {
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        lines.emplace_back(text.substr(at, end - at));
        at = end + 1;
    }
    // Each key's line is the last one the reader takes it from outside a section; a key added
    // goes after all of them, above the section that follows. Where the lines are odd (a '['
    // that opens nothing, an indented line that continues a value, a line too long), that is
    // decided as the reader decides it, so that what is written is what the next start reads.
    std::size_t longest = 0;
    const std::vector<LineTaken> taken = linesTaken(text, lines.size(), longest);
    const std::vector<bool> continues = continuations(lines, taken);
    std::size_t settingsEnd = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        settingsEnd = taken[i].topLevel ? i + 1 : settingsEnd;
    }
    while (settingsEnd < lines.size() &&
           (taken[settingsEnd].hidden || !opensSection(contentOf(lines, settingsEnd)))) {
        ++settingsEnd;
    }
    std::vector<std::string> added;
    for (const Change& change : changes) {
        std::size_t line = lines.size();
        for (std::size_t i = 0; i < lines.size(); ++i) {
            line = taken[i].topLevel && taken[i].name == change.key ? i : line;
        }
        if (line == lines.size()) {
            added.push_back(std::string(change.key) + " = " + change.value);
        } else {
            lines[line] = continues[line] ? continuedWith(lines[line], change.value)
                                          : withValue(lines[line], change.value);
            // A line grown past what the reader takes would be passed over: it loses its
            // comment and spacing instead.
            if (lines[line].size() > longest) {
                lines[line] = continues[line] ? " " + change.value
                                              : std::string(change.key) + " = " + change.value;
            }
        }
    }
    // A section line that was indented (or the first line, after a byte-order mark) would read
    // as more of the value of a key added above it: it loses its indent.
    if (!added.empty() && settingsEnd < lines.size()) {
        lines[settingsEnd] = std::string(contentOf(lines, settingsEnd));
    }
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(settingsEnd), added.begin(),
                 added.end());
    std::string result = text.empty() ? std::string(header) : std::string();
    for (const std::string& line : lines) {
        result += line + "\n";
    }
    return result;
}

std::string textOf(const Setting& setting, const Settings& values) {
    if (setting.takes == Takes::yesOrNo) {
        return std::string(values.*setting.flag ? yesWord : noWord);
    }
    return std::to_string(values.*setting.number);
}

std::vector<Change> changesFromPlay(const Settings& before, const Settings& after) {
    std::vector<Change> changes;
    for (const Setting& setting : table) {
        if (setting.keptFromPlay && textOf(setting, before) != textOf(setting, after)) {
            changes.push_back({setting.key, textOf(setting, after)});
        }
    }
    return changes;
}

std::string helpText(int slowestFrameCap, int fastestFrameCap) {
    std::string text;
    std::string kept;
    for (const Setting& setting : table) {
        std::string line = "  " + std::string(setting.key) + " = " +
                           takesInShort(setting, spanOf(setting, slowestFrameCap, fastestFrameCap));
        line.resize(std::max(line.size() + helpGap, helpColumn), ' ');
        text += line + std::string(setting.help) + "\n";
        if (setting.keptFromPlay) {
            kept += (kept.empty() ? "" : ", ") + std::string(setting.key);
        }
    }
    return text + "The game writes what you change while playing (" + kept + ") when a run ends.";
}

} // namespace settings
