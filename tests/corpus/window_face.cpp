// The workbench window's face of the corpus: a page's fields, filled as the
// case says, made into the command's words by the page's own function and
// run as the page runs them.
//
//   corpus_window_face PAGE JOB KEY=VALUE...
//
// prints {"words": [...], "status": N, "out_hex": "...", "err_hex": "...",
// "cut": false}. The corpus runner compares the words with the case's and
// the answer with the command line's.
#include <cstddef>
#include <cstdio>
#include <iostream>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tests/corpus/face_json.h"
#include "workbench_window/pages/command_pages.h"

namespace {

using corpus_face::Named;
using corpus_face::UnknownWord;
using namespace command_pages;

// Far above any output of the corpus, so that a run is never cut short
// unless something runs away.
constexpr std::size_t kShownLimit = std::size_t{64} << 20;

// The KEY=VALUE words, each key once; every one must be taken by the page.
class Fields {
public:
    explicit Fields(const std::vector<std::string>& assignments) {
        for (const std::string& assignment : assignments) {
            const std::size_t equals = assignment.find('=');
            if (equals == std::string::npos) throw UnknownWord(Named("not KEY=VALUE", assignment));
            const std::string key = assignment.substr(0, equals);
            if (!values_.emplace(key, assignment.substr(equals + 1)).second) {
                throw UnknownWord(Named("key given twice", key));
            }
        }
    }

    void Text(const char* key, std::string& target) {
        const auto found = values_.find(key);
        if (found == values_.end()) return;
        target = found->second;
        values_.erase(found);
    }

    void Flag(const char* key, bool& target) {
        std::string word;
        if (!Take(key, word)) return;
        if (word != "true" && word != "false") throw UnknownWord(Named(std::string("not true or false: ") + key, word));
        target = word == "true";
    }

    template <typename Enum>
    void Choice(const char* key, const std::vector<std::pair<const char*, Enum>>& words, Enum& target) {
        std::string word;
        if (!Take(key, word)) return;
        for (const auto& entry : words) {
            if (word == entry.first) {
                target = entry.second;
                return;
            }
        }
        throw UnknownWord(Named("unknown " + std::string(key), word));
    }

    // A key left over is none of the page's fields.
    void RequireAllTaken(const std::string& page) const {
        if (!values_.empty()) throw UnknownWord(Named("unknown key of page " + page, values_.begin()->first));
    }

private:
    bool Take(const char* key, std::string& word) {
        const auto found = values_.find(key);
        if (found == values_.end()) return false;
        word = found->second;
        values_.erase(found);
        return true;
    }

    std::map<std::string, std::string> values_;
};

[[noreturn]] void UnknownJob(const std::string& page, const std::string& job) {
    throw UnknownWord(Named("unknown job of page " + page, job));
}

std::vector<std::string> ArrayPageWords(const std::string& job, Fields& given) {
    ArrayFields fields;
    if (job == "to-c") {
        fields.reverse = false;
    } else if (job == "to-bytes") {
        fields.reverse = true;
    } else {
        UnknownJob("array", job);
    }
    // The job sets the direction; a `reverse` that says otherwise is a case's mistake.
    const bool by_job = fields.reverse;
    given.Flag("reverse", fields.reverse);
    if (fields.reverse != by_job) throw UnknownWord(Named("reverse contradicts the job", job));
    given.Choice<ArraySource>(
        "source", {{"file", ArraySource::kFile}, {"hex", ArraySource::kHex}, {"text", ArraySource::kText}},
        fields.source);
    given.Text("file", fields.file);
    given.Text("input", fields.input);
    given.Text("name", fields.name);
    given.Text("type", fields.type);
    given.Text("per_line", fields.per_line);
    given.Flag("decimal", fields.decimal);
    given.Flag("is_static", fields.is_static);
    given.Flag("is_mutable", fields.is_mutable);
    given.Flag("header", fields.header);
    given.Flag("crc", fields.crc);
    given.Flag("pad", fields.pad);
    given.RequireAllTaken("array");
    return ArrayWords(fields);
}

std::vector<std::string> PartsPageWords(const std::string& job, Fields& given) {
    PartsJob parts_job = PartsJob::kNearest;
    if (job == "nearest") {
        parts_job = PartsJob::kNearest;
    } else if (job == "divider") {
        parts_job = PartsJob::kDivider;
    } else if (job == "code") {
        parts_job = PartsJob::kCode;
    } else if (job == "mark") {
        parts_job = PartsJob::kMark;
    } else {
        UnknownJob("parts", job);
    }
    PartsFields fields;
    given.Text("kind", fields.kind);
    given.Text("series", fields.series);
    given.Text("value", fields.value);
    given.Text("tolerance", fields.tolerance);
    given.Text("tempco", fields.tempco);
    given.Text("vin", fields.vin);
    given.Text("vout", fields.vout);
    given.Text("total", fields.total);
    given.Text("count", fields.count);
    given.Text("code", fields.code);
    given.RequireAllTaken("parts");
    return PartsWords(parts_job, fields);
}

std::vector<std::string> FilterPageWords(const std::string& job, Fields& given) {
    if (job != "design" && job != "frequency") UnknownJob("filter", job);
    FilterFields fields;
    given.Choice<FilterKind>("kind",
                             {{"rc-low", FilterKind::kRcLowPass},
                              {"rc-high", FilterKind::kRcHighPass},
                              {"lc", FilterKind::kLc},
                              {"sallen-key", FilterKind::kSallenKey}},
                             fields.kind);
    given.Text("frequency", fields.frequency);
    given.Text("q", fields.q);
    given.Text("r_series", fields.r_series);
    given.Text("c_series", fields.c_series);
    given.Text("l_series", fields.l_series);
    given.Text("count", fields.count);
    given.Text("r1", fields.r1);
    given.Text("r2", fields.r2);
    given.Text("c1", fields.c1);
    given.Text("c2", fields.c2);
    given.Text("l", fields.l);
    given.RequireAllTaken("filter");
    return job == "design" ? FilterDesignWords(fields) : FilterFrequencyWords(fields);
}

std::vector<std::string> PrintfPageWords(const std::string& job, Fields& given) {
    if (job != "text" && job != "explain") UnknownJob("printf", job);
    PrintfFields fields;
    given.Text("format", fields.format);
    given.Text("arguments", fields.arguments);
    given.Flag("raw", fields.raw);
    given.RequireAllTaken("printf");
    return PrintfWords(fields, job == "explain");
}

std::vector<std::string> RandomPageWords(const std::string& job, Fields& given) {
    if (job != "draw") UnknownJob("random", job);
    RandomFields fields;
    given.Choice<RandomKind>(
        "kind", {{"integers", RandomKind::kIntegers}, {"floats", RandomKind::kFloats}, {"bytes", RandomKind::kBytes}},
        fields.kind);
    given.Text("count", fields.count);
    given.Text("low", fields.low);
    given.Text("high", fields.high);
    given.Text("seed", fields.seed);
    given.Text("name", fields.name);
    given.Flag("unique", fields.unique);
    given.Flag("sort", fields.sort);
    given.Flag("c_array", fields.c_array);
    given.RequireAllTaken("random");
    return RandomWords(fields);
}

std::vector<std::string> PageWords(const std::string& page, const std::string& job, Fields& given) {
    if (page == "array") return ArrayPageWords(job, given);
    if (page == "parts") return PartsPageWords(job, given);
    if (page == "filter") return FilterPageWords(job, given);
    if (page == "printf") return PrintfPageWords(job, given);
    if (page == "random") return RandomPageWords(job, given);
    throw UnknownWord(Named("unknown page", page));
}

std::string Answer(const std::vector<std::string>& words, const Outcome& outcome) {
    std::string json = "{\"words\": [";
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (i != 0) json += ", ";
        json += corpus_face::JsonString(words[i]);
    }
    json += "], \"status\": " + std::to_string(outcome.status);
    json += ", \"out_hex\": \"" + corpus_face::LowerHex(outcome.out) + "\"";
    json += ", \"err_hex\": \"" + corpus_face::LowerHex(outcome.err) + "\"";
    json += std::string(", \"cut\": ") + (outcome.cut ? "true" : "false") + "}\n";
    return json;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: corpus_window_face PAGE JOB KEY=VALUE...\n");
        return corpus_face::kExitUnknownWord;
    }
    std::vector<std::string> words;
    try {
        Fields given(std::vector<std::string>(argv + 3, argv + argc));
        words = PageWords(argv[1], argv[2], given);
    } catch (const UnknownWord& unknown) {
        std::fprintf(stderr, "corpus_window_face: %s\n", unknown.what());
        return corpus_face::kExitUnknownWord;
    }
    const Outcome outcome = RunCommand(words, kShownLimit);
    std::cout << Answer(words, outcome) << std::flush;
    return 0;
}
