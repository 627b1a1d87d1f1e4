// Log text made printable for messages: escaped where a terminal would
// misread it, cut where it is long, UTF-8 letters kept.
#include "text/text.h"

#include <gtest/gtest.h>

#include <string>

namespace zelk::host {
namespace {

TEST(Printable, EscapesWhatCannotBePrintedAndCutsLongTexts) {
    using namespace std::string_literals;
    struct Case {
        std::string text;
        std::size_t limit;
        std::string printable;
    };
    const Case cases[] = {
        {"UA1AAA", 40, "UA1AAA"},
        {"a\nb\r\tc", 40, "a\\nb\\r\\tc"},
        {"D\xff\xfeP", 40, "D\\xff\\xfeP"},
        {"nul\0\x1b[2J\x7f"s, 40, "nul\\x00\\x1b[2J\\x7f"},
        {"C:\\log", 40, "C:\\\\log"},
        {"Jörg Москва", 40, "Jörg Москва"},
        {"\xc2\x85", 40, "\\xc2\\x85"},           // a C1 control written in UTF-8
        {"\xe2\x82", 40, "\\xe2\\x82"},           // a sequence cut short
        {"\xed\xa0\x80", 40, "\\xed\\xa0\\x80"},  // a surrogate
        {"\xc0\xaf", 40, "\\xc0\\xaf"},           // an overlong '/'
        {"abcdef", 4, "abcd..."},
        {"ööööö", 3, "ööö..."},
        {"abcd", 4, "abcd"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Printable(c.text, c.limit), c.printable) << c.printable;
    }
}

}  // namespace
}  // namespace zelk::host
