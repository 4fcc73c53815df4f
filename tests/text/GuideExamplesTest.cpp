// Every example in the user's guide is what the buttons really do: each pair of text blocks
// after an "<!-- example: 去空行 -->" or "<!-- example: 加空行 -->" line is run through the
// engine, read from the guide itself, so neither can change without the other.

#include "text/BlankLines.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::u16string FromUtf8(std::string_view utf8) {
    std::u16string out;
    for (size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const int extra = lead < 0x80 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
        char32_t code = extra == 0 ? lead : lead & (0x3F >> extra);
        for (int k = 1; k <= extra && i + k < utf8.size(); ++k)
            code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        i += 1 + extra;
        if (code < 0x10000) {
            out += static_cast<char16_t>(code);
        } else {
            out += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        }
    }
    return out;
}

// The guide's notation, as its examples explain it to the reader: a line of the block is a
// line of the window, CR LF between lines and none after the last.
std::u16string TextOfBlock(const std::vector<std::u16string>& lines) {
    std::u16string text;
    for (const std::u16string& line : lines) {
        if (&line != &lines.front()) text += u"\r\n";
        if (line == u"（空行）") continue;
        for (const char16_t c : line) {
            switch (c) {
                case u'␣': text += u' '; break;
                case u'□': text += u'\u3000'; break;  // 全角空格
                case u'⇥': text += u'\t'; break;
                case u'↓': text += u'\n'; break;  // a lone LF, no line break in the window
                default: text += c;
            }
        }
    }
    return text;
}

struct Example {
    std::u16string button;
    std::u16string before, after;
    int line;  // of the marker, for the failure message
};

std::vector<Example> ReadExamples(const char* path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream contents;
    contents << file.rdbuf();
    std::vector<std::u16string> lines;
    std::u16string all = FromUtf8(contents.str());
    for (size_t start = 0; start <= all.size();) {
        size_t end = all.find(u'\n', start);
        if (end == std::u16string::npos) end = all.size();
        std::u16string line = all.substr(start, end - start);
        if (!line.empty() && line.back() == u'\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }

    const std::u16string_view kMarker = u"<!-- example: ", kMarkerEnd = u" -->";
    std::vector<Example> examples;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::u16string_view line = lines[i];
        if (!line.starts_with(kMarker) || !line.ends_with(kMarkerEnd)) continue;
        Example example{std::u16string(line.substr(
                            kMarker.size(), line.size() - kMarker.size() - kMarkerEnd.size())),
                        {},
                        {},
                        static_cast<int>(i + 1)};
        // The next two fenced blocks: before and after the press.
        std::u16string* blocks[] = {&example.before, &example.after};
        size_t j = i + 1;
        for (std::u16string* block : blocks) {
            while (j < lines.size() && !lines[j].starts_with(u"```")) ++j;
            std::vector<std::u16string> body;
            for (++j; j < lines.size() && !lines[j].starts_with(u"```"); ++j)
                body.push_back(lines[j]);
            ++j;
            *block = TextOfBlock(body);
        }
        examples.push_back(example);
    }
    return examples;
}

TEST(Guide, EveryExampleIsWhatTheButtonDoes) {
    const std::vector<Example> examples = ReadExamples(GUIDE_PATH);
    int removals = 0, additions = 0;
    for (const Example& example : examples) {
        const std::string where = std::string(GUIDE_PATH) + ":" + std::to_string(example.line);
        if (example.button == u"去空行") {
            ++removals;
            EXPECT_EQ(RemoveBlankLines(example.before), example.after) << where;
        } else if (example.button == u"加空行") {
            ++additions;
            EXPECT_EQ(AddBlankLines(example.before), example.after) << where;
        } else {
            ADD_FAILURE() << where << ": an example of no button";
        }
    }
    // A guide whose markers went missing would otherwise pass with nothing checked.
    EXPECT_GT(removals, 0) << GUIDE_PATH << ": no example of 去空行";
    EXPECT_GT(additions, 0) << GUIDE_PATH << ": no example of 加空行";
}

}  // namespace
