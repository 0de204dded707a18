// The settings file's text: what Qt's INI files hold reads back as the text
// that was stored, and whatever the file holds reads as text.
#include <gtest/gtest.h>

#include "platform/IniText.h"

TEST(IniTextTest, ReadsSectionsNamesAndComments) {
    const TIniValues values = TIniText::Parse("\xEF\xBB\xBF[ MainForm ]\r\n"
                                              "Width=700\r\n"
                                              "; a comment\r\n"
                                              "\r\n"
                                              "[Preferences]\n"
                                              "# another comment\n"
                                              "BlockSize=0x200 ; hex\n"
                                              "no equals sign\n"
                                              "Channel=\n"
                                              "[General]\n"
                                              "Top = 1");
    const TIniValues expected = {{"Top", "1"},
                                 {"Preferences/BlockSize", "0x200"},
                                 {"Preferences/Channel", ""},
                                 {"MainForm/Width", "700"}};
    EXPECT_EQ(values, expected);
}

TEST(IniTextTest, ValuesLoseQuotesEscapesAndComments) {
    const std::pair<std::string, std::string> cases[] = {
        {"  plain text  ", "plain text"},
        {"\"  quoted ; kept  \"", "  quoted ; kept  "},
        {"cut ; here", "cut"},
        {R"("say \"hi\"")", "say \"hi\""},
        {R"(c:\\samples\\)", "c:\\samples\\"},
        {R"(tab\there\nnext)", "tab\there\nnext"},
        {R"(\x263a smile)", "\xE2\x98\xBA smile"},
        {R"(\xe9t\xe9)", "\xC3\xA9t\xC3\xA9"},
        {R"(\101\102)", "AB"},
        {R"(\xffffff)", "\xEF\xBF\xBF"
                        "ff"},
        {"@@home", "@home"},
        {"@Variant(\\0\\0\\0\\tx7f)", std::string("@Variant(\0\0\0\tx7f)", 17)},
        {"unclosed \"quote  ", "unclosed quote  "},
        {"trailing backslash\\", "trailing backslash\\"},
    };
    for (const auto& [text, value] : cases) {
        EXPECT_EQ(TIniText::ParseValue(text), value) << text;
    }
}

TEST(IniTextTest, WrittenValuesReadBackUnchanged) {
    const std::string values[] = {
        "",
        "1024",
        " lead",
        "trail ",
        "a;b",
        "a, b",
        "x=y",
        "say \"hi\"",
        "back\\slash\\",
        "@at",
        "@@twice",
        "line\nbreak\r\n",
        "tab\tand\x01\x7F",
        "/home/j\xC3\xB6rg/\xE3\x82\xB5\xE3\x83\xB3",
    };
    TIniValues all;
    for (const std::string& value : values) {
        EXPECT_EQ(TIniText::ParseValue(TIniText::FormatValue(value)), value) << value;
        all["Preferences/Value" + std::to_string(all.size())] = value;
    }
    EXPECT_EQ(TIniText::Parse(TIniText::Format(all)), all);
}

TEST(IniTextTest, WritesOneSectionAfterAnother) {
    const TIniValues values = {{"Top", "1"},
                               {"Preferences/BlockSize", "256"},
                               {"MainForm/Width", "700"},
                               {"Preferences/Channel", "1"}};
    EXPECT_EQ(TIniText::Format(values), "[General]\nTop=1\n\n"
                                        "[MainForm]\nWidth=700\n\n"
                                        "[Preferences]\nBlockSize=256\nChannel=1\n");
}
