// The application: the engine's process settings, one instance per user (a second start
// hands its files over and exits), the views' style, and the composition root with the
// main window.
#include <QApplication>
#include <QIcon>

#include "ViewStyle.h"
#include "app/ApplicationRoot.h"
#include "app/SingleInstance.h"
#include "pipeline/PlatformServices.h"
#include "platform/OpenMPRuntime.h"
#include "platform/ProcessMemory.h"
#include "session/Paths.h"
#include "shell/ResourceBundle.h"

int main(int argc, char** argv) {
    // Before Qt starts any thread: idle OpenMP workers must sleep, or under load they take
    // the cores the conversions wait for. Runs the program again in place, with the same
    // arguments, when the policy is not set yet.
    ce::OpenMPRuntime::ensurePassiveWait(argv);
    ce::ProcessMemory::boundArenas();
    ce::PlatformServices::installSystemLog();

    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Irevora"));
    QApplication::setApplicationName(QStringLiteral("document-converter"));
    QApplication::setDesktopFileName(QStringLiteral("document-converter"));

    // From the arguments Qt left (it takes its own options out), byte for byte.
    QList<QUrl> files;
    for (int i = 1; i < argc; ++i) files << session::Paths::fromArgument(argv[i]);
    app::SingleInstance instance(app::SingleInstance::defaultServerName());
    if (instance.start(files) == app::SingleInstance::Role::handedOver) return 0;

    ViewStyle::applyTo(application);
    const shell::ResourceBundle& bundle = shell::ResourceBundle::main();
    application.setWindowIcon(QIcon(bundle.resourcesPath + QStringLiteral("/Desktop/document-converter.png")));

    app::ApplicationRoot root({bundle, nullptr, std::nullopt, nullptr});
    QObject::connect(&instance, &app::SingleInstance::filesReceived, &root, &app::ApplicationRoot::openFiles);
    root.openFiles(files);
    return QApplication::exec();
}
