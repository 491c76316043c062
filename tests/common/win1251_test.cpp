#include "common/win1251.h"
#include "tests/support/recording_dialogs.h"
#include <gtest/gtest.h>
#include <iconv.h>

TEST(Win1251, AllBytesRoundTrip)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.push_back(char(b));
    QString text = cp1251::Decode(all);
    ASSERT_EQ(text.size(), 256);
    bool ok = false;
    EXPECT_EQ(cp1251::Encode(text, &ok), all);
    EXPECT_TRUE(ok);
    EXPECT_EQ(cp1251::ByteLength(text), 256);
}

// The system's iconv is an independent reference for every assigned byte.
TEST(Win1251, MatchesSystemConverter)
{
    iconv_t cd = iconv_open("UTF-8", "CP1251");
    if (cd == iconv_t(-1))
        GTEST_SKIP() << "no CP1251 converter";
    for (int b = 0; b < 256; ++b) {
        if (b == 0x98)
            continue; // unassigned in the code page
        char in[1] = {char(b)};
        char out[8] = {};
        char *pin = in, *pout = out;
        size_t inLeft = 1, outLeft = sizeof out;
        ASSERT_NE(iconv(cd, &pin, &inLeft, &pout, &outLeft), size_t(-1)) << b;
        QString expected = QString::fromUtf8(out, pout - out);
        EXPECT_EQ(cp1251::Decode(QByteArray(1, char(b))), expected) << "byte " << b;
    }
    iconv_close(cd);
}

TEST(Win1251, CyrillicTextAndUnencodable)
{
    QString scale = QString::fromUtf8("Шкала №1 «тест» Ёё");
    bool ok = false;
    QByteArray bytes = cp1251::Encode(scale, &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(bytes.size(), scale.size()); // one byte per character
    EXPECT_EQ(uchar(bytes[0]), 0xD8);      // Ш
    EXPECT_EQ(uchar(bytes[6]), 0xB9);      // №
    EXPECT_EQ(cp1251::Decode(bytes), scale);

    struct Case {
        const char *utf8;
        int bytes;
        bool encodable;
    } cases[] = {{"日本", 2, false}, {"a€b", 3, true}, {"x😀y", 3, false}, {"Ω", 1, false}, {"Ёё№", 3, true}, {"", 0, true}};
    for (const auto &c : cases) {
        QString t = QString::fromUtf8(c.utf8);
        QByteArray e = cp1251::Encode(t, &ok);
        EXPECT_EQ(ok, c.encodable) << c.utf8;
        EXPECT_EQ(cp1251::CanEncode(t), c.encodable) << c.utf8;
        EXPECT_EQ(e.size(), c.bytes) << c.utf8;
        EXPECT_EQ(cp1251::ByteLength(t), c.bytes) << c.utf8;
    }
    EXPECT_TRUE(cp1251::CanEncode(QString::fromUtf8("a€b")));
    EXPECT_FALSE(cp1251::CanEncode(QString::fromUtf8("日本")));
    EXPECT_FALSE(cp1251::CanEncode(QString::fromUtf8("x😀y")));
    EXPECT_FALSE(cp1251::CanEncode(QString::fromUtf8("Ω")));
    EXPECT_EQ(cp1251::Encode(QString::fromUtf8("x😀y")), QByteArray("x?y"));
}
