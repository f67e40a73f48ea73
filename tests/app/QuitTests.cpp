// Quitting through the application's own path: the Quit command closes the main window, the
// window's close event runs the quit rules, and when they say terminate the event loop ends
// even while the settings or acknowledgements window (windows without a parent) is open.
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include "SessionTestSupport.h"
#include "app/ApplicationRoot.h"

using namespace app;

namespace {

struct QuitCase {
    const char* name;
    Command window;  // the small window open when Quit is chosen
};

class QuitWithAWindowOpen : public ::testing::TestWithParam<QuitCase> {};

}  // namespace

TEST_P(QuitWithAWindowOpen, EndsTheEventLoopAndClosesEveryWindow) {
    const QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("handed over.pdf"));
    QFile(file).open(QIODevice::WriteOnly);
    auto converter = std::make_shared<sessiontest::FakeConverter>();
    converter->setPageCount("handed over.pdf", 1);
    ApplicationRoot root({shell::ResourceBundle::load(QStringLiteral(CE_SOURCE_DIR "/Resources"), {}), converter,
                          std::nullopt, nullptr});
    // A file given on the command line or by a second start, not converted: nothing to lose.
    root.openFiles({QUrl::fromLocalFile(file)});
    root.menuBar().action(GetParam().window)->trigger();

    QTimer::singleShot(0, [&root] { root.menuBar().action(Command::quit)->trigger(); });
    QTimer::singleShot(5000, [] { QCoreApplication::exit(1); });  // a quit that never comes
    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_FALSE(root.window().isVisible());
    for (const QWidget* window : QApplication::topLevelWidgets()) {
        EXPECT_FALSE(window->isVisible()) << window->metaObject()->className();
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, QuitWithAWindowOpen,
                         ::testing::Values(QuitCase{"preferences", Command::preferences},
                                           QuitCase{"acknowledgements", Command::acknowledgements}),
                         [](const auto& info) { return std::string(info.param.name); });
