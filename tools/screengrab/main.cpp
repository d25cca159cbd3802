// screengrab: saves what the screen of the display shows as a PNG file. scripts/screenshots
// takes the windows of the real programs with it under Xvfb.
//
//   screengrab OUTPUT.png [WIDTHxHEIGHT]     (the part from the top left corner; default all)

#include <cstdio>

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QString>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 2 || arguments.size() > 3) {
        std::fprintf(stderr, "usage: screengrab OUTPUT.png [WIDTHxHEIGHT]\n");
        return 64;
    }
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) {
        std::fprintf(stderr, "screengrab: no screen\n");
        return 1;
    }
    int width = -1;
    int height = -1;
    if (arguments.size() == 3) {
        const QStringList size = arguments[2].split(QLatin1Char('x'));
        bool wide = false;
        bool high = false;
        if (size.size() == 2) {
            width = size[0].toInt(&wide);
            height = size[1].toInt(&high);
        }
        if (!wide || !high || width <= 0 || height <= 0) {
            std::fprintf(stderr, "screengrab: not a size: %s\n", argv[2]);
            return 64;
        }
    }
    const QPixmap shot = screen->grabWindow(0, 0, 0, width, height);
    if (shot.isNull() || !shot.save(arguments[1], "PNG")) {
        std::fprintf(stderr, "screengrab: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
