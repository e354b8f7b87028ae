#include "hostfixtures.h"
#include "hostsession.h"
#include "ipcorefunctions.h"
#include "modalanswerer.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

class TestHostSession : public QObject
{
    Q_OBJECT
private slots:
    void opensProjects()
    {
        QTemporaryDir dir;
        QVERIFY(m_session.openProject(dir.filePath("new.prj")));
        QVERIFY(QFile::exists(dir.filePath("new.prj")));
        QVERIFY(m_session.projectFiles().isEmpty());
        QString error;
        QVERIFY(!m_session.openProject(dir.filePath("no/such/folder/p.prj"), &error));
        QVERIFY2(error.contains("no/such/folder/p.prj"), qPrintable(error));
        QCOMPARE(m_session.projectFile(), dir.filePath("new.prj"));

        const QString project = dir.filePath("p.prj");
        QVERIFY(HostTest::writeBytes(
            project, "# comment\n\n  /abs/a.v  \nrel/b.v\n# /abs/c.v\n/abs/a.v\n/abs/./d.v"));
        QVERIFY(m_session.openProject(project));
        QCOMPARE(m_session.projectFiles(),
                 QStringList({"/abs/a.v", dir.filePath("rel/b.v"), "/abs/d.v"}));
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
        QTEST(changed.size(), "changes");
        QCOMPARE(m_session.projectFiles(), expected);
        QVERIFY(HostTest::readBytes(project).startsWith("# keep me\n/abs/a.v"));
        // What was written reads back the same.
        QVERIFY(m_session.openProject(project));
        QCOMPARE(m_session.projectFiles(), expected);
    }

    void addFailsWhenProjectUnwritable()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("p.prj");
        QVERIFY(m_session.openProject(path));
        QVERIFY(QFile::remove(path));
        QVERIFY(QDir().mkdir(path)); // the project file can no longer be written
        QString error;
        QVERIFY(!m_session.addProjectFiles({"/out/x.v"}, &error));
        QVERIFY2(error.contains(path), qPrintable(error));
        QVERIFY(m_session.projectFiles().isEmpty());
        BoxAnswerer answerer;
        IPCore::addFilesToProject({"/out/x.v"});
        QCOMPARE(answerer.titles(), QStringList{"Error"});
    }

private:
    IPGen::HostSession &m_session = IPGen::HostSession::instance();
};

QTEST_MAIN(TestHostSession)
#include "tst_hostsession.moc"
