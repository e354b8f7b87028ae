// Fuzzing of re-opening a core: mutated .ipc files go through
// `ipgen generate --config FILE --files-only`. No case may crash or hang ipgen or end with an
// undocumented exit code, and the files of every case that writes them must compile with the
// core's HDL, unless an index past its list left a parameter without a value. FUZZ_CASES, FUZZ_SEED
// and FUZZ_SECONDS set the run (scripts/fuzz.sh); a failing case is kept in FUZZ_KEEP when that
// names a folder.

#include "../host/hostfixtures.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Values separated by '|': numbers at and past the limits, no numbers, QSettings' own encodings.
const QStringList interestingValues =
    QStringLiteral("-1|0|1|2|7|8|9|33|34|-2147483648|2147483647|2147483648|99999999999999999999||"
                   "abc|1.5|true|false| 3|0x10|1e3|\"5\"|@Variant(\\0\\0\\0\\x7f\\0)|"
                   "@ByteArray(\\xff)|@Invalid()|Synplify Pro|a,b,c|VeltraSynthesis|\\n|%1|"
                   "DDR3_PHY_Top|9lives|VX_PLL")
        .split(QLatin1Char('|'));

QString pick(QRandomGenerator &random, const QStringList &list)
{
    return list.at(int(random.bounded(quint32(list.size()))));
}

// One to four edits of the file's text: a value, a line dropped, doubled or made a group, a byte
// changed, the file cut short.
QByteArray mutate(QByteArray text, QRandomGenerator &random)
{
    for (int edits = 1 + int(random.bounded(4u)); edits > 0; --edits) {
        QList<QByteArray> lines = text.split('\n');
        const int at = int(random.bounded(quint32(lines.size())));
        const int byte = int(random.bounded(quint32(text.size() + 1)));
        switch (random.bounded(6u)) {
        case 0:
            if (lines[at].contains('='))
                lines[at].truncate(lines[at].indexOf('=') + 1);
            lines[at] += pick(random, interestingValues).toUtf8();
            break;
        case 1:
            lines.removeAt(at);
            break;
        case 2:
            lines.insert(at, lines.value(int(random.bounded(quint32(lines.size())))));
            break;
        case 3:
            lines.insert(at, "[" + pick(random, {"Config", "General", "x"}).toUtf8() + "]");
            break;
        case 4: {
            QByteArray changed = text;
            if (byte < changed.size())
                changed[byte] = char(random.bounded(256u));
            lines = changed.split('\n');
            break;
        }
        default:
            lines = text.left(byte).split('\n');
        }
        text = lines.join('\n');
    }
    return text;
}

} // namespace

class TestFuzzIpc : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable("iverilog").isEmpty())
            QSKIP("iverilog is not installed");
        m_ipgen = qEnvironmentVariable("IPGEN_BUILD_DIR") + "/ipgen";
        m_data = qEnvironmentVariable("DDR3PHY_SOURCE_DIR") + "/core/ddr3phy/data";
        QVERIFY(m_dir.isValid());
        // Seeds: the default core and the largest one, as the generator writes them.
        const QList<QStringList> setups = {
            {},
            {"--set", "comBoxClkRatio=1:4", "--set", "comBoxDqWidth=72", "--set", "checkEcc=true"}};
        for (int i = 0; i < setups.size(); ++i) {
            const QString out = m_dir.filePath(QStringLiteral("seed%1").arg(i));
            int code = 0;
            QByteArray err;
            QVERIFY(run(QStringList{"generate", "--core", "ddr3_phy", "--device", "VX1-10", "--out",
                                    out, "--files-only", "--approx", "accept"} +
                            setups.at(i),
                        &code, &err)
                        .isEmpty());
            QVERIFY2(code == 0, err.constData());
            m_seeds.append(HostTest::readText(out + "/ddr3_phy.ipc").toUtf8());
        }
    }

    void mutatedConfigurations()
    {
        const quint32 seed = quint32(qEnvironmentVariableIntValue("FUZZ_SEED"));
        const int seconds = qEnvironmentVariableIntValue("FUZZ_SECONDS");
        const int cases = qEnvironmentVariableIsSet("FUZZ_CASES")
                              ? qEnvironmentVariableIntValue("FUZZ_CASES")
                              : 24;
        const QString keep = qEnvironmentVariable("FUZZ_KEEP");
        QRandomGenerator random(seed);
        QElapsedTimer clock;
        clock.start();
        int generated = 0;
        int failures = 0;
        int n = 0;
        for (; seconds > 0 ? clock.elapsed() < seconds * 1000LL : n < cases; ++n) {
            const QByteArray text = mutate(m_seeds.at(n % m_seeds.size()), random);
            const QString caseDir = m_dir.filePath(QStringLiteral("case%1").arg(n));
            QDir().mkpath(caseDir);
            const QString ipc = caseDir + "/case.ipc";
            QVERIFY(HostTest::writeBytes(ipc, text));
            int code = 0;
            QByteArray err;
            QString problem =
                run({"generate", "--config", ipc, "--out", caseDir + "/out", "--files-only",
                     "--approx", "accept", "--settings", caseDir + "/none.ini"},
                    &code, &err);
            if (problem.isEmpty() && code == 0 && !leftWithoutItem(caseDir + "/out"))
                problem = compileProblem(caseDir + "/out/temp/DDR3_PHY");
            generated += code == 0 ? 1 : 0;
            if (!problem.isEmpty()) {
                ++failures;
                qWarning("case %d (seed %u): %s\n%s\n--- case.ipc ---\n%s", n, seed,
                         qPrintable(problem), err.constData(), text.constData());
                if (!keep.isEmpty())
                    QFile::copy(ipc,
                                QStringLiteral("%1/seed%2-case%3.ipc").arg(keep).arg(seed).arg(n));
            }
            QDir(caseDir).removeRecursively();
        }
        qInfo("%d cases in %lld s, %d reached generation, %d failed", n, clock.elapsed() / 1000,
              generated, failures);
        QCOMPARE(failures, 0);
    }

private:
    // Empty when ipgen ended with a documented exit code (in *exitCode) and no sanitizer report.
    QString run(const QStringList &arguments, int *exitCode, QByteArray *err)
    {
        QProcess process;
        process.start(m_ipgen, arguments);
        if (!process.waitForFinished(60000)) {
            process.kill();
            process.waitForFinished();
            return QStringLiteral("hung");
        }
        *exitCode = process.exitCode();
        *err = process.readAllStandardError();
        if (process.exitStatus() != QProcess::NormalExit)
            return QStringLiteral("crashed");
        if (*exitCode < 0 || *exitCode > 2)
            return QStringLiteral("exit code %1").arg(*exitCode);
        if (err->contains("runtime error:") || err->contains("Sanitizer"))
            return QStringLiteral("sanitizer report");
        return QString();
    }

    // The record written holds an index of -1 for a list left without a current item.
    static bool leftWithoutItem(const QString &outDir)
    {
        const QStringList written = QDir(outDir).entryList({"*.ipc"}, QDir::Files);
        QSettings ipc(outDir + "/" + written.value(0), QSettings::IniFormat);
        ipc.beginGroup("Config");
        const QStringList keys = ipc.childKeys();
        return std::any_of(keys.cbegin(), keys.cend(),
                           [&](const QString &key) { return ipc.value(key).toInt() == -1; });
    }

    // Empty when the core's HDL compiles with the written files.
    QString compileProblem(const QString &workDirectory)
    {
        const QString parameters = HostTest::readText(workDirectory + "/vlmc_param.v");
        const bool quarter = parameters.contains("parameter nCK_PER_CLK = 4;");
        QProcess iverilog;
        iverilog.start("iverilog",
                       {"-t", "null", "-DSYNTHESIS", "-I", workDirectory, "-I", m_data,
                        qEnvironmentVariable("DDR3PHY_SOURCE_DIR") + "/host/share/veltra_prims.v",
                        m_data + (quarter ? "/ddr3_1_4code.v" : "/ddr3_1_2code.v"),
                        m_data + "/DDR3_PHY_TOP.v"});
        if (!iverilog.waitForFinished(60000) || iverilog.exitCode() != 0)
            return QString::fromUtf8(iverilog.readAllStandardError() +
                                     iverilog.readAllStandardOutput());
        return QString();
    }

    QString m_ipgen;
    QString m_data;
    QTemporaryDir m_dir;
    QList<QByteArray> m_seeds;
};

QTEST_GUILESS_MAIN(TestFuzzIpc)
#include "tst_fuzzipc.moc"
