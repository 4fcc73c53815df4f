// Every example in the user's guide is what the buttons really do: the two text blocks after an
// "<!-- example: 去空行 -->" or "<!-- example: 加空行 -->" line are run through the engine, so
// neither can change alone.

#include "text/BlankLines.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

// The guide's notation, as its examples explain it to the reader: a line of the block is a
// line of the window (CR LF between lines, none after the last), and ↵ a break the window does
// not show, a lone LF.
std::u16string TextOfBlock(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += (&line == &lines.front() ? "" : "\r\n") + (line == "（空行）" ? "" : line);
    for (const auto& [mark, c] : {std::pair{"␣", " "}, {"□", "\u3000"}, {"⇥", "\t"}, {"↵", "\n"}})
        for (size_t at; (at = text.find(mark)) != text.npos;)
            text.replace(at, std::strlen(mark), c);
    // The library's UTF-8 to UTF-16 conversion, as for a file name.
    return std::filesystem::path(std::u8string(text.begin(), text.end())).u16string();
}

TEST(Guide, EveryExampleIsWhatTheButtonDoes) {
    std::ifstream file(GUIDE_PATH, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);)
        lines.push_back(line.ends_with('\r') ? line.substr(0, line.size() - 1) : line);
    size_t j = 0;
    const auto nextBlock = [&] {
        while (j < lines.size() && !lines[j].starts_with("```")) ++j;
        std::vector<std::string> body;
        for (++j; j < lines.size() && !lines[j].starts_with("```"); ++j) body.push_back(lines[j]);
        ++j;
        return TextOfBlock(body);
    };
    int removals = 0, additions = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (!lines[i].starts_with("<!-- example: ")) continue;
        j = i + 1;
        const bool remove = lines[i] == "<!-- example: 去空行 -->";
        if (remove || lines[i] == "<!-- example: 加空行 -->") {
            ++(remove ? removals : additions);
            const std::u16string result = (remove ? &RemoveBlankLines : &AddBlankLines)(nextBlock());
            EXPECT_EQ(result, nextBlock()) << GUIDE_PATH << ":" << i + 1;
        } else {
            ADD_FAILURE() << GUIDE_PATH << ":" << i + 1 << ": an example of no button";
        }
    }
    // A guide whose markers went missing would otherwise pass with nothing checked.
    EXPECT_GT(removals, 0) << GUIDE_PATH << ": no example of 去空行";
    EXPECT_GT(additions, 0) << GUIDE_PATH << ": no example of 加空行";
}

}  // namespace
