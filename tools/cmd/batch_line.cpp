#include "tools/cmd/batch_line.h"

namespace tovrin::cmd {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

class LineParser {
public:
    explicit LineParser(const std::string& text) : text_(text) {}

    BatchLine parse() {
        std::size_t end = text_.size();
        while (end > 0 && text_[end - 1] == '\r') --end;
        std::size_t i = 0;
        while (i < end && isBlank(text_[i])) ++i;
        if (i < end && text_[i] == '@') ++i;
        for (; i < end && line_.error.empty(); ++i) step(i, end);
        if (line_.error.empty() && quoted_) fail("a quote is not closed");
        if (line_.error.empty()) finishWord();
        if (line_.error.empty() && wantTarget_) fail("'>' has no file after it");
        if (!line_.error.empty()) {
            line_.words.clear();
            line_.redirected = false;
            line_.target.clear();
        }
        return line_;
    }

private:
    void step(std::size_t& i, std::size_t end) {
        char c = text_[i];
        if (c == '\0') return fail("the line holds a NUL byte");
        if (c == '%') {
            if (i + 1 < end && text_[i + 1] == '%') {
                add('%');
                ++i;
                return;
            }
            return fail("'%' variable expansion is not supported");
        }
        if (quoted_) {
            if (c == '"')
                quoted_ = false;
            else
                add(c);
            return;
        }
        if (c == '"') {
            quoted_ = true;
            inWord_ = true;
            wordQuoted_ = true;
            return;
        }
        if (isBlank(c)) return finishWord();
        if (c == '>') return redirect(i, end);
        if (c == '|' || c == '&' || c == '<' || c == '^')
            return fail(std::string("'") + c + "' is not supported");
        add(c);
    }

    void redirect(std::size_t& i, std::size_t end) {
        // "1>" names standard output; another handle number cannot be redirected here.
        if (inWord_ && !wordQuoted_ && word_.size() == 1 && word_[0] >= '0' && word_[0] <= '9') {
            if (word_[0] != '1') return fail("only standard output can be redirected");
            word_.clear();
            inWord_ = false;
        }
        finishWord();
        if (wantTarget_) return fail("'>' has no file after it");
        if (line_.redirected) return fail("more than one '>' on the line");
        line_.redirected = true;
        wantTarget_ = true;
        if (i + 1 < end && text_[i + 1] == '>') {
            line_.append = true;
            ++i;
        }
    }

    void add(char c) {
        word_ += c;
        inWord_ = true;
    }

    void finishWord() {
        if (!inWord_) return;
        if (wantTarget_) {
            if (word_.empty()) return fail("'>' has no file after it");
            line_.target = word_;
            wantTarget_ = false;
        } else {
            line_.words.push_back(word_);
        }
        word_.clear();
        inWord_ = false;
        wordQuoted_ = false;
    }

    void fail(const std::string& why) {
        if (line_.error.empty()) line_.error = why;
    }

    const std::string& text_;
    BatchLine line_;
    std::string word_;
    bool inWord_ = false;      // a word has begun, possibly an empty quoted one
    bool wordQuoted_ = false;  // the current word holds a quote
    bool quoted_ = false;      // between a pair of quotes
    bool wantTarget_ = false;  // the next word is the redirection's file
};

}  // namespace

BatchLine parseLine(const std::string& line) { return LineParser(line).parse(); }

std::vector<std::string> splitAtAnd(const std::string& line) {
    std::vector<std::string> commands;
    std::size_t start = 0;
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"') quoted = !quoted;
        if (quoted || line.compare(i, 2, "&&") != 0) continue;
        commands.push_back(line.substr(start, i - start));
        start = ++i + 1;
    }
    commands.push_back(line.substr(start));
    return commands;
}

}  // namespace tovrin::cmd
