// Every example in the user's guide is what the buttons really do: each pair of text blocks
// after an "<!-- example: 去空行 -->" or "<!-- example: 加空行 -->" line is run through the
// engine, read from the guide itself, so neither can change without the other.

#include "text/BlankLines.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

std::u16string FromUtf8(const std::string& utf8) {
    std::u16string out;
    for (size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i++]);
        const int extra = lead < 0x80 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
        char32_t code = extra ? lead & (0x3F >> extra) : lead;
        for (int k = 0; k < extra && i < utf8.size(); ++k)
            code = (code << 6) | (static_cast<unsigned char>(utf8[i++]) & 0x3F);
        if (code >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
            code = 0xDC00 + ((code - 0x10000) & 0x3FF);
        }
        out += static_cast<char16_t>(code);
    }
    return out;
}

// The guide's notation, as its examples explain it to the reader: a line of the block is a
// line of the window, CR LF between lines and none after the last.
std::u16string TextOfBlock(const std::vector<std::string>& lines) {
    std::u16string text;
    for (const std::string& line : lines) {
        if (&line != &lines.front()) text += u"\r\n";
        if (line == "（空行）") continue;
        for (const char16_t c : FromUtf8(line)) {
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

TEST(Guide, EveryExampleIsWhatTheButtonDoes) {
    std::ifstream file(GUIDE_PATH, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    const std::string marker = "<!-- example: ";
    int removals = 0, additions = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (!lines[i].starts_with(marker) || !lines[i].ends_with(" -->")) continue;
        const std::string where = std::string(GUIDE_PATH) + ":" + std::to_string(i + 1);
        const std::string button =
            lines[i].substr(marker.size(), lines[i].size() - marker.size() - 4);
        // The next two fenced blocks: before and after the press.
        std::u16string blocks[2];
        size_t j = i + 1;
        for (std::u16string& block : blocks) {
            while (j < lines.size() && !lines[j].starts_with("```")) ++j;
            std::vector<std::string> body;
            for (++j; j < lines.size() && !lines[j].starts_with("```"); ++j)
                body.push_back(lines[j]);
            ++j;
            block = TextOfBlock(body);
        }
        if (button == "去空行") {
            ++removals;
            EXPECT_EQ(RemoveBlankLines(blocks[0]), blocks[1]) << where;
        } else if (button == "加空行") {
            ++additions;
            EXPECT_EQ(AddBlankLines(blocks[0]), blocks[1]) << where;
        } else {
            ADD_FAILURE() << where << ": an example of no button";
        }
    }
    // A guide whose markers went missing would otherwise pass with nothing checked.
    EXPECT_GT(removals, 0) << GUIDE_PATH << ": no example of 去空行";
    EXPECT_GT(additions, 0) << GUIDE_PATH << ": no example of 加空行";
}

}  // namespace
