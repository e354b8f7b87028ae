// Files the host writes: configuration records, copies and the project.
#include "hostfixtures.h"
#include "hostsession.h"
#include "ipcorefunctions.h"
#include "modalanswerer.h"
#include "pinfigure.h"

#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using HostTest::readBytes;
using HostTest::writeBytes;

class TestHostFiles : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dir.reset(new QTemporaryDir);
        QVERIFY(m_dir->isValid());
        // Root ignores permission bits, so a folder that cannot exist is used: one below this file.
        QVERIFY(writeBytes(path("plain"), "x"));
    }

    // A configuration record that cannot be written shows nothing during the generation; the
    // session hears which file and why, and a written one leaves no word.
    void recordWriteIsQuiet_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("reason"); // empty: written

        QTest::newRow("written") << "core.ipc" << "";
        QTest::newRow("below a file") << "plain/core.ipc" << "core.ipc";
    }

    void recordWriteIsQuiet()
    {
        QFETCH(QString, file);
        QFETCH(QString, reason);

        QSignalSpy unwritten(&IPGen::HostSession::instance(),
                             &IPGen::HostSession::recordNotWritten);
        IPCore::writeIPConfig(path(file), {{"version", "3.0"}}, {{"LANG", 0}});
        QCOMPARE(QApplication::topLevelWidgets().size(), 0);
        QCOMPARE(unwritten.size(), reason.isEmpty() ? 0 : 1);
        if (reason.isEmpty()) {
            QCOMPARE(QSettings(path(file), QSettings::IniFormat).value("Config/LANG").toInt(), 0);
            return;
        }
        QCOMPARE(unwritten.first().at(0).toString(), path(file));
        QVERIFY2(unwritten.first().at(1).toString().contains(reason),
                 qPrintable(unwritten.first().at(1).toString()));
    }

    void copiesFiles_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("reason"); // empty: copied; "<to>" stands for the target path

        const auto row = [](const char *tag, const char *from, const char *to, const char *reason) {
            QTest::newRow(tag) << from << to << reason;
        };
        row("new target", "source.v", "copy.v", "");
        row("overwrites a longer target", "source.v", "old.v", "");
        row("missing source", "absent.v", "old.v", "no such file");
        row("same file", "source.v", "source.v", "source and target are the same file");
        row("target below a file", "source.v", "plain/copy.v", "Not a directory");
    }

    void copiesFiles()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, reason);

        const QByteArray source = "module top;\nendmodule\n";
        QVERIFY(writeBytes(path("source.v"), source));
        QVERIFY(writeBytes(path("old.v"), "an old netlist, longer than the new one\n"));

        const QString fromPath = path(from), toPath = path(to);
        const QByteArray before = readBytes(toPath);
        QString error = "untouched";
        const bool copied = Utils::FileUtils::copyFile(fromPath, toPath, &error);
        QCOMPARE(readBytes(path("source.v")), source);
        if (reason.isEmpty()) {
            QVERIFY2(copied, qPrintable(error));
            QCOMPARE(readBytes(toPath), source);
            return;
        }
        QVERIFY(!copied);
        QCOMPARE(readBytes(toPath), before);
        // Qt 6 may add the system's reason once more after Qt's own text.
        const QString expected =
            QString("Cannot copy %1 to %2: %3")
                .arg(fromPath, toPath, QString(reason).replace("<to>", toPath));
        QVERIFY2(error == expected || error.startsWith(expected + ": "), qPrintable(error));
        QVERIFY(!Utils::FileUtils::copyFile(fromPath, toPath, nullptr));
    }

    void addProjectFiles_data()
    {
        QTest::addColumn<QStringList>("added");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<int>("changes");
        QTest::newRow("new") << QStringList{"/out/x.v"} << QStringList{"/abs/a.v", "/out/x.v"} << 1;
        QTest::newRow("same path spelled differently")
            << QStringList{"/abs//./a.v"} << QStringList{"/abs/a.v"} << 0;
        QTest::newRow("twice in one call")
            << QStringList{"/out/x.v", "/out/x.v"} << QStringList{"/abs/a.v", "/out/x.v"} << 1;
    }

    void addProjectFiles()
    {
        QFETCH(QStringList, added);
        QFETCH(QStringList, expected);
        QTemporaryDir dir;
        const QString project = dir.filePath("p.prj");
        QVERIFY(HostTest::writeBytes(project, "# keep me\n/abs/a.v")); // no final newline
        QVERIFY(m_session.openProject(project));
        QSignalSpy changed(&m_session, &IPGen::HostSession::projectChanged);
        QVERIFY(m_session.addProjectFiles(added));
        QTEST(int(changed.size()), "changes"); // qsizetype under Qt 6
        QCOMPARE(m_session.projectFiles(), expected);
        QVERIFY(HostTest::readBytes(project).startsWith("# keep me\n/abs/a.v"));
        // What was written reads back the same.
        QVERIFY(m_session.openProject(project));
        QCOMPARE(m_session.projectFiles(), expected);
    }

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }

    QScopedPointer<QTemporaryDir> m_dir;
    IPGen::HostSession &m_session = IPGen::HostSession::instance();
};

QTEST_MAIN(TestHostFiles)
#include "tst_hostfiles.moc"
