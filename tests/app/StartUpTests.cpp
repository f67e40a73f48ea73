// The application's own start-up, run as the built program: it runs itself again with idle
// OpenMP workers sleeping (a policy the user set stands), and a start that finds a running
// instance still hands it the files of its command line after that.
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <string>

#include "app/SingleInstance.h"
#include "session/Paths.h"

namespace app {
namespace {

class StartUp : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(runtime.isValid());
        savedRuntime = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    }
    void TearDown() override {
        if (program.state() != QProcess::NotRunning) {
            program.kill();
            program.waitForFinished(5000);
        }
        qputenv("XDG_RUNTIME_DIR", savedRuntime);
    }

    // Starts the application in the runtime folder, with its own settings, offscreen.
    void start(const QStringList& arguments, const QString& waitPolicy = {}) {
        start(QStringLiteral(CE_APPLICATION), arguments, waitPolicy);
    }
    void start(const QString& command, const QStringList& arguments, const QString& waitPolicy = {}) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("OMP_WAIT_POLICY"));
        if (!waitPolicy.isEmpty()) environment.insert(QStringLiteral("OMP_WAIT_POLICY"), waitPolicy);
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), runtime.filePath(QStringLiteral("config")));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        program.setProcessEnvironment(environment);
        program.setWorkingDirectory(runtime.path());
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start(command, arguments);
        ASSERT_TRUE(program.waitForStarted(10'000));
    }

    // The OMP_WAIT_POLICY the running program was started with ("" when none).
    std::string startedWaitPolicy() const {
        QFile environ(QStringLiteral("/proc/%1/environ").arg(program.processId()));
        if (!environ.open(QIODevice::ReadOnly)) return "gone";
        for (const QByteArray& entry : environ.readAll().split('\0')) {
            if (entry.startsWith("OMP_WAIT_POLICY=")) return entry.mid(16).toStdString();
        }
        return "";
    }

    QTemporaryDir runtime;
    QByteArray savedRuntime;
    QProcess program;
};

TEST_F(StartUp, IdleWorkersSleepUnlessTheUserChoseOtherwise) {
    const struct {
        QString set;
        std::string runsWith;
    } cases[] = {{{}, "PASSIVE"}, {QStringLiteral("active"), "active"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.set.isEmpty() ? "unset" : c.set.toStdString());
        start({}, c.set);
        // Listening means the program got past its start-up and became the running instance.
        ASSERT_TRUE(QTest::qWaitFor([] { return QFileInfo::exists(SingleInstance::defaultServerName()); }, 30'000));
        EXPECT_EQ(startedWaitPolicy(), c.runsWith);
        program.kill();
        ASSERT_TRUE(program.waitForFinished(5000));
        QFile::remove(SingleInstance::defaultServerName());
    }
}

TEST_F(StartUp, ASecondStartHandsItsCommandLineFilesToTheRunningOne) {
    SingleInstance running(SingleInstance::defaultServerName());
    ASSERT_EQ(running.start({}), SingleInstance::Role::primary);
    QSignalSpy received(&running, &SingleInstance::filesReceived);

    // Through a shell, so that the program gets a name that is not UTF-8 ("caf\xe9.pdf") as
    // its bytes: QProcess would encode its arguments as UTF-8.
    start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"),
                                      QStringLiteral("exec \"$0\" report.pdf '/scans/page 1.png' \"$(printf 'caf\\351.pdf')\""),
                                      QStringLiteral(CE_APPLICATION)});
    ASSERT_TRUE(received.wait(30'000));
    const auto files = received[0][0].value<QList<QUrl>>();
    ASSERT_EQ(files.size(), 3);
    const std::filesystem::path folder = runtime.path().toStdString();
    EXPECT_EQ(session::Paths::toPath(files[0]), folder / "report.pdf");
    EXPECT_EQ(session::Paths::toPath(files[1]), std::filesystem::path("/scans/page 1.png"));
    EXPECT_EQ(session::Paths::toPath(files[2]), folder / "caf\xe9.pdf");
    ASSERT_TRUE(program.waitForFinished(10'000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
}

}  // namespace
}  // namespace app
