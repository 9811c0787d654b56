#include "data/digest.h"
#include "data/sqltext.h"
#include "coresupport.h"

class TestDigest : public QObject
{
    Q_OBJECT

private slots:
    void rfc1321Suite_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("digest");
        QTest::newRow("empty") << ""
                               << "d41d8cd98f00b204e9800998ecf8427e";
        QTest::newRow("a") << "a"
                           << "0cc175b9c0f1b6a831c399e269772661";
        QTest::newRow("abc") << "abc"
                             << "900150983cd24fb0d6963f7d28e17f72";
        QTest::newRow("message digest") << "message digest"
                                        << "f96b697d7cb7938d525a2f31aaf161d0";
        QTest::newRow("alphabet") << "abcdefghijklmnopqrstuvwxyz"
                                  << "c3fcd3d76192e4007dfb496cca67e13b";
        QTest::newRow("alphanumeric") << "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"
                                      << "d174ab98d277d9f5a5611c2c9f419d9f";
        QTest::newRow("digits") << "12345678901234567890123456789012345678901234567890123456789012345678901234567890"
                                << "57edf4a22be3c955ac49da2e2107b67a";
    }
    void rfc1321Suite()
    {
        QFETCH(QString, text);
        QFETCH(QString, digest);
        QCOMPARE(MD5(text), digest);
    }

    void nonAsciiBecomesQuestionMark_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("same");
        QTest::newRow("chinese") << QStringLiteral("密碼abc") << QStringLiteral("??abc");
        QTest::newRow("latin-1") << QStringLiteral("café") << QStringLiteral("caf?");
        QTest::newRow("surrogate pair is one character") << QStringLiteral("a\U0001F600b") << QStringLiteral("a?b");
    }
    void nonAsciiBecomesQuestionMark()
    {
        QFETCH(QString, text);
        QFETCH(QString, same);
        QCOMPARE(MD5(text), MD5(same));
    }

    void digestShape()
    {
        // Never empty, always 32 lower-case hex digits; spaces are part of the password.
        QVERIFY(!MD5(QString()).isEmpty());
        QCOMPARE(MD5(QString()), MD5(QStringLiteral("")));
        QVERIFY(MD5(QStringLiteral(" admin123")) != MD5(QStringLiteral("admin123")));
        QVERIFY(QRegularExpression(QStringLiteral("^[0-9a-f]{32}$")).match(MD5(QStringLiteral("X y"))).hasMatch());
    }

    void quoting_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("quoted");
        QTest::newRow("plain") << "admin"
                               << "'admin'";
        QTest::newRow("empty") << ""
                               << "''";
        QTest::newRow("one quote") << "o'neil"
                                   << "'o''neil'";
        QTest::newRow("only quotes") << "''"
                                     << "''''''";
        QTest::newRow("backslash kept") << "a\\'"
                                        << "'a\\'''";
        QTest::newRow("spaces kept") << "  x  "
                                     << "'  x  '";
    }
    void quoting()
    {
        QFETCH(QString, text);
        QFETCH(QString, quoted);
        QCOMPARE(quotedLiteral(text), quoted);
    }
};

RYN_CORE_TEST_MAIN(TestDigest)
#include "tst_digest.moc"
