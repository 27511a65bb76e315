// The program's window half: the application, the main window and its message loop.
#include "app/MainWindow.h"
#include "app/cli/Cli.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

using namespace quenvel;

namespace {

bool DisplayAvailable()
{
    const char *platform = std::getenv("QT_QPA_PLATFORM");
    if (platform && *platform)
        return true;
    const char *x = std::getenv("DISPLAY");
    const char *w = std::getenv("WAYLAND_DISPLAY");
    return (x && *x) || (w && *w);
}

// The last line of defence: an error that escaped every command is shown, and the
// program goes on.
class TQuenvelApplication : public QApplication
{
public:
    using QApplication::QApplication;
    bool notify(QObject *receiver, QEvent *e) override
    {
        try {
            return QApplication::notify(receiver, e);
        } catch (const std::exception &ex) {
            QMessageBox::critical(activeWindow(), QStringLiteral("Quenvel"), QString::fromLocal8Bit(ex.what()));
        }
        return false;
    }
};

} // namespace

int RunWindow(int argc, char **argv, const std::vector<std::string> &args)
{
    if (!DisplayAvailable()) {
        std::cerr << "quenvel: no display available (set DISPLAY, or use --convert, --highlight or --check)\n";
        return 2;
    }
    TQuenvelApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quenvel"));
    QApplication::setDesktopFileName(QStringLiteral("org.quenvel.Quenvel"));
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/quenvel-%1.png").arg(size), QSize(size, size));
    QApplication::setWindowIcon(icon);
    std::pair<std::string, int> target;
    if (!args.empty())
        target = FileAndLine(args[0]);
    TFrmMain w(SettingsPathForThisProgram(), target.first, target.second);
    w.show();
    return app.exec();
}
