// Fuzzing of re-opening a core: mutated .ipc files go through
// `ipgen generate --config FILE --files-only`. No case may crash or hang ipgen or end with an
// undocumented exit code, and the files of every case that writes them must compile with the
// core's HDL. FUZZ_CASES, FUZZ_SEED and FUZZ_SECONDS set the run (scripts/fuzz.sh); a failing
// case is kept in FUZZ_KEEP when that names a folder.

#include "../host/hostfixtures.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QStringList interestingValues = {"-1",
                                       "0",
                                       "1",
                                       "2",
                                       "7",
                                       "8",
                                       "9",
                                       "33",
                                       "34",
                                       "-2147483648",
                                       "2147483647",
                                       "2147483648",
                                       "99999999999999999999",
                                       "",
                                       "abc",
                                       "1.5",
                                       "true",
                                       "false",
                                       " 3",
                                       "0x10",
                                       "1e3",
                                       "\"5\"",
                                       "@Variant(\\0\\0\\0\\x7f\\0)",
                                       "@ByteArray(\\xff)",
                                       "@Invalid()",
                                       "Synplify Pro",
                                       "a,b,c",
                                       "VeltraSynthesis",
                                       "\\n",
                                       "%1",
                                       "DDR3_PHY_Top",
                                       "9lives",
                                       "VX_PLL"};

QString pick(QRandomGenerator &random, const QStringList &list)
{
    return list.at(int(random.bounded(quint32(list.size()))));
}

// One to four edits of the file's text: values, lines, bytes.
QByteArray mutate(QByteArray text, QRandomGenerator &random)
{
    const int edits = 1 + int(random.bounded(4u));
    for (int e = 0; e < edits; ++e) {
        QList<QByteArray> lines = text.split('\n');
        const int at = int(random.bounded(quint32(lines.size())));
        switch (random.bounded(7u)) {
        case 0:
        case 1: // a value
            if (lines[at].contains('='))
                lines[at] = lines[at].left(lines[at].indexOf('=') + 1) +
                            pick(random, interestingValues).toUtf8();
            break;
        case 2:
            lines.removeAt(at);
            break;
        case 3:
            lines.insert(at, lines.value(int(random.bounded(quint32(lines.size())))));
            break;
        case 4: {
            const int byte = int(random.bounded(quint32(std::max(1, text.size()))));
            text = lines.join('\n');
            if (!text.isEmpty())
                text[byte] = char(random.bounded(256u));
            continue;
        }
        case 5:
            text = lines.join('\n');
            text.truncate(int(random.bounded(quint32(text.size() + 1))));
            continue;
        default:
            lines.insert(at, "[" + pick(random, {"Config", "General", "x"}).toUtf8() + "]");
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
    void initTestCase();
    void mutatedConfigurations();

private:
    QProcess::ExitStatus run(const QStringList &arguments, int *exitCode, QByteArray *err);
    QString compileProblem(const QString &workDirectory);

    QString m_ipgen;
    QString m_data;
    QTemporaryDir m_dir;
    QList<QByteArray> m_seeds;
};

QProcess::ExitStatus TestFuzzIpc::run(const QStringList &arguments, int *exitCode, QByteArray *err)
{
    QProcess process;
    process.start(m_ipgen, arguments);
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        *exitCode = -1; // hung
        return QProcess::CrashExit;
    }
    *exitCode = process.exitCode();
    *err = process.readAllStandardError();
    return process.exitStatus();
}

void TestFuzzIpc::initTestCase()
{
    if (QStandardPaths::findExecutable("iverilog").isEmpty())
        QSKIP("iverilog is not installed");
    m_ipgen = qEnvironmentVariable("IPGEN_BUILD_DIR") + "/ipgen";
    m_data = qEnvironmentVariable("DDR3PHY_SOURCE_DIR") + "/core/ddr3phy/data";
    QVERIFY(m_dir.isValid());
    // Seeds: the default core and the largest one, as the generator writes them.
    const QList<QStringList> setups = {
        {}, {"--set", "comBoxClkRatio=1:4", "--set", "comBoxDqWidth=72", "--set", "checkEcc=true"}};
    for (int i = 0; i < setups.size(); ++i) {
        const QString out = m_dir.filePath(QStringLiteral("seed%1").arg(i));
        int code = 0;
        QByteArray err;
        run(QStringList{"generate", "--core", "ddr3_phy", "--device", "VX1-10", "--out", out,
                        "--files-only", "--approx", "accept"} +
                setups.at(i),
            &code, &err);
        QVERIFY2(code == 0, err.constData());
        QVERIFY2(compileProblem(out + "/temp/DDR3_PHY").isEmpty(),
                 qPrintable(compileProblem(out + "/temp/DDR3_PHY")));
        m_seeds.append(HostTest::readText(out + "/ddr3_phy.ipc").toUtf8());
    }
}

// Empty when the core's HDL compiles with the written files.
QString TestFuzzIpc::compileProblem(const QString &workDirectory)
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

void TestFuzzIpc::mutatedConfigurations()
{
    const quint32 seed = quint32(qEnvironmentVariableIntValue("FUZZ_SEED"));
    const int seconds = qEnvironmentVariableIntValue("FUZZ_SECONDS");
    const int cases =
        qEnvironmentVariableIsSet("FUZZ_CASES") ? qEnvironmentVariableIntValue("FUZZ_CASES") : 24;
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
        const QProcess::ExitStatus status =
            run({"generate", "--config", ipc, "--out", caseDir + "/out", "--files-only", "--approx",
                 "accept", "--settings", caseDir + "/none.ini"},
                &code, &err);
        QString problem;
        if (status != QProcess::NormalExit)
            problem = code == -1 ? "hung" : "crashed";
        else if (code < 0 || code > 2)
            problem = QStringLiteral("exit code %1").arg(code);
        else if (err.contains("runtime error:") || err.contains("Sanitizer"))
            problem = "sanitizer report";
        else if (code == 0 && !(problem = compileProblem(caseDir + "/out/temp/DDR3_PHY")).isEmpty())
            problem = "written files do not compile: " + problem;
        generated += code == 0 ? 1 : 0;
        if (!problem.isEmpty()) {
            ++failures;
            qWarning("case %d (seed %u): %s\n%s\n--- case.ipc ---\n%s", n, seed,
                     qPrintable(problem), err.constData(), text.constData());
            if (!keep.isEmpty())
                QFile::copy(ipc, QStringLiteral("%1/seed%2-case%3.ipc").arg(keep).arg(seed).arg(n));
        }
        QDir(caseDir).removeRecursively();
    }
    qInfo("%d cases in %lld s, %d reached generation, %d failed", n, clock.elapsed() / 1000,
          generated, failures);
    QCOMPARE(failures, 0);
}

QTEST_GUILESS_MAIN(TestFuzzIpc)
#include "tst_fuzzipc.moc"
