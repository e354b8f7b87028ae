#include "verificationrecord.h"

#include <QtTest>

using namespace DDR3PHY;

class TestVerificationRecord : public QObject
{
    Q_OBJECT

private slots:
    void record_data();
    void record();
    void ownBuild();
};

void TestVerificationRecord::record_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("os");
    QTest::addColumn<QString>("compiler");
    QTest::addColumn<bool>("debug");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("4.8.7 Windows msvc release")
        << "4.8.7"
        << "Windows"
        << "msvc" << false
        << QByteArray("pattern=QT_PLUGIN_VERIFICATION_DATA\nversion=4.8.7\ndebug=false\n"
                      "buildkey=Windows msvc release full-config");
    QTest::newRow("5.15.8 Linux g++ debug")
        << "5.15.8"
        << "Linux"
        << "g++" << true
        << QByteArray("pattern=QT_PLUGIN_VERIFICATION_DATA\nversion=5.15.8\ndebug=true\n"
                      "buildkey=Linux g++ debug full-config");
}

void TestVerificationRecord::record()
{
    QFETCH(QString, version);
    QFETCH(QString, os);
    QFETCH(QString, compiler);
    QFETCH(bool, debug);
    QTEST(verificationRecord(version, os, compiler, debug), "expected");
}

void TestVerificationRecord::ownBuild()
{
    const QList<QByteArray> lines = buildVerificationRecord().split('\n');
    QCOMPARE(lines.size(), 4);
    QCOMPARE(lines.at(0), QByteArray("pattern=QT_PLUGIN_VERIFICATION_DATA"));
    QCOMPARE(lines.at(1), QByteArray("version=" QT_VERSION_STR));
    const bool debug = lines.at(2) == "debug=true";
    QVERIFY(debug || lines.at(2) == "debug=false");
    QVERIFY(lines.at(3).startsWith("buildkey="));
    QVERIFY(lines.at(3).endsWith(debug ? " debug full-config" : " release full-config"));
    QCOMPARE(lines.at(3).count(' '), 3);
#if defined(Q_OS_LINUX) && defined(Q_CC_GNU) && !defined(Q_CC_CLANG)
    QVERIFY(lines.at(3).startsWith("buildkey=Linux g++ "));
#endif
}

QTEST_GUILESS_MAIN(TestVerificationRecord)
#include "tst_verificationrecord.moc"
