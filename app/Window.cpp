// The editor window.
#include <QApplication>
#include <QGuiApplication>
#include <QMainWindow>
#include <QLabel>

#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

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

} // namespace

int RunWindow(int argc, char **argv, const std::vector<std::string> &args)
{
    (void)args;
    if (!DisplayAvailable()) {
        std::cerr << "quenvel: no display available (set DISPLAY, or use --convert, --highlight or --check)\n";
        return 2;
    }
    QApplication app(argc, argv);
    QMainWindow w;
    w.setWindowTitle("Quenvel");
    w.setCentralWidget(new QLabel("Quenvel"));
    w.resize(608, 459);
    w.show();
    return app.exec();
}
